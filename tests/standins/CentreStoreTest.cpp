#include "standins/centre/CentreStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <set>
#include <sqlite3.h>

namespace {

TEST(CentreStoreTest, ShipsAPostalTableThatLoads) {
    const auto shipped = std::filesystem::path(HALVREN_SOURCE_DIR) / "standins/centre/postal-codes.tsv";
    std::string error;
    auto entries = ReadPostalFile(shipped, error);
    ASSERT_TRUE(entries) << error;
    EXPECT_GE(entries->size(), 300u);
    std::set<std::string> codes, cities;
    for (const PostalEntry& e : *entries) {
        codes.insert(e.zipCode);
        cities.insert(e.addr1.substr(0, e.addr1.find(' ')));
    }
    EXPECT_EQ(entries->size(), codes.size()); // every code once
    EXPECT_GE(cities.size(), 5u);
}

TEST(CentreStoreTest, RefusesAPostalTableWithABrokenLine) {
    TempDir dir;
    std::string error;
    const std::string good = "123456\t서울특별시 중구 명동\t1~10번지\n";
    EXPECT_FALSE(ReadPostalFile(dir.Write("a.tsv", good + "12345\t서울특별시 중구 명동\t1번지\n"), error));
    EXPECT_NE(std::string::npos, error.find(":2:")) << error;
    EXPECT_FALSE(ReadPostalFile(dir.Write("b.tsv", good + "123457\t서울특별시 중구 <명동>\t1번지\n"), error));
    EXPECT_FALSE(ReadPostalFile(dir.Write("c.tsv", "# only a comment\n"), error));
    EXPECT_FALSE(ReadPostalFile(dir.Path() / "missing.tsv", error));

    // A database is not created half-filled from a broken table.
    EXPECT_FALSE(CentreStore::Open(dir.Path() / "data", dir.Path() / "a.tsv", error));
    EXPECT_TRUE(CentreStore::Open(dir.Path() / "data", dir.Write("d.tsv", good), error)) << error;
}

TEST(CentreStoreTest, ADatabaseFromBeforeKeepsOnlyTheSeededRegisterAndMarksItsReports) {
    // A database as the centre wrote it while any real-name check registered an unknown number.
    TempDir dir;
    std::filesystem::create_directories(dir.Path() / "data");
    sqlite3* db = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open((dir.Path() / "data" / "centre.db").c_str(), &db));
    ASSERT_EQ(SQLITE_OK,
              sqlite3_exec(
                  db,
                  "CREATE TABLE residents (ssn TEXT PRIMARY KEY, name BLOB NOT NULL, registered_at INTEGER);"
                  "CREATE TABLE reports (no INTEGER PRIMARY KEY AUTOINCREMENT, received_at INTEGER NOT NULL,"
                  " ssn TEXT NOT NULL, name BLOB NOT NULL, zipcode BLOB, addr1 BLOB, addr2 BLOB, tel1 BLOB,"
                  " tel2 BLOB, tel3 BLOB, phone BLOB, email BLOB, ip BLOB, dsraddr BLOB NOT NULL,"
                  " title BLOB NOT NULL, contents BLOB NOT NULL);"
                  "CREATE TABLE postal (id INTEGER PRIMARY KEY, zcode TEXT NOT NULL, addr1 TEXT NOT NULL,"
                  " addr2 TEXT NOT NULL, dong TEXT NOT NULL);"
                  "INSERT INTO postal VALUES (1, '123456', 'a b', 'c', 'b');"
                  "INSERT INTO residents VALUES ('8001011234567', 'hong', 0), ('9912312234567', 'claim', 1700000000);"
                  "INSERT INTO reports (received_at, ssn, name, dsraddr, title, contents) VALUES"
                  " (1, '8001011234567', 'hong', 'p', 't', 'c'), (2, '9912312234567', 'claim', 'p', 't', 'c');",
                  nullptr, nullptr, nullptr));
    sqlite3_close(db);

    for (int open = 0; open < 2; ++open) {
        std::string error;
        auto store = CentreStore::Open(dir.Path() / "data", dir.Path() / "none.tsv", error);
        ASSERT_TRUE(store) << error;
        EXPECT_EQ(ResidentMatch::SameName, store->CheckResident("8001011234567", "hong"));
        EXPECT_EQ(ResidentMatch::Unknown, store->CheckResident("9912312234567", "claim"));
        const auto reports = store->LatestReports(10).value();
        ASSERT_EQ(2u, reports.size());
        EXPECT_FALSE(reports[0].verified);
        EXPECT_TRUE(reports[1].verified);
    }
}

} // namespace
