// The client's list reader on any text a server may send: the postal-code and the history lists.
#include "fuzz/FuzzCheck.h"
#include "protocol/TagList.h"
#include "protocol/TagReader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const TagReader reader;
    const std::vector<std::pair<std::string, std::vector<std::string>>> lists = {
        {"ZIP", {"ZCODE", "ADDR1", "ADDR2"}},
        {"CALLINFO", {"NO", "BOARDLEVEL", "NAME", "DSRADDR", "TITLE", "CONTENTS", "DATE", "PROCSTATUS"}},
    };
    for (const auto& [container, fields] : lists) {
        const auto entries = ReadTagList(reader, text, container, fields);
        // Every entry is whole, and each needs at least its first field's opening tag in the text.
        FUZZ_CHECK(entries.size() <= size / (fields[0].size() + 1) + 1);
        for (const auto& entry : entries) {
            FUZZ_CHECK(entry.size() == fields.size());
        }
    }
    return 0;
}
