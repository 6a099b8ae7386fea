// CryptString on a 13-byte registration number against a bare OpenSSL loop of the same steps (low-level MD5(),
// a fresh triple-DES context per call). Compare the items per second of CryptStringEncrypt and
// BareOpenSslEncrypt of one run.
#include <benchmark/benchmark.h>

#include <array>
#include <cstring>
#include <string>

// The low-level MD5() is what a plain program would call; it is only marked old, not gone.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/evp.h>
#include <openssl/md5.h>

#include "client/env/CipherLibrary.h"
#include "platform/Codec.h"
#include "platform/DynamicLibrary.h"

namespace {

const std::string kSsn = "8001011234567";

std::string PassPhrase() {
    return platform::Utf8ToCp949("482가나다라마바 사아자차-카타482파하").value();
}

// One raw call of the library's export per iteration, the buffer refilled each time.
void CallCryptString(benchmark::State& state, const std::string& text, int mode) {
    platform::DynamicLibrary library;
    if (!library.Load(HALVREN_KAVREL_PATH)) {
        state.SkipWithError("libKavrel.so not found");
        return;
    }
    auto* crypt = reinterpret_cast<int (*)(const char*, char*, int)>(library.Symbol("CryptString"));
    const std::string passPhrase = PassPhrase();
    std::array<char, 1025> buffer{};
    for (auto _ : state) {
        std::memcpy(buffer.data(), text.c_str(), text.size() + 1);
        benchmark::DoNotOptimize(crypt(passPhrase.c_str(), buffer.data(), mode));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

void CryptStringEncrypt(benchmark::State& state) {
    CallCryptString(state, kSsn, 1);
}
BENCHMARK(CryptStringEncrypt);

void CryptStringDecrypt(benchmark::State& state) {
    CallCryptString(state, "o4))7Mo4VnqDuSR090R7Fg==", 0);
}
BENCHMARK(CryptStringDecrypt);

// What the client pays per field: the wrapper's copies and checks on top of the call.
void CipherLibraryEncryptText(benchmark::State& state) {
    CipherLibrary cipher;
    if (!cipher.Load(HALVREN_KAVREL_PATH)) {
        state.SkipWithError("libKavrel.so not found");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(cipher.EncryptText(kSsn));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(CipherLibraryEncryptText);

// The anchor: the same steps as a plain program would write them with OpenSSL's low-level MD5() and a fresh
// triple-DES context per call.
void BareOpenSslEncrypt(benchmark::State& state) {
    const std::string passPhrase = PassPhrase();
    for (auto _ : state) {
        unsigned char hash[MD5_DIGEST_LENGTH];
        MD5(reinterpret_cast<const unsigned char*>(passPhrase.data()), passPhrase.size(), hash);
        unsigned char inner[64];
        unsigned char outer[64];
        std::memset(inner, 0x36, sizeof inner);
        std::memset(outer, 0x5C, sizeof outer);
        for (int i = 0; i < MD5_DIGEST_LENGTH; ++i) {
            inner[i] ^= hash[i];
            outer[i] ^= hash[i];
        }
        unsigned char key[32];
        MD5(inner, sizeof inner, key);
        MD5(outer, sizeof outer, key + 16);

        unsigned char block[16] = {};
        std::memcpy(block, kSsn.data(), kSsn.size());
        const unsigned char vector[8] = {};
        unsigned char out[24];
        int written = 0;
        int tail = 0;
        EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
        EVP_CipherInit_ex2(context, EVP_des_ede3_cbc(), key, vector, 1, nullptr);
        EVP_CIPHER_CTX_set_padding(context, 0);
        EVP_CipherUpdate(context, out, &written, block, sizeof block);
        EVP_CipherFinal_ex(context, out + written, &tail);
        EVP_CIPHER_CTX_free(context);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BareOpenSslEncrypt);

} // namespace

BENCHMARK_MAIN();
