#pragma once

#include <string>
#include <string_view>

namespace platform {

// Replaces the file at `path` with `bytes` so that a crash, a full disk or a failed write never leaves a
// half-written file: the bytes go to a new file in the same folder, are flushed to the disk, and that file is
// renamed over the old one. `mode` gives the permission bits of the result (0600: owner only). False when any
// step failed; the old file is then untouched and no temporary file is left behind.
bool SafeSave(const std::string& path, std::string_view bytes, unsigned mode);

// The same for the file `name` (no folder part) in `folder`, where the folder itself must not be a link: a
// link there is refused, never followed. A link standing at `name` is replaced, never written through.
bool SafeSaveInFolder(const std::string& folder, const std::string& name, std::string_view bytes, unsigned mode);

} // namespace platform
