#include "standins/centre/CentreStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(CentreStoreTest, ShipsAPostalTableThatLoads) {
    const auto shipped = std::filesystem::path(__FILE__).parent_path() / "../../standins/centre/postal-codes.tsv";
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

} // namespace
