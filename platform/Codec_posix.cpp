#include "platform/Codec.h"

#include <cerrno>
#include <iconv.h>

namespace platform {
namespace {

std::optional<std::string> Convert(const char* to, const char* from, std::string_view input) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string out;
    out.resize(input.size() * 2 + 16);
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    size_t done = 0;
    bool ok = true;
    while (inLeft > 0) {
        char* outPtr = out.data() + done;
        size_t outLeft = out.size() - done;
        size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        done = out.size() - outLeft;
        if (r != static_cast<size_t>(-1)) {
            // iconv may substitute what the target cannot hold and count it; we refuse that too.
            ok = (r == 0);
            break;
        }
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        ok = false; // EILSEQ or EINVAL: a character the other side cannot hold, or a cut one
        break;
    }
    iconv_close(cd);
    if (!ok) {
        return std::nullopt;
    }
    out.resize(done);
    return out;
}

} // namespace

std::optional<std::string> Cp949ToUtf8(std::string_view cp949) {
    return Convert("UTF-8", "CP949", cp949);
}

std::optional<std::string> Utf8ToCp949(std::string_view utf8) {
    return Convert("CP949", "UTF-8", utf8);
}

std::string Cp949Of(std::string_view utf8) {
    return Utf8ToCp949(utf8).value_or(std::string());
}

} // namespace platform
