#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

struct evp_cipher_ctx_st;
struct evp_cipher_st;
struct evp_md_st;

// The cipher steps of Kavrel over OpenSSL's default provider. A failing OpenSSL call writes
// "\nError : <OpenSSL's error text>\n" to standard output and gives nothing.
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

// The same cipher for one thread that calls it again and again: the algorithms are fetched once, and the key of
// the last pass phrase stays set up, so a call costs the cipher itself and little more. The chaining from the
// zero vector is done here over the block cipher, which spares a new start of the cipher for every call. Gives
// the results of TripleDesCbc with the key of DeriveKey. Not to be shared between threads.
class KeyedTripleDes {
public:
    KeyedTripleDes() = default;
    ~KeyedTripleDes();
    KeyedTripleDes(const KeyedTripleDes&) = delete;
    KeyedTripleDes& operator=(const KeyedTripleDes&) = delete;

    // `length` bytes from `in` to `out` (which may be the same place); false, after reporting, when OpenSSL
    // failed or the length is not a whole number of blocks.
    bool Run(std::string_view passPhrase, const unsigned char* in, std::size_t length, unsigned char* out,
             bool encrypt);

private:
    bool Fetch();
    bool SetKey(std::string_view passPhrase);

    evp_md_st* m_md5 = nullptr;
    evp_cipher_st* m_des = nullptr;
    std::array<evp_cipher_ctx_st*, 2> m_contexts{}; // decrypting, encrypting
    std::string m_passPhrase;
    TripleDesKey m_key{};
    bool m_keyed = false;
};

} // namespace kavrel
