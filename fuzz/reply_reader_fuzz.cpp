// The client's reply reader on any text a server may send: judging the work code and walking fields by name.
#include "fuzz/FuzzCheck.h"
#include "protocol/TagReader.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const TagReader reader;
    for (int work : {2, 3, 4, 11, 15}) {
        const int judged = reader.CheckWork(text, work);
        FUZZ_CHECK(judged == 0 || judged == 1 || judged == 999);
    }
    // The names the client reads, and one the text itself names in its first line.
    const std::string own = text.substr(0, std::min<std::size_t>(text.find('\n'), 16));
    for (const std::string& name : {std::string("WORK"), std::string("COMENT"), std::string("ZCODE"),
                                    std::string("NAME"), std::string("CONTENTS"), own}) {
        // Consecutive reads walk forward, so a walk always ends.
        int position = 0;
        for (;;) {
            const int before = position;
            const std::string value = reader.GetTagValue(text, name, position);
            FUZZ_CHECK(value.size() <= text.size());
            if (position <= 0) {
                break;
            }
            FUZZ_CHECK(position > before && static_cast<std::size_t>(position) <= text.size());
        }
        int start = 0;
        int end = 0;
        if (reader.FindTag(text, name, start, end) == 1) {
            FUZZ_CHECK(start >= 0 && static_cast<std::size_t>(start) <= text.size());
            FUZZ_CHECK(end == -1 || (end >= start && static_cast<std::size_t>(end) <= text.size()));
        }
    }
    return 0;
}
