#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The byte format of the person file: a plain sequence of records, each the 14 stored forms of a person in
// field order, each a length-prefixed byte string. No header, no count, no separators.
//
// Length prefix: one byte for 0 to 254; 0xFF and a 16-bit little-endian length for 255 to 65533; 0xFF, 0xFFFF
// and a 32-bit little-endian length from 65534. A reader also takes 0xFF 0xFFFE followed by such a prefix
// counting UTF-16LE characters, which arrive as code page 949.
class PersonFile {
public:
    // A file longer than this cannot hold anything the client made or can decrypt; only this much is read.
    static constexpr std::size_t kReadLimit = 16u << 20;

    static void AppendString(std::string& out, std::string_view text);

    // Reads strings one after another from the bytes of a file. The file is untrusted: a length larger than
    // what is left, a wide string that cannot be converted, or the end of the bytes gives nullopt, and nothing
    // is allocated beyond the bytes that are really there.
    class Reader {
    public:
        explicit Reader(std::string_view bytes) : m_rest(bytes) {}
        std::optional<std::string> ReadString();

    private:
        std::optional<std::uint64_t> ReadLength(bool& wide);
        bool Take(std::size_t count, std::string_view& out);

        std::string_view m_rest;
    };
};
