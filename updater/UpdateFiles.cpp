#include "updater/UpdateFiles.h"

#include "platform/SafeSave.h"

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace updater {

std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t limit) {
    std::error_code error;
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

bool PutInPlace(const std::string& source, const std::string& target, std::size_t limit) {
    const std::optional<std::string> bytes = ReadFileBytes(source, limit);
    if (!bytes) {
        return false;
    }
    std::error_code error;
    const fs::file_status old = fs::status(target, error);
    unsigned mode = 0644;
    if (!error && fs::is_regular_file(old)) {
        mode = static_cast<unsigned>(old.permissions() & fs::perms::mask);
    } else if (old.type() != fs::file_type::not_found) {
        return false; // a folder or something else stands there: leave it
    }
    if (!platform::SafeSave(target, *bytes, mode)) {
        return false;
    }
    fs::remove(source, error);
    return true;
}

} // namespace updater
