#pragma once

#include <string>

namespace platform {

// Opens an address in the desktop's browser. False when no opener could be started.
bool OpenAddress(const std::string& address);

// Starts a program by its path with no arguments, detached from this process: it lives on after we end.
// False when it could not be started.
bool StartProgram(const std::string& path);

} // namespace platform
