#include "protocol/Envelope.h"

std::string TagField(std::string_view name, std::string_view value) {
    std::string field;
    field.reserve(name.size() * 2 + value.size() + 6);
    field.append("<").append(name).append("> ").append(value).append("</").append(name).append(">");
    return field;
}

std::string BracketFreeText(std::string text) {
    for (char& c : text) {
        if (c == '<') {
            c = '[';
        } else if (c == '>') {
            c = ']';
        }
    }
    return text;
}

std::string VersionRequest() {
    return "<VESK><WORK>003</WORK></VESK>";
}
