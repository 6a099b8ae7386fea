#include "client/env/PersonFile.h"

#include "platform/Codec.h"

#include <cstdint>

namespace {

void AppendLe(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

std::uint64_t Le(std::string_view bytes) {
    std::uint64_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;) {
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    }
    return value;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// UTF-16LE to UTF-8; nullopt for an unpaired surrogate.
std::optional<std::string> Utf16LeToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        std::uint32_t unit = static_cast<std::uint32_t>(Le(bytes.substr(i, 2)));
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 3 >= bytes.size()) {
                return std::nullopt;
            }
            const std::uint32_t low = static_cast<std::uint32_t>(Le(bytes.substr(i + 2, 2)));
            if (low < 0xDC00 || low > 0xDFFF) {
                return std::nullopt;
            }
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            return std::nullopt;
        }
        AppendUtf8(out, unit);
    }
    return out;
}

} // namespace

void PersonFile::AppendString(std::string& out, std::string_view text) {
    const std::uint64_t length = text.size();
    if (length < 0xFF) {
        out.push_back(static_cast<char>(length));
    } else if (length < 0xFFFE) {
        out.push_back('\xFF');
        AppendLe(out, length, 2);
    } else {
        out.push_back('\xFF');
        AppendLe(out, 0xFFFF, 2);
        AppendLe(out, length, 4);
    }
    out.append(text);
}

bool PersonFile::Reader::Take(std::size_t count, std::string_view& out) {
    if (count > m_rest.size()) {
        return false;
    }
    out = m_rest.substr(0, count);
    m_rest.remove_prefix(count);
    return true;
}

std::optional<std::uint64_t> PersonFile::Reader::ReadLength(bool& wide) {
    std::string_view bytes;
    if (!Take(1, bytes)) {
        return std::nullopt;
    }
    if (static_cast<unsigned char>(bytes[0]) < 0xFF) {
        return static_cast<unsigned char>(bytes[0]);
    }
    if (!Take(2, bytes)) {
        return std::nullopt;
    }
    const std::uint64_t word = Le(bytes);
    if (word == 0xFFFE) {
        if (wide) {
            return std::nullopt; // one wide marker at most
        }
        wide = true;
        return ReadLength(wide);
    }
    if (word < 0xFFFF) {
        return word;
    }
    if (!Take(4, bytes)) {
        return std::nullopt;
    }
    return Le(bytes);
}

std::optional<std::string> PersonFile::Reader::ReadString() {
    bool wide = false;
    const std::optional<std::uint64_t> length = ReadLength(wide);
    if (!length) {
        return std::nullopt;
    }
    // Compare before multiplying: a 32-bit count of wide characters must not overflow or allocate.
    const std::uint64_t unit = wide ? 2 : 1;
    if (*length > m_rest.size() / unit) {
        m_rest = {};
        return std::nullopt;
    }
    std::string_view bytes;
    Take(static_cast<std::size_t>(*length * unit), bytes);
    if (!wide) {
        return std::string(bytes);
    }
    const std::optional<std::string> utf8 = Utf16LeToUtf8(bytes);
    if (!utf8) {
        return std::nullopt;
    }
    return platform::Utf8ToCp949(*utf8);
}
