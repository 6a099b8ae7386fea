#pragma once

#include <string>
#include <string_view>

// Removes white space from both ends of a code page 949 text. Only single-byte blanks, tabs and line breaks
// count; no trail byte of a double-byte character falls in that range, so cutting bytes is safe.
std::string TrimSpace(std::string_view text);
