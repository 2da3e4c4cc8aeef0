#include "ui/hash_table.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Table = WTHashTable<int>;

TEST(HashTable, FindsEntriesFromTheirHomeBucketAndAcrossCollisions)
{
    Table t;
    ASSERT_TRUE(t.Set(5, 50, 7));
    EXPECT_EQ(t.Capacity(), 997u);
    // 5, 1002 and 1999 share the home bucket of 5 in 997 buckets.
    ASSERT_TRUE(t.Set(1002, 100));
    ASSERT_TRUE(t.Set(1999, 200));
    int extra = 0;
    EXPECT_EQ(t.Get(5, &extra), 50);
    EXPECT_EQ(extra, 7);
    EXPECT_EQ(t.Get(1002), 100);
    EXPECT_EQ(t.Get(1999), 200);
    ASSERT_TRUE(t.Set(-5, 55)); // same home bucket as 5: the magnitude counts
    EXPECT_EQ(t.Get(-5), 55);
    EXPECT_EQ(t.Get(6), 0);
    EXPECT_EQ(t.Count(), 4u);
}

TEST(HashTable, KeyZeroIsReserved)
{
    Table t;
    EXPECT_FALSE(t.Set(0, 1));
    EXPECT_EQ(t.Get(0), 0);
    EXPECT_EQ(t.Count(), 0u);
}

TEST(HashTable, DuplicateKeysAreStoredTwiceAndTheNearerOneWins)
{
    Table t;
    t.Set(42, 1);
    t.Set(42, 2);
    EXPECT_EQ(t.Count(), 2u);
    EXPECT_EQ(t.Get(42), 1);
    EXPECT_TRUE(t.Remove(42));
    EXPECT_EQ(t.Get(42), 2);
}

TEST(HashTable, RemovalKeepsEntriesThatCollidedPastTheRemovedBucket)
{
    Table t;
    t.Set(3, 30);
    t.Set(1000, 31); // collides with 3, placed one bucket further
    t.Set(4, 40); // its home is now taken by 1000, placed after it
    ASSERT_TRUE(t.Remove(3));
    EXPECT_EQ(t.Get(1000), 31);
    EXPECT_EQ(t.Get(4), 40);
    EXPECT_FALSE(t.Remove(3));
    ASSERT_TRUE(t.Remove(1000));
    EXPECT_EQ(t.Get(4), 40);
    EXPECT_EQ(t.Count(), 1u);
}

TEST(HashTable, RemovalAtTheLastBucketWrapsToTheFirst)
{
    Table t;
    t.Set(996, 1); // last bucket
    t.Set(1993, 2); // same home, wraps to bucket 0
    t.Set(997, 3); // home bucket 0, pushed to bucket 1
    ASSERT_TRUE(t.Remove(996));
    EXPECT_EQ(t.Get(1993), 2);
    EXPECT_EQ(t.Get(997), 3);
}

TEST(HashTable, GrowsFrom997To2021BucketsAndKeepsEveryEntry)
{
    EXPECT_EQ(Table::NextCapacity(997), 2021u);
    Table t;
    for (int k = 1; k <= 997; ++k) {
        ASSERT_TRUE(t.Set(k, k * 10));
    }
    EXPECT_EQ(t.Capacity(), 997u);
    ASSERT_TRUE(t.Set(998, 9980));
    EXPECT_EQ(t.Capacity(), 2021u);
    for (int k = 1; k <= 998; ++k) {
        ASSERT_EQ(t.Get(k), k * 10) << k;
    }
    EXPECT_EQ(t.Count(), 998u);
}

TEST(HashTable, TheEntryThatMakesTheTableGrowKeepsItsValue)
{
    WTHashTable<std::string> t(2);
    const std::string handler(64, 'h'); // long enough that a move leaves the source empty
    ASSERT_TRUE(t.Set(1, "first"));
    ASSERT_TRUE(t.Set(2, "second"));
    ASSERT_TRUE(t.Set(3, handler));
    EXPECT_GT(t.Capacity(), 2u);
    EXPECT_EQ(t.Get(3), handler);
    EXPECT_EQ(t.Get(1), "first");
}

TEST(HashTable, ClearEmptiesEverything)
{
    Table t;
    t.Set(1, 1);
    t.Set(2, 2);
    t.Clear();
    EXPECT_EQ(t.Count(), 0u);
    EXPECT_EQ(t.Get(1), 0);
}

} // namespace
