// The person file reader on any bytes a file may hold: what it reads, written again, reads back the same.
#include "client/env/PersonFile.h"
#include "fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PersonFile::Reader reader(std::string_view(reinterpret_cast<const char*>(data), size));
    std::vector<std::string> strings;
    std::string written;
    while (std::optional<std::string> text = reader.ReadString()) {
        PersonFile::AppendString(written, *text);
        strings.push_back(std::move(*text));
    }
    PersonFile::Reader again(written);
    for (const std::string& text : strings) {
        FUZZ_CHECK(again.ReadString() == text);
    }
    FUZZ_CHECK(!again.ReadString());
    return 0;
}
