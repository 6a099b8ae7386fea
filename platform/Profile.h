#pragma once

#include <string>
#include <string_view>

namespace platform {

// Private-profile (INI) files as installers and the updater write them: CR LF, LF or a lone CR end a line;
// ";" comments, blank lines and odd spacing are all accepted. Section and key names compare
// case-insensitively (ASCII) and are trimmed of blanks, in a query as in the file; only the first section of
// a name counts, and in it the first occurrence of a key wins. Texts are bytes (code page 949); nothing is
// converted.

// The longest value a read returns, in bytes.
inline constexpr std::size_t kProfileValueMax = 1023;

// The value of `key` in `section`: the text after the first "=", without the blanks and tabs around it and
// without one pair of matching surrounding quotes, cut to kProfileValueMax bytes (never inside a double-byte
// character). `defaultValue` when the file, the section or the key is missing.
std::string ReadProfileString(const std::string& path, std::string_view section, std::string_view key,
                              std::string_view defaultValue = {});

// Sets `key` in `section` to `value`, creating the file, the section and the key as needed. Every other line
// of the file stays byte for byte as it was; the line written ends in "\r\n". The file is replaced safely
// (see SafeSave) and keeps its permissions. False, with the file untouched, when the file cannot be read or
// written, when a name or the value would break the line structure (line breaks, "=" in a key, "]" in a
// section name), or when a read of the result would not give the value back.
bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

} // namespace platform
