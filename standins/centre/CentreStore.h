#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

// One emergency report as the centre keeps it. Texts are code page 949 bytes as received; `ssn` is the
// deciphered 13-digit number.
struct CentreReport {
    std::int64_t no = 0;
    std::int64_t receivedAt = 0; // seconds since the epoch
    std::string ssn, name, zipCode, addr1, addr2, tel1, tel2, tel3, phone, email, ip;
    std::string place, title, contents;
    // The register knows the caller's name and number as a pair. A report is taken either way, since nobody
    // is kept from reporting an emergency; the dispatcher sees which callers are not confirmed.
    bool verified = false;
};

// One row of the postal table, in UTF-8.
struct PostalEntry {
    std::string zipCode, addr1, addr2;
};

// How a name stands against the resident register.
enum class ResidentMatch {
    Unknown,  // the number is not in the register
    SameName, // the number is registered with this name
    OtherName // the number is registered with another name
};

// The centre's storage: the resident register, reports and postal codes in one SQLite database (WAL). Every
// write is committed to disk before the call returns, so a reply sent afterwards never promises more than
// a crash would keep. Safe to call from many threads; failures come back as empty results.
class CentreStore {
public:
    ~CentreStore();
    CentreStore(const CentreStore&) = delete;
    CentreStore& operator=(const CentreStore&) = delete;

    // Opens or creates "centre.db" in `dataDir` (created when missing). A new database gets the postal
    // table from `postalFile` and the seeded residents. A database from before the register was the
    // operator's alone loses the residents that requests had added, and its reports are checked against
    // what is left. On failure returns null and says why in `error`.
    static std::unique_ptr<CentreStore> Open(const std::filesystem::path& dataDir,
                                             const std::filesystem::path& postalFile, std::string& error);

    // Looks the number up in the register. Requests never change the register.
    std::optional<ResidentMatch> CheckResident(const std::string& ssn, const std::string& name);
    // The operator's word: registers the number with the name, replacing the name it had. The previous
    // name (code page 949) comes back in `previous`, empty when the number was new.
    bool AddResident(const std::string& ssn, const std::string& name, std::string& previous);
    // The number the report got, once it is on disk.
    std::optional<std::int64_t> AddReport(const CentreReport& report);
    // The reports of one person (number and name), newest first.
    std::optional<std::vector<CentreReport>> ReportsOf(const std::string& ssn, const std::string& name, int limit);
    // The report with this number; an empty list when there is none.
    std::optional<std::vector<CentreReport>> ReportByNo(std::int64_t no);
    // The newest reports of everybody, newest first.
    std::optional<std::vector<CentreReport>> LatestReports(int limit);
    std::optional<std::int64_t> ReportCount();
    // Entries whose neighbourhood name contains `dongUtf8`, in postal-code order.
    std::optional<std::vector<PostalEntry>> SearchPostal(const std::string& dongUtf8, int limit);

    // The residents every new database starts with (13-digit number, UTF-8 name), so that a
    // demonstration can show a number that is already known with another name.
    struct SeedResident {
        const char* ssn;
        const char* name;
    };
    static const std::vector<SeedResident>& SeedResidents();

private:
    explicit CentreStore(sqlite3* db);
    bool Execute(const char* sql);
    bool Migrate();
    std::optional<std::vector<CentreReport>> QueryReports(const char* sql, const std::vector<std::string>& keys,
                                                          int limit);

    sqlite3* m_db;
    std::mutex m_mutex; // one connection, one statement at a time
};

// Reads the postal data file: "code<TAB>address up to the neighbourhood<TAB>the rest" per line, UTF-8,
// "#" starts a comment line. Returns nothing and says which line is wrong in `error`.
std::optional<std::vector<PostalEntry>> ReadPostalFile(const std::filesystem::path& file, std::string& error);
