#include "protocol/HistoryMessage.h"

#include "protocol/Envelope.h"
#include "protocol/TagList.h"

#include <string_view>

std::string HistoryRequest(const std::string& name, const std::string& storedSsn, int caseSet) {
    // The blank before the work code is the centre's: it has always received it so.
    return "<VESK><WORK> 015</WORK>" + TagField("NAME", name) + TagField("SSN", storedSsn) +
           TagField("CASESET", std::to_string(caseSet)) + "</VESK>";
}

std::vector<HistoryRecord> ReadHistoryList(const TagReader& reader, const std::string& reply) {
    static const std::vector<std::string> kFields = {"NO",    "BOARDLEVEL", "NAME", "DSRADDR",
                                                     "TITLE", "CONTENTS",   "DATE", "PROCSTATUS"};
    std::vector<std::vector<std::string>> entries = ReadTagList(reader, reply, "CALLINFO", kFields);
    std::vector<HistoryRecord> records;
    records.reserve(entries.size());
    for (std::vector<std::string>& e : entries) {
        records.push_back({std::move(e[0]), std::move(e[1]), std::move(e[2]), std::move(e[3]), std::move(e[4]),
                           std::move(e[5]), std::move(e[6]), WithoutNull(e[7])});
    }
    return records;
}

std::string WithoutNull(const std::string& status) {
    static constexpr std::string_view kNull = "null";
    std::string kept;
    kept.reserve(status.size());
    size_t i = 0;
    while (i < status.size()) {
        if (std::string_view(status).substr(i, kNull.size()) == kNull) {
            i += kNull.size();
            continue;
        }
        // A lead byte of code page 949 carries its trail byte along.
        const auto byte = static_cast<unsigned char>(status[i]);
        const size_t width = byte >= 0x81 && byte <= 0xFE && i + 1 < status.size() ? 2 : 1;
        kept.append(status, i, width);
        i += width;
    }
    return kept;
}
