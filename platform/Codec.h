#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Code page 949 is the byte form of every text inside the program; UTF-8 is only what the windows show.
// Both directions refuse (return nothing) a text that cannot be converted whole.
std::optional<std::string> Cp949ToUtf8(std::string_view cp949);
std::optional<std::string> Utf8ToCp949(std::string_view utf8);

// A fixed text of the program, written in the source in UTF-8, in its code page 949 form.
std::string Cp949Of(std::string_view utf8);

} // namespace platform
