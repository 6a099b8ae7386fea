#include "standins/centre/LocalTime.h"

std::string FormatLocalTime(std::time_t when, const char* format) {
    std::tm local{};
    localtime_r(&when, &local);
    char text[64];
    return std::strftime(text, sizeof text, format, &local) > 0 ? text : "";
}
