#include "standins/centre/TextCut.h"

std::string CutUtf8(const std::string& utf8, std::size_t maxChars, bool& cut) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        // Every character starts with a byte that is not a continuation byte (10xxxxxx).
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80 && chars++ == maxChars) {
            cut = true;
            return utf8.substr(0, i);
        }
    }
    cut = false;
    return utf8;
}
