#include "updater/UpdateFiles.h"

#include "platform/Profile.h"
#include "platform/SafeSave.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace updater {
namespace {

constexpr const char* kSection = "DEFAULT";

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x >= 'A' && x <= 'Z' ? x + 32 : x) == (y >= 'A' && y <= 'Z' ? y + 32 : y);
           });
}

} // namespace

std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t limit, bool followLinks) {
    std::error_code error;
    if (!followLinks && fs::is_symlink(fs::symlink_status(path, error))) {
        return std::nullopt;
    }
    if (!fs::is_regular_file(path, error)) {
        return std::nullopt;
    }
    const std::uintmax_t size = fs::file_size(path, error);
    if (error || size > limit) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())) || in.peek() != EOF) {
        return std::nullopt; // shorter or longer than it was a moment ago: not the file that was checked
    }
    return bytes;
}

bool IsKeptFile(std::string_view name) {
    // Compared without regard to case: on a file system that ignores it, "person.std" is the same file.
    for (const char* kept : {"Person.std", kSettingsFile, kKeyFile, "Draft.std", "Down"}) {
        if (SameName(name, kept)) {
            return true;
        }
    }
    return false;
}

bool IsPlainFileOrMissing(const std::string& folder, const std::string& name) {
    std::error_code error;
    const fs::file_type type = fs::symlink_status(fs::path(folder) / name, error).type();
    return type == fs::file_type::regular || type == fs::file_type::not_found;
}

bool PutInPlace(const std::string& source, const std::string& programFolder, const std::string& name,
                std::size_t limit) {
    const std::optional<std::string> bytes = ReadFileBytes(source, limit, false);
    if (!bytes || IsKeptFile(name) || !IsPlainFileOrMissing(programFolder, name)) {
        return false;
    }
    std::error_code error;
    const fs::file_status old = fs::symlink_status(fs::path(programFolder) / name, error);
    const unsigned mode = fs::is_regular_file(old) ? static_cast<unsigned>(old.permissions() & fs::perms::mask) : 0644u;
    if (!platform::SafeSaveInFolder(programFolder, name, *bytes, mode)) {
        return false;
    }
    fs::remove(source, error);
    return true;
}

std::string InstalledVersion(const std::string& programFolder) {
    return platform::ReadProfileString(programFolder + kSettingsFile, kSection, "CURRENT_VERSION");
}

std::string AnnouncedVersion(const std::string& programFolder) {
    return platform::ReadProfileString(programFolder + kSettingsFile, kSection, "LAST_VERSION");
}

bool RecordInstalledVersion(const std::string& programFolder, const std::string& version) {
    return platform::WriteProfileString(programFolder + kSettingsFile, kSection, "CURRENT_VERSION", version);
}

} // namespace updater
