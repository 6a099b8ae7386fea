#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The printable form of cipher bytes: Base64 in the bit order of RFC 4648, but with "(" for 62 and ")" for 63, so
// the text can stand in an INI value, the person file and a protocol tag without escaping. "=" pads the last group.
namespace kavrel {

inline constexpr std::string_view kCipherAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789()";

// Every text is padded with 1 to 8 zero bytes to whole 8-byte blocks before it is encrypted.
constexpr std::size_t CipherByteLength(std::size_t plainLength) {
    return 8 * (plainLength / 8 + 1);
}

// So n plain bytes always give this many characters of cipher text: 24 for a 13-digit registration number,
// 1024 for the 767-byte maximum.
constexpr std::size_t CipherTextLength(std::size_t plainLength) {
    return 4 * ((CipherByteLength(plainLength) + 2) / 3);
}

std::string EncodeCipherText(std::string_view bytes);

// Decodes group by group of 4 characters. Refuses any character outside the alphabet and "=", a "=" in the first
// or second place of a group, a "=" in the third place not followed by "=", and a short last group.
std::optional<std::string> DecodeCipherText(std::string_view text);

} // namespace kavrel
