// The cipher's decode path on any text a person file, a settings file or a request may carry: the printable
// form's decoder, and decryption through the library's one entry point.
#include "cipher/CipherText.h"
#include "cipher/CryptString.h"
#include "fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const std::optional<std::string> bytes = kavrel::DecodeCipherText(text)) {
        FUZZ_CHECK(bytes->size() <= text.size() / 4 * 3);
        FUZZ_CHECK(kavrel::DecodeCipherText(kavrel::EncodeCipherText(*bytes)) == bytes);
    }
    // The library writes its result into the caller's buffer: exactly as large as the text, so that
    // the sanitizer sees any byte written past it.
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    const int result = CryptString("482 pass phrase", buffer.data(), 0);
    FUZZ_CHECK(result == 1 || result == -1);
    FUZZ_CHECK(std::memchr(buffer.data(), '\0', buffer.size()) != nullptr);
    return 0;
}
