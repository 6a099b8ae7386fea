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
