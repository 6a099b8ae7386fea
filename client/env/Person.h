#pragma once

#include <array>
#include <string>

// A person on whose behalf reports are made. Every field is held twice: the plain form, which the pages read
// and write, and the stored form, its cipher text, which is what the person file holds and what the centre
// receives for the registration number. All texts are code page 949 bytes.
class Person {
public:
    // The fields in file order.
    enum Field {
        kZip,
        kAddr1,
        kAddr2,
        kTel1,
        kTel2,
        kTel3,
        kName,
        kSsn,
        kCaseNote,
        kCell1,
        kCell2,
        kCell3,
        kEmail,
        kReserved,
        kFieldCount
    };

    std::string Zip;      // postal code, 6 digits
    std::string Addr1;    // first address line, as the postal-code search gave it
    std::string Addr2;    // detailed address line
    std::string Tel1;     // home phone area code digits, or empty
    std::string Tel2;     // home phone middle part
    std::string Tel3;     // home phone last part
    std::string Name;     // name
    std::string Ssn;      // resident registration number, 13 digits; never empty for a stored person
    std::string CaseNote; // free notes, several lines
    std::string Cell1;    // mobile prefix digits, or empty
    std::string Cell2;    // mobile middle part
    std::string Cell3;    // mobile last part
    std::string Email;    // kept as loaded; no page sets it
    std::string Reserved; // unused; kept through load and save

    std::string& Plain(Field field);
    const std::string& Plain(Field field) const;

    // The cipher text of the last load or save.
    std::string& Stored(Field field) { return m_stored[field]; }
    const std::string& Stored(Field field) const { return m_stored[field]; }
    // What the report and history requests send as the registration number.
    const std::string& StoredSsn() const { return m_stored[kSsn]; }

    // Empties all 28 forms.
    void Clear();

private:
    std::array<std::string, kFieldCount> m_stored;
};
