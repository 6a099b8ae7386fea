#include "protocol/TagList.h"

std::vector<std::vector<std::string>> ReadTagList(const TagReader& reader, const std::string& text,
                                                  const std::string& container,
                                                  const std::vector<std::string>& fields) {
    std::vector<std::vector<std::string>> entries;
    if (fields.empty()) {
        return entries;
    }
    int position = 0;
    int containerEnd = 0;
    reader.FindTag(text, container, position, containerEnd);
    while (position != -1) {
        std::vector<std::string> group;
        group.reserve(fields.size());
        group.push_back(reader.GetTagValue(text, fields[0], position));
        if (position == 0 || position == -1 || position > containerEnd) {
            break;
        }
        for (size_t i = 1; i < fields.size(); ++i) {
            group.push_back(reader.GetTagValue(text, fields[i], position));
            if (position == 0 || position == -1) {
                return entries;
            }
        }
        entries.push_back(std::move(group));
    }
    return entries;
}
