#include "platform/OrderedHashMap.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

template <typename V> std::vector<std::string> KeysInOrder(const OrderedHashMap<V>& map) {
    std::vector<std::string> keys;
    for (const auto& e : map) {
        keys.push_back(e.key);
    }
    return keys;
}

} // namespace

TEST(OrderedHashMap, HashIsTimes33PlusByteModulo17) {
    // "a" = 97 -> 97 % 17 = 12; "ab" = 97*33+98 = 3299 -> 3299 % 17 = 1.
    EXPECT_EQ(OrderedHashMap<int>::BucketOf(""), 0u);
    EXPECT_EQ(OrderedHashMap<int>::BucketOf("a"), 12u);
    EXPECT_EQ(OrderedHashMap<int>::BucketOf("ab"), 1u);
    // Bytes count unsigned and the sum wraps at 32 bits.
    std::uint32_t h = 0;
    const std::string key = "\xB0\xA1\xFF 8001011234567 long enough to overflow";
    for (unsigned char c : key) {
        h = h * 33u + c;
    }
    EXPECT_EQ(OrderedHashMap<int>::BucketOf(key), h % 17);
}

TEST(OrderedHashMap, IteratesByBucketThenNewestFirst) {
    OrderedHashMap<int> map;
    // "a" -> 12, "ab" -> 1, "r" (114) -> 12 as well, "" -> 0.
    EXPECT_TRUE(map.Insert("a", 1));
    EXPECT_TRUE(map.Insert("ab", 2));
    EXPECT_TRUE(map.Insert("r", 3));
    EXPECT_TRUE(map.Insert("", 4));
    EXPECT_EQ(map.Count(), 4u);
    EXPECT_EQ(KeysInOrder(map), (std::vector<std::string>{"", "ab", "r", "a"}));

    // Replacing keeps the place and the count.
    EXPECT_FALSE(map.Insert("a", 10));
    EXPECT_EQ(map.Count(), 4u);
    EXPECT_EQ(KeysInOrder(map), (std::vector<std::string>{"", "ab", "r", "a"}));
    ASSERT_NE(map.Find("a"), nullptr);
    EXPECT_EQ(*map.Find("a"), 10);
    EXPECT_EQ(map.Find("b"), nullptr);

    EXPECT_TRUE(map.Remove("r"));
    EXPECT_FALSE(map.Remove("r"));
    EXPECT_EQ(KeysInOrder(map), (std::vector<std::string>{"", "ab", "a"}));
    EXPECT_EQ(map.Count(), 3u);

    map.Clear();
    EXPECT_EQ(map.Count(), 0u);
    EXPECT_TRUE(map.begin() == map.end());
}

TEST(OrderedHashMap, OwnsMoveOnlyValues) {
    OrderedHashMap<std::unique_ptr<std::string>> map;
    auto one = std::make_unique<std::string>("k");
    map.Insert(*one, std::move(one)); // the key is read before the value moves
    map.Insert("k", std::make_unique<std::string>("two"));
    for (auto& e : map) {
        *e.value += "!";
    }
    ASSERT_NE(map.Find("k"), nullptr);
    EXPECT_EQ(**map.Find("k"), "two!");
    EXPECT_EQ(map.Count(), 1u);
}
