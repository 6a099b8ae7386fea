#include "standins/centre/CentreStore.h"

#include "platform/Codec.h"

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A prepared statement that finalises itself.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr); }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return m_stmt != nullptr; }
    // Code page 949 texts are kept as blobs, so no byte is ever reinterpreted.
    void Blob(int index, const std::string& value) {
        sqlite3_bind_blob(m_stmt, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    }
    void Text(int index, const std::string& value) {
        sqlite3_bind_text(m_stmt, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    }
    void Int(int index, std::int64_t value) { sqlite3_bind_int64(m_stmt, index, value); }
    int Step() { return sqlite3_step(m_stmt); }
    std::int64_t ColumnInt(int column) { return sqlite3_column_int64(m_stmt, column); }
    std::string Column(int column) {
        const void* data = sqlite3_column_blob(m_stmt, column);
        int size = sqlite3_column_bytes(m_stmt, column);
        return data ? std::string(static_cast<const char*>(data), static_cast<size_t>(size)) : std::string();
    }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS residents (
    ssn TEXT PRIMARY KEY,
    name BLOB NOT NULL,
    registered_at INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS reports (
    no INTEGER PRIMARY KEY AUTOINCREMENT,
    received_at INTEGER NOT NULL,
    ssn TEXT NOT NULL, name BLOB NOT NULL, zipcode BLOB, addr1 BLOB, addr2 BLOB,
    tel1 BLOB, tel2 BLOB, tel3 BLOB, phone BLOB, email BLOB, ip BLOB,
    dsraddr BLOB NOT NULL, title BLOB NOT NULL, contents BLOB NOT NULL,
    verified INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX IF NOT EXISTS reports_by_person ON reports (ssn, name, no);
CREATE TABLE IF NOT EXISTS postal (
    id INTEGER PRIMARY KEY,
    zcode TEXT NOT NULL, addr1 TEXT NOT NULL, addr2 TEXT NOT NULL, dong TEXT NOT NULL
);
)";

constexpr const char* kReportColumns = "no, received_at, ssn, name, zipcode, addr1, addr2, tel1, tel2, tel3, phone, "
                                       "email, ip, dsraddr, title, contents, verified";

// The database layout this code writes; older databases are brought up to it when opened.
constexpr int kSchemaVersion = 1;

CentreReport ReadReport(Statement& row) {
    CentreReport r;
    r.no = row.ColumnInt(0);
    r.receivedAt = row.ColumnInt(1);
    std::string* texts[] = {&r.ssn,  &r.name,  &r.zipCode, &r.addr1, &r.addr2, &r.tel1,  &r.tel2,
                            &r.tel3, &r.phone, &r.email,   &r.ip,    &r.place, &r.title, &r.contents};
    int column = 2;
    for (std::string* text : texts) {
        *text = row.Column(column++);
    }
    r.verified = row.ColumnInt(column) != 0;
    return r;
}

bool IsSixDigits(const std::string& code) {
    if (code.size() != 6) {
        return false;
    }
    for (char c : code) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

// The neighbourhood is the last word of the first address line.
std::string DongOf(const std::string& addr1) {
    size_t blank = addr1.rfind(' ');
    return blank == std::string::npos ? addr1 : addr1.substr(blank + 1);
}

} // namespace

CentreStore::CentreStore(sqlite3* db) : m_db(db) {}

CentreStore::~CentreStore() {
    sqlite3_close(m_db);
}

const std::vector<CentreStore::SeedResident>& CentreStore::SeedResidents() {
    static const std::vector<SeedResident> seeds = {
        {"8001011234567", "홍길동"}, {"8503152345678", "김영희"}, {"0107203456789", "이민준"},
        {"0311054567890", "박서연"}, {"9202291357913", "최지훈"},
    };
    return seeds;
}

std::optional<std::vector<PostalEntry>> ReadPostalFile(const std::filesystem::path& file, std::string& error) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = "cannot read the postal table " + file.string();
        return std::nullopt;
    }
    std::vector<PostalEntry> entries;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        size_t tab1 = line.find('\t');
        size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
        PostalEntry entry;
        if (tab2 != std::string::npos) {
            entry = {line.substr(0, tab1), line.substr(tab1 + 1, tab2 - tab1 - 1), line.substr(tab2 + 1)};
        }
        // Every entry must also travel as code page 949, and hold no tag bracket.
        bool ok = tab2 != std::string::npos && IsSixDigits(entry.zipCode) && !entry.addr1.empty() &&
                  !entry.addr2.empty() && line.find_first_of("<>") == std::string::npos &&
                  platform::Utf8ToCp949(line).has_value();
        if (!ok) {
            error = file.string() + ":" + std::to_string(number) +
                    ": expected a 6-digit code, the address up to the neighbourhood and the rest, tab-separated";
            return std::nullopt;
        }
        entries.push_back(std::move(entry));
    }
    if (entries.empty()) {
        error = "the postal table " + file.string() + " holds no entries";
        return std::nullopt;
    }
    return entries;
}

