#pragma once

#include <string>

// The real-name check (work code 004): the centre confirms that a name belongs to a resident registration
// number before the person is kept on this machine. Plain C++ on code page 949 bytes.

// The request text. `name` goes as given (the caller trims it); `encipheredSsn` is the cipher text of the 13
// digits, never the digits themselves.
std::string RealNameRequest(const std::string& name, const std::string& encipheredSsn);

// The message key for the centre's "CHECKRESULT" value: empty when the check passed ("1"),
// "MSG_RealName_Mismatch" for "2", "3" or "4", "MSG_RealName_SystemError" for anything else. Blanks around
// the value do not count.
std::string RealNameRefusalKey(const std::string& checkResult);
