// The settings reader and writer on any file and any name and value: a read never fails, and a write either
// reads back as the same line in a file of its own would, or leaves the file as it was.
//
// Input: section, key and value, each ended by a zero byte, then the file's bytes.
#include "fuzz/FuzzCheck.h"
#include "platform/Profile.h"
#include "support/TempDir.h"

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const TempDir dir;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::string_view parts[3];
    for (std::string_view& part : parts) {
        const std::size_t zero = rest.find('\0');
        if (zero == std::string_view::npos) {
            return 0;
        }
        part = rest.substr(0, zero);
        rest.remove_prefix(zero + 1);
    }
    const auto& [section, key, value] = parts;
    const std::string path = dir.Write("EnvSet.ini", std::string(rest)).string();

    FUZZ_CHECK(platform::ReadProfileString(path, section, key).size() <= platform::kProfileValueMax);

    if (platform::WriteProfileString(path, section, key, value)) {
        // Blanks around a value and one pair of quotes never come back, in any file.
        const std::string alone = dir.Write("Alone.ini", "[" + std::string(section) + "]\r\n" + std::string(key) + "=" +
                                                             std::string(value) + "\r\n")
                                      .string();
        FUZZ_CHECK(platform::ReadProfileString(path, section, key) == platform::ReadProfileString(alone, section, key));
    } else {
        FUZZ_CHECK(ReadFile(path) == rest);
    }
    return 0;
}
