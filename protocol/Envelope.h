#pragma once

#include <string>
#include <string_view>

// Pieces of the request texts sent to the reporting centre. Values go in verbatim: no escaping.

// One body field: opening tag, one blank, the value, closing tag.
std::string TagField(std::string_view name, std::string_view value);

// A user's free text before it is stored or sent (place, detail, second address line, case notes): every "<"
// becomes "[" and every ">" becomes "]", so the text can never close a tag; nothing else changes.
std::string BracketFreeText(std::string text);

// Work code 003: asks the centre for the current program version. It has no body.
std::string VersionRequest();
