#include "updater/UpdateStatement.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace updater {
namespace {

constexpr std::string_view kContext = "Halvren update statement 2";
constexpr std::size_t kVersionMax = 32;
constexpr std::size_t kDigestSize = 32;
constexpr std::array<std::string_view, 5> kKeys = {"name", "version", "size", "action", "sha256"};

std::string Hex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += kDigits[c >> 4];
        hex += kDigits[c & 15];
    }
    return hex;
}

std::optional<std::string> Unhex(std::string_view hex) {
    if (hex.size() != 2 * kDigestSize) {
        return std::nullopt;
    }
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        unsigned value = 0;
        const auto [end, error] = std::from_chars(hex.data() + i, hex.data() + i + 2, value, 16);
        if (error != std::errc() || end != hex.data() + i + 2) {
            return std::nullopt;
        }
        bytes += static_cast<char>(value);
    }
    return bytes;
}

std::optional<std::uint32_t> Number(std::string_view text) {
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::string StatementText(const UpdateStatement& s) {
    const std::array<std::string, 5> values = {s.name, s.version, std::to_string(s.size), std::to_string(s.action),
                                               Hex(s.sha256)};
    std::string text(kContext);
    text += '\n';
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        text.append(kKeys[i]).append("=").append(values[i]).append("\n");
    }
    return text;
}

std::optional<UpdateStatement> ParseStatement(std::string_view text) {
    std::array<std::string_view, 5> values;
    std::string_view rest = text;
    for (std::size_t i = 0; i <= kKeys.size(); ++i) {
        const std::size_t end = rest.find('\n');
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end + 1);
        if (i == 0) {
            if (line != kContext) {
                return std::nullopt;
            }
            continue;
        }
        const std::string_view key = kKeys[i - 1];
        if (line.size() <= key.size() || line.substr(0, key.size()) != key || line[key.size()] != '=') {
            return std::nullopt;
        }
        values[i - 1] = line.substr(key.size() + 1);
    }
    UpdateStatement statement;
    statement.name = values[0];
    statement.version = values[1];
    const std::optional<std::uint32_t> size = Number(values[2]);
    const std::optional<std::uint32_t> action = Number(values[3]);
    const std::optional<std::string> digest = Unhex(values[4]);
    if (!rest.empty() || statement.name.empty() || statement.name.find('\0') != std::string::npos ||
        !IsDottedVersion(statement.version) || !size || !action || !digest) {
        return std::nullopt;
    }
    statement.size = *size;
    statement.action = *action;
    statement.sha256 = *digest;
    // One text for one statement: "01" for 1 or upper-case digits would be a second spelling of it.
    if (StatementText(statement) != text) {
        return std::nullopt;
    }
    return statement;
}

bool IsDottedVersion(std::string_view version) {
    if (version.empty() || version.size() > kVersionMax || version.front() == '.' || version.back() == '.' ||
        version.find("..") != std::string_view::npos) {
        return false;
    }
    return std::all_of(version.begin(), version.end(), [](char c) { return c == '.' || (c >= '0' && c <= '9'); });
}

bool IsNewerVersion(std::string_view version, std::string_view installed) {
    return version.compare(installed.empty() ? std::string_view("1.0.0.0") : installed) > 0;
}

} // namespace updater
