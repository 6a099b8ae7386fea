#pragma once

#include "support/TempDir.h"

#include <string>

// Lays out an installed program folder in `dir`: the built cipher library, text table and skin bitmaps, and a
// settings file that names `serverHost` and the installed version.
void LayOutProgramFolder(const TempDir& dir, const std::string& serverHost, const std::string& installedVersion,
                         bool withCipherLibrary = true);
