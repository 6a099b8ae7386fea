#include "cipher/CipherText.h"

#include <cstdint>

namespace kavrel {

std::string EncodeCipherText(std::string_view bytes) {
    std::string text((bytes.size() + 2) / 3 * 4, '=');
    char* out = text.data();
    for (std::size_t i = 0; i < bytes.size(); i += 3, out += 4) {
        const std::size_t left = bytes.size() - i;
        std::uint32_t group = static_cast<unsigned char>(bytes[i]) << 16;
        if (left > 1) {
            group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        }
        if (left > 2) {
            group |= static_cast<unsigned char>(bytes[i + 2]);
        }
        out[0] = kCipherAlphabet[(group >> 18) & 0x3F];
        out[1] = kCipherAlphabet[(group >> 12) & 0x3F];
        if (left > 1) {
            out[2] = kCipherAlphabet[(group >> 6) & 0x3F];
        }
        if (left > 2) {
            out[3] = kCipherAlphabet[group & 0x3F];
        }
    }
    return text;
}

std::optional<std::string> DecodeCipherText(std::string_view text) {
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    std::string bytes;
    bytes.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        std::uint32_t group = 0;
        int padding = 0;
        for (std::size_t j = 0; j < 4; ++j) {
            const char c = text[i + j];
            std::size_t value = 0;
            if (c == '=') {
                if (j < 2) {
                    return std::nullopt;
                }
                ++padding;
            } else {
                value = kCipherAlphabet.find(c);
                if (value == std::string_view::npos || padding > 0) {
                    return std::nullopt;
                }
            }
            group = (group << 6) | static_cast<std::uint32_t>(value);
        }
        bytes += static_cast<char>(group >> 16);
        if (padding < 2) {
            bytes += static_cast<char>(group >> 8);
        }
        if (padding < 1) {
            bytes += static_cast<char>(group);
        }
    }
    return bytes;
}

} // namespace kavrel
