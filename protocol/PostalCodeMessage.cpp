#include "protocol/PostalCodeMessage.h"

#include "protocol/TagList.h"

namespace {

constexpr const char* kSeparator = " - ";
constexpr size_t kSeparatorAt = 3;
constexpr size_t kSeparatorSize = 3;

} // namespace

std::string PostalCodeRequest(const std::string& neighbourhood) {
    return "<VESK><WORK>002</WORK><DONG> " + neighbourhood + " </DONG></VESK>";
}

std::vector<PostalCodeEntry> ReadPostalCodeList(const TagReader& reader, const std::string& reply) {
    std::vector<PostalCodeEntry> entries;
    for (auto& group : ReadTagList(reader, reply, "ZIP", {"ZCODE", "ADDR1", "ADDR2"})) {
        entries.push_back({std::move(group[0]), std::move(group[1]), std::move(group[2])});
    }
    return entries;
}

std::string ZipForDisplay(const std::string& zipCode) {
    if (zipCode.size() <= kSeparatorAt) {
        return zipCode;
    }
    return zipCode.substr(0, kSeparatorAt) + kSeparator + zipCode.substr(kSeparatorAt);
}

std::string ZipFromDisplay(const std::string& display) {
    if (display.size() < kSeparatorAt + kSeparatorSize ||
        display.compare(kSeparatorAt, kSeparatorSize, kSeparator) != 0) {
        return display;
    }
    return display.substr(0, kSeparatorAt) + display.substr(kSeparatorAt + kSeparatorSize);
}
