#include "protocol/TagReader.h"

#include "protocol/TextTrim.h"

#include <cstdio>

int TagReader::FindTag(const std::string& text, const std::string& name, int& start, int& end) const {
    // Plain substring search: "<NAME" also matches a longer tag that begins with the same letters.
    size_t found = std::string::npos;
    if (start >= 0 && static_cast<size_t>(start) <= text.size()) {
        found = text.find("<" + name, static_cast<size_t>(start));
    }
    if (found == std::string::npos) {
        start = -1;
        return -1;
    }
    // An opening tag cut off before its ">" has no value: the value would start past the text's end, so the
    // element reads as unclosed and a walk through the reply never moves backwards.
    size_t close = text.find('>', found);
    start = close == std::string::npos ? static_cast<int>(text.size()) : static_cast<int>(close + 1);
    size_t closing = text.find("</" + name + ">", static_cast<size_t>(start));
    end = closing == std::string::npos ? -1 : static_cast<int>(closing);
    return 1;
}

std::string TagReader::GetTagValue(const std::string& text, const std::string& name, int& position) const {
    int start = position;
    int end = 0;
    if (FindTag(text, name, start, end) != 1) {
        position = 0;
        return std::string();
    }
    position = end;
    if (end < 0) {
        return std::string();
    }
    return TrimSpace(std::string_view(text).substr(static_cast<size_t>(start), static_cast<size_t>(end - start)));
}

int TagReader::CheckWork(const std::string& text, int workCode) const {
    int position = 0;
    const std::string value = GetTagValue(text, "WORK", position);
    if (value.empty()) {
        return kNotAnswered;
    }
    char expected[16];
    std::snprintf(expected, sizeof expected, "%.3d", workCode + WorkCode::kReplyOffset);
    if (value == expected) {
        return kAnswered;
    }
    if (value == std::to_string(WorkCode::kRefused)) {
        return kRefused;
    }
    return kNotAnswered;
}
