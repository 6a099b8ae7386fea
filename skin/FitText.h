#pragma once

#include <QString>
#include <functional>

// What an edit keeps of a change that would pass its limit, as a native edit control does: what the user
// typed, pasted or dropped is cut to what still fits; the rest of the text stays as it was.
struct FittedText {
    QString text;     // the text to keep
    qsizetype cursor; // where the caret goes: behind what was kept of the insertion
    QString cut;      // what did not fit; empty when the change fitted whole
};

// `before` is the text before the change, `after` the text the change would give; `fits` tells whether a
// whole text may be kept. A change that only removes text is always kept.
FittedText KeepWhatFits(const QString& before, const QString& after, const std::function<bool(const QString&)>& fits);