std::unique_ptr<CentreStore> CentreStore::Open(const std::filesystem::path& dataDir,
                                               const std::filesystem::path& postalFile, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(dataDir, ec);
    std::string path = (dataDir / "centre.db").string();
    // Resident numbers and every caller's details: the owner's alone, whatever the umask. The journal files
    // take the database's mode.
    if (chmod(dataDir.c_str(), 0700) != 0) {
        error = "cannot make " + dataDir.string() + " a folder of its owner only";
        return nullptr;
    }
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        const int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW | (*suffix == '\0' ? O_CREAT : 0);
        const int fd = open((path + suffix).c_str(), flags, 0600);
        const bool kept = fd >= 0 && fchmod(fd, 0600) == 0;
        if (fd >= 0) {
            close(fd);
        }
        if (!kept && (*suffix == '\0' || errno != ENOENT)) {
            error = "cannot make " + path + suffix + " readable by its owner only";
            return nullptr;
        }
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
        error = "cannot open " + path + ": " + (db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_close(db);
        return nullptr;
    }
    std::unique_ptr<CentreStore> store(new CentreStore(db));
    // WAL with a full sync at every commit: a committed report survives a killed process and a lost machine.
    if (!store->Execute("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA busy_timeout=5000;") ||
        !store->Execute(kSchema)) {
        error = "cannot prepare " + path + ": " + sqlite3_errmsg(db);
        return nullptr;
    }

    Statement count(db, "SELECT COUNT(*) FROM postal");
    if (!count.Ok() || count.Step() != SQLITE_ROW) {
        error = "cannot read " + path + ": " + sqlite3_errmsg(db);
        return nullptr;
    }
    if (count.ColumnInt(0) == 0) {
        std::optional<std::vector<PostalEntry>> entries = ReadPostalFile(postalFile, error);
        if (!entries) {
            return nullptr;
        }
        bool ok = store->Execute("BEGIN");
        for (const PostalEntry& e : *entries) {
            Statement row(db, "INSERT INTO postal (zcode, addr1, addr2, dong) VALUES (?, ?, ?, ?)");
            row.Text(1, e.zipCode);
            row.Text(2, e.addr1);
            row.Text(3, e.addr2);
            row.Text(4, DongOf(e.addr1));
            ok = ok && row.Step() == SQLITE_DONE;
        }
        for (const SeedResident& seed : SeedResidents()) {
            Statement row(db, "INSERT OR IGNORE INTO residents (ssn, name, registered_at) VALUES (?, ?, 0)");
            row.Text(1, seed.ssn);
            row.Blob(2, platform::Utf8ToCp949(seed.name).value_or(""));
            ok = ok && row.Step() == SQLITE_DONE;
        }
        ok = ok && store->Execute(("PRAGMA user_version = " + std::to_string(kSchemaVersion)).c_str());
        if (!ok || !store->Execute("COMMIT")) {
            error = "cannot fill " + path + ": " + sqlite3_errmsg(db);
            return nullptr;
        }
    }
    if (!store->Migrate()) {
        error = "cannot bring " + path + " up to date: " + sqlite3_errmsg(db);
        return nullptr;
    }
    return store;
}

