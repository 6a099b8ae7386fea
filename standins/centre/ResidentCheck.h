#pragma once

#include <ctime>
#include <string>

// What the centre accepts as a person: a name that looks like a name and a resident registration number
// that could have been issued. Neither check proves that the person exists; the registry of known numbers
// (CentreStore) decides whether name and number belong together.

// 13 digits: a real birth date (YYMMDD), not after `today`, with a seventh digit that names the century
// (9/0 1800s, 1/2 and 5/6 1900s, 3/4 and 7/8 2000s).
bool IsPlausibleNumber(const std::string& digits, std::time_t today);

// A code page 949 name: 2 to 10 Hangul syllables, or Latin words with single blanks between them,
// 2 to 20 characters in all.
bool IsPlausibleName(const std::string& cp949Name);
