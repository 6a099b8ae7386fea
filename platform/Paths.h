#pragma once

#include <string>

namespace platform {

// Everything of `path` up to and including its last "/"; empty when it has none. "/Halvren" gives "/".
std::string FolderOf(const std::string& path);

// The folder of the running executable, ending in "/"; empty when the system does not tell it.
std::string ExecutableFolder();

} // namespace platform
