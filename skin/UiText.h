#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

// The one place where the core's CP949 byte texts meet the UTF-8 texts that Qt shows and reads.

// A text to show. Bytes that are not valid CP949 are shown as replacement characters, never dropped silently.
QString ToUi(std::string_view cp949);

// A text typed by the user as CP949 bytes; nothing when it holds a character CP949 cannot represent.
std::optional<std::string> FromUi(const QString& text);

// Whether a typed text can be kept: every character has a CP949 form and the bytes stay within the limit
// (0: no limit).
bool FitsCp949(const QString& text, int byteLimit);
