#include "Corbane/Array.hpp"
#include "Corbane/Guid.hpp"
#include "Corbane/HashTable.hpp"
#include "Corbane/UniString.hpp"
#include "corbane/owner_fixture.hpp"

using namespace Corbane;

namespace {

using ArrayStorage = FreshOwner;

TEST_F(ArrayStorage, GrowsKeepingItemsInOrder) {
  Array<Int32> numbers;
  for (Int32 i = 0; i < 1000; ++i) numbers.Push(i);
  ASSERT_EQ(numbers.GetSize(), 1000u);
  for (Int32 i = 0; i < 1000; ++i) ASSERT_EQ(numbers[static_cast<UIndex>(i)], i);
  EXPECT_EQ(numbers.GetLast(), 999);
}

TEST_F(ArrayStorage, PushesACopyOfItsOwnItemWhileGrowing) {
  Array<UniString> names{"a", "b", "c", "d"};  // full: the next push grows
  names.Push(names[0]);
  EXPECT_EQ(names.GetLast(), UniString("a"));
  names.Insert(0, names[4]);
  EXPECT_EQ(names[0], UniString("a"));
  EXPECT_EQ(names.GetSize(), 6u);
}

TEST_F(ArrayStorage, InsertsAndDeletesAtAPosition) {
  Array<Int32> numbers{1, 2, 4};
  numbers.Insert(2, 3);
  EXPECT_EQ(numbers, (Array<Int32>{1, 2, 3, 4}));
  numbers.Delete(0);
  EXPECT_EQ(numbers, (Array<Int32>{2, 3, 4}));
  numbers.Delete(3);  // past the end: nothing is deleted
  EXPECT_EQ(numbers, (Array<Int32>{2, 3, 4}));
  EXPECT_TRUE(numbers.Contains(3));
  EXPECT_FALSE(numbers.Contains(1));
}

TEST_F(ArrayStorage, CopiesAreIndependentAndMovesLeaveTheSourceEmpty) {
  Array<UniString> original{"x", "y"};
  Array<UniString> copy(original);
  copy[0] = "changed";
  EXPECT_EQ(original[0], UniString("x"));

  Array<UniString> moved(std::move(copy));
  EXPECT_TRUE(copy.IsEmpty());  // NOLINT: a moved-from array is empty by contract
  EXPECT_EQ(moved[0], UniString("changed"));
  moved = original;
  EXPECT_EQ(moved, original);
  moved = std::move(original);
  EXPECT_EQ(moved.GetSize(), 2u);
}

TEST_F(ArrayStorage, ClearGivesEveryBlockBack) {
  {
    Array<UniString> names;
    for (int i = 0; i < 100; ++i) names.Push(UniString::Printf("name %d", i));
    EXPECT_GT(Stats().liveBlocks, 100);
    names.Clear();
    EXPECT_EQ(Stats().liveBlocks, 0);
    names.Push("again");
  }
  EXPECT_EQ(Stats().liveBlocks, 0);
  EXPECT_EQ(Stats().liveBytes, 0);
}

using HashTableStorage = FreshOwner;

TEST_F(HashTableStorage, AddsOnlyAbsentKeysAndKeepsTheFirstValue) {
  HashTable<UniString, Int32> table;
  EXPECT_TRUE(table.Add("Pset_WallCommon", 1));
  EXPECT_FALSE(table.Add("Pset_WallCommon", 2));
  EXPECT_EQ(table.Get("Pset_WallCommon"), 1);
  table.Put("Pset_WallCommon", 3);
  EXPECT_EQ(table.Get("Pset_WallCommon"), 3);
  EXPECT_EQ(table.GetSize(), 1u);

  Int32 out = -1;
  EXPECT_FALSE(table.Get("absent", &out));
  EXPECT_EQ(out, -1);
  EXPECT_EQ(table.GetPtr("absent"), nullptr);
}

TEST_F(HashTableStorage, FindsEveryKeyAfterGrowingAndDeleting) {
  HashTable<Int32, Int32> table;
  for (Int32 i = 0; i < 2000; ++i) ASSERT_TRUE(table.Add(i, i * 3));
  for (Int32 i = 0; i < 2000; i += 2) ASSERT_TRUE(table.Delete(i));
  EXPECT_FALSE(table.Delete(0));
  EXPECT_EQ(table.GetSize(), 1000u);
  for (Int32 i = 0; i < 2000; ++i) {
    ASSERT_EQ(table.ContainsKey(i), i % 2 == 1) << i;
    if (i % 2 == 1) {
      ASSERT_EQ(table.Get(i), i * 3);
    }
  }
}

TEST_F(HashTableStorage, CopiesAreIndependentAndMovesLeaveTheSourceEmpty) {
  HashTable<Guid, UniString> table;
  Guid key = Guid::Generate();
  table.Add(key, "wall");
  HashTable<Guid, UniString> copy(table);
  copy.Put(key, "slab");
  EXPECT_EQ(table.Get(key), UniString("wall"));

  HashTable<Guid, UniString> moved(std::move(copy));
  EXPECT_TRUE(copy.IsEmpty());  // NOLINT: a moved-from table is empty by contract
  EXPECT_EQ(moved.Get(key), UniString("slab"));
  moved = table;
  EXPECT_EQ(moved.Get(key), UniString("wall"));
}

TEST_F(HashTableStorage, ClearGivesEveryBlockBack) {
  {
    HashTable<UniString, Array<UniString>> rows;
    for (int i = 0; i < 300; ++i) rows.Add(UniString::Printf("key %d", i), Array<UniString>{"a", "b"});
    EXPECT_EQ(rows.GetSize(), 300u);
    rows.Clear();
    EXPECT_EQ(Stats().liveBlocks, 0);
    EXPECT_TRUE(rows.IsEmpty());
    EXPECT_FALSE(rows.ContainsKey("key 1"));
    rows.Add("after", {});
  }
  EXPECT_EQ(Stats().liveBlocks, 0);
  EXPECT_EQ(Stats().liveBytes, 0);
}

// A table emptied with RemoveAllKeepingStorage behaves as a fresh one, and
// refilling it with keys and values no longer than before allocates nothing.
TEST_F(HashTableStorage, RefillingAfterRemoveAllKeepingStorageReusesEveryBlock) {
  Array<UniString> keys;
  for (int i = 0; i < 40; ++i) keys.Push(UniString::Printf("key %02d", i));
  const UniString first("first"), again("again"), second("second"), shorter("short");
  auto fillFour = [](const UniString& text) {
    return [&text](Array<UniString>& entry) {
      while (entry.GetSize() < 4) entry.PushNew();
      for (UniString& field : entry) field = text;
    };
  };
  HashTable<UniString, Array<UniString>> rows;
  for (const UniString& key : keys) ASSERT_TRUE(rows.AddFilled(key, fillFour(first)));

  rows.RemoveAllKeepingStorage();
  EXPECT_TRUE(rows.IsEmpty());
  EXPECT_EQ(rows.GetPtr(keys[1]), nullptr);
  EXPECT_TRUE(rows.AddFilled(keys[7], fillFour(again)));
  EXPECT_FALSE(rows.AddFilled(keys[7], fillFour(second)));  // the first value of a key stays
  EXPECT_TRUE(rows.Add(keys[8], Array<UniString>{"x"}));
  EXPECT_EQ(rows.GetSize(), 2u);
  EXPECT_EQ(rows.Get(keys[7]), (Array<UniString>{"again", "again", "again", "again"}));
  EXPECT_EQ(rows.Get(keys[8]), (Array<UniString>{"x"}));
  EXPECT_FALSE(rows.ContainsKey(keys[9]));

  auto refill = [&] {
    rows.RemoveAllKeepingStorage();
    for (const UniString& key : keys) ASSERT_TRUE(rows.AddFilled(key, fillFour(shorter)));
    ASSERT_EQ(rows.GetSize(), 40u);
  };
  refill();  // the pair that took a one-text value grows back to four texts
  const std::int64_t before = Stats().totalBlocks;
  refill();
  refill();
  EXPECT_EQ(Stats().totalBlocks, before);
  EXPECT_EQ(rows.Get(keys[39]), (Array<UniString>{"short", "short", "short", "short"}));
}

TEST(HashBytes, HashesTheBytesAloneAndEveryOneOfThem) {
  const char key[] = "Pset_WallCommon:FireRating", same[] = "Pset_WallCommon:FireRating";
  const char other[] = "Pset_WallCommon:FireRatinG";
  EXPECT_EQ(HashBytes(key, sizeof key - 1), HashBytes(same, sizeof same - 1));
  EXPECT_NE(HashBytes(key, sizeof key - 1), HashBytes(other, sizeof other - 1));  // a byte after the last full step
  EXPECT_NE(HashBytes(key, 8), HashBytes(key, 9));
}

TEST_F(HashTableStorage, KeptPairsAreGivenBackByClearMoveAndTheTablesEnd) {
  {
    HashTable<UniString, UniString> table;
    for (int i = 0; i < 20; ++i) table.Add(UniString::Printf("key %d", i), "value");
    table.RemoveAllKeepingStorage();
    EXPECT_GT(Stats().liveBlocks, 20);
    HashTable<UniString, UniString> moved(std::move(table));
    moved.Add("one", "two");
    EXPECT_EQ(moved.GetSize(), 1u);
    table = std::move(moved);
    table.RemoveAllKeepingStorage();
  }
  EXPECT_EQ(Stats().liveBlocks, 0);
  HashTable<UniString, UniString> cleared;
  cleared.Add("a", "b");
  cleared.RemoveAllKeepingStorage();
  cleared.Clear();
  EXPECT_EQ(Stats().liveBlocks, 0);
}

}  // namespace
