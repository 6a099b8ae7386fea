#pragma once

#include <string>

namespace platform {

// Opens an address in the browser of $BROWSER, or else the desktop's. False when no opener could be started
// or one reported within two seconds that it failed; blocks that long at most.
bool OpenAddress(const std::string& address);

// Starts a program by its path with no arguments, detached from this process: it lives on after we end, with
// our environment (the same display), in `folder` when one is given. False when it could not be started.
bool StartProgram(const std::string& path, const std::string& folder = std::string());

} // namespace platform
