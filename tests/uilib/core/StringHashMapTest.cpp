#include <gtest/gtest.h>

#include <set>
#include <string>

#include "StringHashMap.h"

using TavikUI::CStringHashMap;

namespace {

void* Value(intptr_t value) { return reinterpret_cast<void*>(value); }

// Index of the key among KeyAt's order.
int PositionOf(const CStringHashMap& map, const wchar_t* key) {
    for (int i = 0; i < map.Count(); ++i) {
        if (std::wstring(map.KeyAt(i)) == key) {
            return i;
        }
    }
    return -1;
}

}  // namespace

TEST(StringHashMapLookup, InsertFindSetRemove) {
    CStringHashMap map(83);
    EXPECT_EQ(map.Find(L"missing"), nullptr);
    EXPECT_TRUE(map.Insert(L"btnClose", Value(1)));
    EXPECT_TRUE(map.Insert(L"btnMin", Value(2)));
    EXPECT_TRUE(map.Insert(L"", Value(3)));
    EXPECT_EQ(map.Count(), 3);
    EXPECT_EQ(map.Find(L"btnClose"), Value(1));
    EXPECT_EQ(map.Find(L"btnMin", false), Value(2));
    EXPECT_EQ(map.Find(L""), Value(3));
    EXPECT_EQ(map.Find(L"btnclose"), nullptr);  // case-sensitive

    // An existing key is refused and keeps its value; Set replaces it.
    EXPECT_FALSE(map.Insert(L"btnClose", Value(10)));
    EXPECT_EQ(map.Find(L"btnClose"), Value(1));
    EXPECT_EQ(map.Set(L"btnClose", Value(11)), Value(1));
    EXPECT_EQ(map.Find(L"btnClose"), Value(11));
    EXPECT_EQ(map.Set(L"newKey", Value(12)), nullptr);
    EXPECT_EQ(map.Find(L"newKey"), Value(12));
    EXPECT_EQ(map.Count(), 4);

    EXPECT_TRUE(map.Remove(L"btnMin"));
    EXPECT_FALSE(map.Remove(L"btnMin"));
    EXPECT_EQ(map.Find(L"btnMin"), nullptr);
    EXPECT_EQ(map.Count(), 3);

    map.RemoveAll();
    EXPECT_EQ(map.Count(), 0);
    EXPECT_EQ(map.Find(L"btnClose"), nullptr);
    EXPECT_TRUE(map.Insert(L"btnClose", Value(1)));
}

TEST(StringHashMapLookup, ManyKeysInFewBucketsAndLongKeys) {
    // 16 buckets at least, so 500 keys make long chains: every removal must
    // relink them correctly.
    CStringHashMap map(1);
    for (intptr_t i = 0; i < 500; ++i) {
        const std::wstring key = L"key" + std::to_wstring(i) + std::wstring(i % 3 == 0 ? 80 : 0, L'x');
        ASSERT_TRUE(map.Insert(key.c_str(), Value(i + 1)));
    }
    EXPECT_EQ(map.Count(), 500);
    for (intptr_t i = 0; i < 500; i += 2) {
        const std::wstring key = L"key" + std::to_wstring(i) + std::wstring(i % 3 == 0 ? 80 : 0, L'x');
        ASSERT_TRUE(map.Remove(key.c_str()));
    }
    EXPECT_EQ(map.Count(), 250);
    for (intptr_t i = 0; i < 500; ++i) {
        const std::wstring key = L"key" + std::to_wstring(i) + std::wstring(i % 3 == 0 ? 80 : 0, L'x');
        EXPECT_EQ(map.Find(key.c_str(), i % 5 == 0), i % 2 == 0 ? nullptr : Value(i + 1)) << i;
    }
}

TEST(StringHashMapKeys, KeyAtVisitsEveryKeyOnce) {
    CStringHashMap map(16);
    std::set<std::wstring> inserted;
    for (int i = 0; i < 40; ++i) {
        const std::wstring key = L"name" + std::to_wstring(i);
        map.Insert(key.c_str(), Value(i + 1));
        inserted.insert(key);
    }
    std::set<std::wstring> visited;
    for (int i = 0; i < map.Count(); ++i) {
        ASSERT_NE(map.KeyAt(i), nullptr);
        visited.insert(map.KeyAt(i));
    }
    EXPECT_EQ(visited, inserted);
    EXPECT_EQ(map.KeyAt(40), nullptr);
    EXPECT_EQ(map.KeyAt(-1), nullptr);
}

TEST(StringHashMapKeys, OrderFollowsBucketsFromTheLastAndChainsFromTheHead) {
    // The hash runs from the last character to the first: h = h * 33 + c.
    // With 16 buckets "a" (97) lands in bucket 1 and "b" (98) in bucket 2;
    // "q" (113) also lands in bucket 1.
    CStringHashMap map(16);
    map.Insert(L"a", Value(1));
    map.Insert(L"b", Value(2));
    map.Insert(L"q", Value(3));
    ASSERT_EQ(map.Count(), 3);
    EXPECT_STREQ(map.KeyAt(0), L"b");
    EXPECT_STREQ(map.KeyAt(1), L"q");  // newest at the head of bucket 1
    EXPECT_STREQ(map.KeyAt(2), L"a");
    // A lookup moves its key to the head of the chain; without the flag
    // nothing moves.
    map.Find(L"a", false);
    EXPECT_STREQ(map.KeyAt(1), L"q");
    map.Find(L"a", true);
    EXPECT_STREQ(map.KeyAt(1), L"a");
    EXPECT_STREQ(map.KeyAt(2), L"q");
    EXPECT_EQ(PositionOf(map, L"b"), 0);

    // "ab": h = 98, then 98 * 33 + 97 = 3331; 3331 mod 16 = 3.
    map.Insert(L"ab", Value(4));
    EXPECT_STREQ(map.KeyAt(0), L"ab");
}

TEST(StringHashMapKeys, NoBucketsStoresNothing) {
    CStringHashMap map(16);
    map.Resize(0);
    EXPECT_FALSE(map.Insert(L"a", Value(1)));
    EXPECT_EQ(map.Set(L"a", Value(7)), Value(7));
    EXPECT_EQ(map.Find(L"a"), nullptr);
    EXPECT_FALSE(map.Remove(L"a"));
    EXPECT_EQ(map.Count(), 0);
    EXPECT_EQ(map.KeyAt(0), nullptr);
    map.RemoveAll();
    map.Resize(5);  // no minimum when resizing
    EXPECT_TRUE(map.Insert(L"a", Value(1)));
    EXPECT_EQ(map.Find(L"a"), Value(1));
}
