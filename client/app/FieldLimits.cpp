#include "client/app/FieldLimits.h"

#include "client/env/Environment.h"
#include "skin/CXEdit.h"
#include "skin/CXTextEdit.h"
#include "skin/UiText.h"

namespace {

// Limits count code-page bytes: a Hangul syllable takes two, a letter or digit one.
void Tell(const SayAtField& say, const Environment& env, QWidget* field, int byteLimit, bool digits) {
    QString text = ToUi(env.GetText("MESSAGE", digits ? "MSG_InputLimit_Digits" : "MSG_InputLimit"));
    text.replace(QLatin1String("%1"), QString::number(digits ? byteLimit : byteLimit / 2));
    text.replace(QLatin1String("%2"), QString::number(byteLimit));
    say(field, text);
}

} // namespace

void TellFieldLimits(QWidget& surface, const SayAtField& say, const Environment& env,
                     const std::set<QObject*>& handledElsewhere) {
    for (CXEdit* edit : surface.findChildren<CXEdit*>()) {
        if (edit->ByteLimit() > 0 && handledElsewhere.count(edit) == 0) {
            QObject::connect(edit, &CXEdit::Overflowed, &surface,
                             [say, &env, edit] { Tell(say, env, edit, edit->ByteLimit(), edit->DigitsOnly()); });
        }
    }
    for (CXTextEdit* edit : surface.findChildren<CXTextEdit*>()) {
        if (edit->ByteLimit() > 0 && handledElsewhere.count(edit) == 0) {
            QObject::connect(edit, &CXTextEdit::Overflowed, &surface,
                             [say, &env, edit] { Tell(say, env, edit, edit->ByteLimit(), false); });
        }
    }
}
