#pragma once

#include <string>

// The emergency report as it travels to the centre (work code 011), and the texts the report page composes
// for it. Plain C++ on code page 949 bytes.

// What one report carries, gathered by the report page.
struct ReportFields {
    // The person on whose behalf the report is made, as the record holds them.
    std::string name;
    std::string storedSsn; // the cipher text of the registration number, never the digits
    std::string zip;
    std::string addr1;
    std::string addr2;
    std::string tel1;
    std::string tel2;
    std::string tel3;
    std::string cell1;
    std::string cell2;
    std::string cell3;
    std::string email;
    std::string localIp;
    // The report itself: the page's place and detail texts as they stand, and the category's title.
    std::string place;
    std::string detail;
    std::string title;
};

// The request text of work code 011. Place and detail go through the free-text rule; every other value goes
// out as given.
std::string ReportRequest(const ReportFields& fields);

// The title of a report category (0 fire to 4 other); empty for "none" and anything else.
std::string ReportTitleFor(int category);

// The section that opens the detail text of a medical report. For a registered patient: the birth date and
// sex read from the registration number, then a line break and the patient's case notes. Without one (the
// other patient): the heading and a line break alone.
std::string PatientSection(const std::string& patientSsn, const std::string& patientCaseNote);
std::string OtherPatientSection();

// The detail text as the page shows it: the generated patient section (empty outside a medical report), then
// the user's own words, on a line of their own when the section does not end with a line break.
std::string DetailWithSection(const std::string& section, const std::string& words);
// The user's own words of a detail text that was composed with `section`. When the user changed the section
// itself, all of the detail counts as the user's, so a switch of patient or category never loses a word.
std::string WordsAfterSection(const std::string& detail, const std::string& section);

// A phone number as the confirmation shows it: the parts joined by "-", a hyphen only after a part that is
// there ("02-1234-5678", "1234-5678", "5678", "").
std::string JoinPhoneForDisplay(const std::string& first, const std::string& middle, const std::string& last);
