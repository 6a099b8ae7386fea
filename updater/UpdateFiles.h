#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The files of the program folder as the updater sees them.
namespace updater {

inline constexpr const char* kClientFile = "Halvren";
inline constexpr const char* kSettingsFile = "EnvSet.ini";
inline constexpr const char* kKeyFile = "update-key.pem";

// The bytes of a regular file of at most `limit` bytes; nothing when it is missing, larger or unreadable, and
// without `followLinks` also when it is a link.
std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t limit, bool followLinks = true);

// Files that hold the user's data or the trust in updates, which no update may replace, signed or not: the
// stored persons, the settings, the key, the report draft, the download folder.
bool IsKeptFile(std::string_view name);
// True when `name` in `folder` is missing or a plain file; false for a link, a folder or anything else.
bool IsPlainFileOrMissing(const std::string& folder, const std::string& name);

// Puts the downloaded file `source` in place of the file `name` in `programFolder`: a copy is written beside
// it and renamed over it, keeping its permission bits (0644 where there was none), and then `source` is
// removed. False, with the program folder as it was, when the place holds anything but a plain file or the
// copy could not be put in place.
bool PutInPlace(const std::string& source, const std::string& programFolder, const std::string& name,
                std::size_t limit);

// The installed version ("CURRENT_VERSION" of the settings) and the one the centre last announced
// ("LAST_VERSION"); empty when not set.
std::string InstalledVersion(const std::string& programFolder);
std::string AnnouncedVersion(const std::string& programFolder);
// Records `version` as the installed one; every other line of the settings stays as it was.
bool RecordInstalledVersion(const std::string& programFolder, const std::string& version);

} // namespace updater
