#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

// The cipher steps of Kavrel over OpenSSL's default provider. Each call builds and frees its own contexts. A failing
// OpenSSL call writes "\nError : <OpenSSL's error text>\n" to standard output and gives nothing.
namespace kavrel {

using Md5Digest = std::array<unsigned char, 16>;
using TripleDesKey = std::array<unsigned char, 24>;

std::optional<Md5Digest> Md5(std::string_view bytes);

// The key of a pass phrase: the MD5 value of the pass phrase, laid by exclusive or over the start of a 64-byte block
// of 0x36 and of one of 0x5C; the MD5 values of the two blocks joined, the first 24 bytes the three DES keys.
std::optional<TripleDesKey> DeriveKey(std::string_view passPhrase);

// Triple DES in cipher block chaining from an all-zero vector, without padding of its own: the length must be a
// whole number of 8-byte blocks, or the call fails.
std::optional<std::string> TripleDesCbc(const TripleDesKey& key, std::string_view bytes, bool encrypt);

} // namespace kavrel
