#pragma once

#include <string>

namespace platform {

// Opens an address in the browser of $BROWSER, or else the desktop's. False when no opener could be started
// or one reported within two seconds that it failed; blocks that long at most.
bool OpenAddress(const std::string& address);

// Opens a file as the desktop does for its type, or with the program `opener` when one is given (called with
// the path as its one argument), detached from this process. False when no opener could be started.
bool OpenFile(const std::string& path, const std::string& opener = std::string());

// Starts a program by its path with no arguments, detached from this process: it lives on after we end.
// False when it could not be started.
bool StartProgram(const std::string& path);

} // namespace platform
