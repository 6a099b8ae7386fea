#include "skin/FitText.h"

#include <algorithm>

FittedText KeepWhatFits(const QString& before, const QString& after, const std::function<bool(const QString&)>& fits) {
    // The change is what lies between the common beginning and the common end of the two texts.
    const qsizetype shorter = std::min(before.size(), after.size());
    qsizetype head = 0;
    while (head < shorter && before[head] == after[head]) {
        ++head;
    }
    qsizetype tail = 0;
    while (tail < shorter - head && before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) {
        ++tail;
    }
    const QString inserted = after.mid(head, after.size() - head - tail);
    const auto with = [&](qsizetype kept) { return after.left(head) + inserted.left(kept) + after.right(tail); };
    if (inserted.isEmpty() || fits(after)) {
        return {after, head + inserted.size(), QString()};
    }
    // The longest beginning of the insertion that fits; one test per halving, even for a very long paste.
    qsizetype low = 0;
    qsizetype high = inserted.size() - 1;
    while (low < high) {
        const qsizetype middle = (low + high + 1) / 2;
        if (fits(with(middle))) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    if (low > 0 && inserted[low - 1].isHighSurrogate()) {
        --low; // never half a character
    }
    return {with(low), head + low, inserted.mid(low)};
}
