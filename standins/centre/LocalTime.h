#pragma once

#include <ctime>
#include <string>

// `when` in the machine's local time, written with a strftime format.
std::string FormatLocalTime(std::time_t when, const char* format);
