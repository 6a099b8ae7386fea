#include "platform/Profile.h"

#include "platform/SafeSave.h"

#include <cerrno>
#include <fstream>
#include <iterator>
#include <optional>
#include <sys/stat.h>
#include <vector>

namespace platform {
namespace {

struct Line {
    std::string_view text; // without its line end
    std::string_view end;  // "\r\n", "\n" or empty for a last line without one
};

enum class Kind { Other, Section, Key };

struct Parsed {
    Kind kind = Kind::Other;
    std::string_view name;  // section or key name, trimmed
    std::string_view value; // raw text after "=" (keys only)
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

// CR LF, LF and a lone CR all end a line, as every editor and platform reader treats them.
std::vector<Line> SplitLines(std::string_view content) {
    std::vector<Line> lines;
    // A byte order mark written by some editors is not part of the first line's text.
    size_t pos = content.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    if (pos == 3) {
        lines.push_back({content.substr(0, 0), content.substr(0, 3)});
    }
    while (pos < content.size()) {
        const size_t brk = content.find_first_of("\r\n", pos);
        if (brk == std::string_view::npos) {
            lines.push_back({content.substr(pos), {}});
            break;
        }
        const size_t endLength = (content[brk] == '\r' && brk + 1 < content.size() && content[brk + 1] == '\n') ? 2 : 1;
        lines.push_back({content.substr(pos, brk - pos), content.substr(brk, endLength)});
        pos = brk + endLength;
    }
    return lines;
}

Parsed ParseLine(std::string_view text) {
    const std::string_view t = TrimBlanks(text);
    if (t.empty() || t.front() == ';') {
        return {};
    }
    if (t.front() == '[') {
        const size_t close = t.find(']');
        const std::string_view name = close == std::string_view::npos ? t.substr(1) : t.substr(1, close - 1);
        return {Kind::Section, TrimBlanks(name), {}};
    }
    const size_t eq = t.find('=');
    if (eq == std::string_view::npos) {
        return {};
    }
    const std::string_view name = TrimBlanks(t.substr(0, eq));
    if (name.empty()) {
        return {};
    }
    return {Kind::Key, name, t.substr(eq + 1)};
}

std::string CleanValue(std::string_view raw) {
    std::string_view v = TrimBlanks(raw);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        v = v.substr(1, v.size() - 2);
    }
    // Cut at a character boundary: a byte from 0x81 up leads a double-byte character.
    size_t end = 0;
    while (end < v.size()) {
        const size_t step = (static_cast<unsigned char>(v[end]) >= 0x81 && end + 1 < v.size()) ? 2 : 1;
        if (end + step > kProfileValueMax) {
            break;
        }
        end += step;
    }
    return std::string(v.substr(0, end));
}

// The raw value of `key` in the first section called `section`; a later section of the same name does not
// count, so a stray second "[DEFAULT]" never stands in for a key missing from the first.
std::optional<std::string_view> FindRawValue(const std::vector<Line>& lines, std::string_view section,
                                             std::string_view key) {
    bool inSection = false;
    for (const Line& line : lines) {
        const Parsed p = ParseLine(line.text);
        if (p.kind == Kind::Section) {
            if (inSection) {
                break;
            }
            inSection = SameName(p.name, section);
        } else if (p.kind == Kind::Key && inSection && SameName(p.name, key)) {
            return p.value;
        }
    }
    return std::nullopt;
}

// The whole file; nullopt when it exists but cannot be read, empty when it does not exist.
std::optional<std::string> ReadFile(const std::string& path, bool& exists) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        exists = (errno != ENOENT);
        if (exists) {
            return std::nullopt;
        }
        return std::string();
    }
    exists = true;
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        return std::nullopt;
    }
    return content;
}

bool HasAny(std::string_view s, std::string_view chars) {
    return s.find_first_of(chars) != std::string_view::npos;
}

} // namespace

std::string ReadProfileString(const std::string& path, std::string_view section, std::string_view key,
                              std::string_view defaultValue) {
    bool exists = false;
    const std::optional<std::string> content = ReadFile(path, exists);
    if (!content) {
        return std::string(defaultValue);
    }
    const std::optional<std::string_view> raw =
        FindRawValue(SplitLines(*content), TrimBlanks(section), TrimBlanks(key));
    return raw ? CleanValue(*raw) : std::string(defaultValue);
}

bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
    const std::string_view sectionName = TrimBlanks(section);
    const std::string_view keyName = TrimBlanks(key);
    if (sectionName.empty() || keyName.empty() || HasAny(section, "]\r\n") || HasAny(key, "=\r\n") ||
        HasAny(value, "\r\n") || keyName.front() == ';' || keyName.front() == '[') {
        return false;
    }
    bool exists = false;
    const std::optional<std::string> content = ReadFile(path, exists);
    if (!content) {
        return false;
    }
    const std::vector<Line> lines = SplitLines(*content);
    const std::string newLine = std::string(keyName) + "=" + std::string(value) + "\r\n";

    // Where the key line goes: replace `replaceAt`, or insert after `insertAfter`.
    std::optional<size_t> replaceAt;
    std::optional<size_t> insertAfter;
    bool inSection = false;
    bool sectionSeen = false;
    for (size_t i = 0; i < lines.size() && !replaceAt; ++i) {
        const Parsed p = ParseLine(lines[i].text);
        if (p.kind == Kind::Section) {
            if (inSection) {
                break; // only the first section of that name takes new keys
            }
            inSection = !sectionSeen && SameName(p.name, sectionName);
            if (inSection) {
                sectionSeen = true;
                insertAfter = i;
            }
        } else if (inSection) {
            if (p.kind == Kind::Key && SameName(p.name, keyName)) {
                replaceAt = i;
            } else if (!TrimBlanks(lines[i].text).empty()) {
                insertAfter = i;
            }
        }
    }

    std::string out;
    out.reserve(content->size() + newLine.size() + section.size() + 8);
    auto appendLine = [&out](const Line& line, bool needsEnd) {
        out.append(line.text);
        out.append(line.end.empty() && needsEnd ? std::string_view("\r\n") : line.end);
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        if (replaceAt && *replaceAt == i) {
            out += newLine;
            continue;
        }
        const bool insertHere = !replaceAt && insertAfter && *insertAfter == i;
        appendLine(lines[i], insertHere || i + 1 < lines.size() || !insertAfter);
        if (insertHere) {
            out += newLine;
        }
    }
    if (!sectionSeen) {
        out.append("[").append(sectionName).append("]\r\n").append(newLine);
    }
    // Whatever the file looked like, the write counts only when a reader finds the value it was given.
    const std::optional<std::string_view> written = FindRawValue(SplitLines(out), sectionName, keyName);
    if (!written || CleanValue(*written) != CleanValue(value)) {
        return false;
    }

    unsigned mode = 0644;
    struct stat st {};
    if (exists && stat(path.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    }
    return SafeSave(path, out, mode);
}

} // namespace platform