bool CentreStore::Execute(const char* sql) {
    return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool CentreStore::Migrate() {
    Statement version(m_db, "PRAGMA user_version");
    if (!version.Ok() || version.Step() != SQLITE_ROW) {
        return false;
    }
    if (version.ColumnInt(0) >= kSchemaVersion) {
        return true;
    }
    // Version 0 let any request register an unknown number under the first name it came with; those
    // entries are claims, not the register. Only the seeded residents (registered at 0) stay.
    Statement column(m_db, "SELECT COUNT(*) FROM pragma_table_info('reports') WHERE name = 'verified'");
    if (!column.Ok() || column.Step() != SQLITE_ROW) {
        return false;
    }
    const bool hasColumn = column.ColumnInt(0) > 0;
    return Execute("BEGIN") &&
           (hasColumn || Execute("ALTER TABLE reports ADD COLUMN verified INTEGER NOT NULL DEFAULT 0")) &&
           Execute("DELETE FROM residents WHERE registered_at <> 0") &&
           Execute("UPDATE reports SET verified = EXISTS (SELECT 1 FROM residents r "
                   "WHERE r.ssn = reports.ssn AND r.name = reports.name)") &&
           Execute(("PRAGMA user_version = " + std::to_string(kSchemaVersion)).c_str()) && Execute("COMMIT");
}

std::optional<ResidentMatch> CentreStore::CheckResident(const std::string& ssn, const std::string& name) {
    std::lock_guard lock(m_mutex);
    Statement find(m_db, "SELECT name FROM residents WHERE ssn = ?");
    if (!find.Ok()) {
        return std::nullopt;
    }
    find.Text(1, ssn);
    const int step = find.Step();
    if (step == SQLITE_ROW) {
        return find.Column(0) == name ? ResidentMatch::SameName : ResidentMatch::OtherName;
    }
    return step == SQLITE_DONE ? std::optional(ResidentMatch::Unknown) : std::nullopt;
}

bool CentreStore::AddResident(const std::string& ssn, const std::string& name, std::string& previous) {
    std::lock_guard lock(m_mutex);
    previous.clear();
    Statement find(m_db, "SELECT name FROM residents WHERE ssn = ?");
    if (!find.Ok()) {
        return false;
    }
    find.Text(1, ssn);
    const int step = find.Step();
    if (step == SQLITE_ROW) {
        previous = find.Column(0);
    } else if (step != SQLITE_DONE) {
        return false;
    }
    Statement add(m_db, "INSERT INTO residents (ssn, name, registered_at) VALUES (?, ?, strftime('%s','now')) "
                        "ON CONFLICT (ssn) DO UPDATE SET name = excluded.name, registered_at = excluded.registered_at");
    if (!add.Ok()) {
        return false;
    }
    add.Text(1, ssn);
    add.Blob(2, name);
    return add.Step() == SQLITE_DONE;
}

std::optional<std::int64_t> CentreStore::AddReport(const CentreReport& r) {
    std::lock_guard lock(m_mutex);
    Statement add(m_db, "INSERT INTO reports (received_at, ssn, name, zipcode, addr1, addr2, tel1, tel2, tel3, "
                        "phone, email, ip, dsraddr, title, contents, verified) "
                        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    if (!add.Ok()) {
        return std::nullopt;
    }
    add.Int(1, r.receivedAt);
    add.Text(2, r.ssn);
    const std::string* texts[] = {&r.name,  &r.zipCode, &r.addr1, &r.addr2, &r.tel1,  &r.tel2,    &r.tel3,
                                  &r.phone, &r.email,   &r.ip,    &r.place, &r.title, &r.contents};
    int index = 3;
    for (const std::string* text : texts) {
        add.Blob(index++, *text);
    }
    add.Int(index, r.verified ? 1 : 0);
    if (add.Step() != SQLITE_DONE) {
        return std::nullopt;
    }
    return sqlite3_last_insert_rowid(m_db);
}

std::optional<std::vector<CentreReport>> CentreStore::QueryReports(const char* sql,
                                                                   const std::vector<std::string>& keys, int limit) {
    std::lock_guard lock(m_mutex);
    Statement query(m_db, sql);
    if (!query.Ok()) {
        return std::nullopt;
    }
    int index = 1;
    for (const std::string& key : keys) {
        // The number is kept as text, names as blobs: bind each as it is stored.
        if (index == 1) {
            query.Text(index++, key);
        } else {
            query.Blob(index++, key);
        }
    }
    query.Int(index, limit);
    std::vector<CentreReport> reports;
    int step;
    while ((step = query.Step()) == SQLITE_ROW) {
        reports.push_back(ReadReport(query));
    }
    return step == SQLITE_DONE ? std::optional(std::move(reports)) : std::nullopt;
}

std::optional<std::vector<CentreReport>> CentreStore::ReportsOf(const std::string& ssn, const std::string& name,
                                                                int limit) {
    std::string sql =
        std::string("SELECT ") + kReportColumns + " FROM reports WHERE ssn = ? AND name = ? ORDER BY no DESC LIMIT ?";
    return QueryReports(sql.c_str(), {ssn, name}, limit);
}

std::optional<std::vector<CentreReport>> CentreStore::ReportByNo(std::int64_t no) {
    // The number goes in as text; SQLite compares it with the integer column as a number.
    std::string sql = std::string("SELECT ") + kReportColumns + " FROM reports WHERE no = ? LIMIT ?";
    return QueryReports(sql.c_str(), {std::to_string(no)}, 1);
}

std::optional<std::vector<CentreReport>> CentreStore::LatestReports(int limit) {
    std::string sql = std::string("SELECT ") + kReportColumns + " FROM reports ORDER BY no DESC LIMIT ?";
    return QueryReports(sql.c_str(), {}, limit);
}

std::optional<std::int64_t> CentreStore::ReportCount() {
    std::lock_guard lock(m_mutex);
    Statement count(m_db, "SELECT COUNT(*) FROM reports");
    if (!count.Ok() || count.Step() != SQLITE_ROW) {
        return std::nullopt;
    }
    return count.ColumnInt(0);
}

std::optional<std::vector<PostalEntry>> CentreStore::SearchPostal(const std::string& dongUtf8, int limit) {
    std::lock_guard lock(m_mutex);
    // instr on UTF-8 text cannot match across character boundaries, as a byte search on code page 949 could.
    Statement query(m_db, "SELECT zcode, addr1, addr2 FROM postal WHERE instr(dong, ?) > 0 ORDER BY zcode, id LIMIT ?");
    if (!query.Ok()) {
        return std::nullopt;
    }
    query.Text(1, dongUtf8);
    query.Int(2, limit);
    std::vector<PostalEntry> entries;
    int step;
    while ((step = query.Step()) == SQLITE_ROW) {
        entries.push_back({query.Column(0), query.Column(1), query.Column(2)});
    }
    return step == SQLITE_DONE ? std::optional(std::move(entries)) : std::nullopt;
}
