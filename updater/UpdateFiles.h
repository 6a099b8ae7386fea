#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace updater {

// The bytes of a regular file of at most `limit` bytes; nothing when it is missing, larger or unreadable.
std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t limit);

// Puts the downloaded file `source` in place of `target`: a copy is written beside the target and renamed
// over it, keeping the target's permission bits (0644 where there was no target), and then `source` is
// removed. False when the copy could not be put in place; the target is then as it was.
bool PutInPlace(const std::string& source, const std::string& target, std::size_t limit);

} // namespace updater
