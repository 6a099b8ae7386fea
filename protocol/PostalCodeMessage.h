#pragma once

#include <string>
#include <vector>

class TagReader;

// The postal-code search (work code 002): the centre lists the postal codes and addresses of a neighbourhood.
// Plain C++ on code page 949 bytes.

// One match of a search, as the centre sent it.
struct PostalCodeEntry {
    std::string zipCode; // 6 digits
    std::string addr1;   // the address up to the neighbourhood
    std::string addr2;   // the rest, such as a range of lot numbers
};

// The request text; `neighbourhood` goes as given (the caller trims it), between single blanks.
std::string PostalCodeRequest(const std::string& neighbourhood);

// The matches of a reply, in the centre's order.
std::vector<PostalCodeEntry> ReadPostalCodeList(const TagReader& reader, const std::string& reply);

// A postal code as the windows show it: the first 3 characters, " - ", the rest ("123456" gives
// "123 - 456"); a code of 3 characters or fewer stays as it is.
std::string ZipForDisplay(const std::string& zipCode);
// The postal code behind a display: the separator taken out again.
std::string ZipFromDisplay(const std::string& display);
