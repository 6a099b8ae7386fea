#pragma once

#include <string>

namespace platform {

// Opens an address in the desktop's browser. False when no opener could be started.
bool OpenAddress(const std::string& address);

// Starts a program by its path with no arguments, detached from this process: it lives on after we end, with
// our environment (the same display), in `folder` when one is given. False when it could not be started.
bool StartProgram(const std::string& path, const std::string& folder = std::string());

} // namespace platform
