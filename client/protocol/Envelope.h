#pragma once

#include <string>
#include <string_view>

// Pieces of the request texts sent to the reporting centre. Values go in verbatim: no escaping.

// One body field: opening tag, one blank, the value, closing tag.
std::string TagField(std::string_view name, std::string_view value);

// Work code 003: asks the centre for the current program version. It has no body.
std::string VersionRequest();
