#pragma once

#include <string>
#include <vector>

class TagReader;

// The report history as it travels between the client and the centre (work code 015). Plain C++ on code page
// 949 bytes.

// The request text of work code 015 for one person: the plain name, the cipher text of the registration number
// as stored, and the kind of inquiry (the history page always asks for 1).
std::string HistoryRequest(const std::string& name, const std::string& storedSsn, int caseSet);

// One report of a history reply, in the order the centre lists its fields.
struct HistoryRecord {
    std::string no;         // the centre's number of the report; kept, not shown
    std::string boardLevel; // kept, not shown
    std::string name;       // who reported
    std::string place;      // DSRADDR, where it happened
    std::string title;
    std::string contents;
    std::string date;       // when it was written, as the centre words it
    std::string procStatus; // how far the centre has dealt with it, without the centre's "null" marks
};

// The reports of a successful history reply, in reply order. A reply without the list has none; a report with
// a field missing or unclosed ends the list, the reports before it stay.
std::vector<HistoryRecord> ReadHistoryList(const TagReader& reader, const std::string& reply);

// `status` without any "null" in it. Only whole characters count, so a trail byte of a Hangul syllable never
// starts a match.
std::string WithoutNull(const std::string& status);
