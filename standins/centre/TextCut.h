#pragma once

#include <cstddef>
#include <string>

// The first `maxChars` characters of a UTF-8 text, never cut inside a character; `cut` tells whether anything
// was left out.
std::string CutUtf8(const std::string& utf8, std::size_t maxChars, bool& cut);
