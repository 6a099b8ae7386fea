#pragma once

#include "protocol/TagReader.h"

#include <string>
#include <vector>

// Reads the repeated groups of `fields` inside the container element of a reply, in order. The list ends
// at the first group whose first field is missing, unclosed or behind the container's end; a group with a
// later field missing or unclosed ends the list and is left out. The walk never starts over.
std::vector<std::vector<std::string>> ReadTagList(const TagReader& reader, const std::string& text,
                                                  const std::string& container, const std::vector<std::string>& fields);
