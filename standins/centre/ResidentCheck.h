#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

// What the centre accepts as a person: a name that looks like a name and a resident registration number
// that could have been issued. Neither check proves that the person exists; the registry of known numbers
// (CentreStore) decides whether name and number belong together.

// 13 digits: a real birth date (YYMMDD), not after `today`, with a seventh digit that names the century
// (9/0 1800s, 1/2 and 5/6 1900s, 3/4 and 7/8 2000s).
bool IsPlausibleNumber(const std::string& digits, std::time_t today);

// A code page 949 name: 2 to 10 Hangul syllables, or Latin words with single blanks between them,
// 2 to 20 characters in all.
bool IsPlausibleName(const std::string& cp949Name);

// A resident as the operator enters one, for the register.
struct Resident {
    std::string ssn;  // 13 digits
    std::string name; // code page 949
};

// Reads a name (UTF-8) and a number (13 digits, a hyphen after the sixth allowed) that pass the two checks
// above. Nothing, and the reason in `error` (UTF-8), when they do not.
std::optional<Resident> ReadResident(std::string_view nameUtf8, std::string_view number, std::time_t today,
                                     std::string& error);
