#include <algorithm>
#include <cstdint>
#include <new>
#include <random>
#include <vector>

#include "Corbane/Memory.hpp"
#include "corbane/owner_fixture.hpp"

using namespace Corbane;

namespace {

using MemoryAccounts = FreshOwner;

TEST_F(MemoryAccounts, ChargeLiveBlocksBytesAndPeakToTheCurrentOwner) {
  void* a = Allocate(100);
  void* b = Allocate(28);
  void* c = Allocate(72);
  EXPECT_EQ(Stats().liveBlocks, 3);
  EXPECT_EQ(Stats().liveBytes, 200);
  EXPECT_EQ(Stats().peakBytes, 200);

  Free(b);
  EXPECT_EQ(Stats().liveBlocks, 2);
  EXPECT_EQ(Stats().liveBytes, 172);
  EXPECT_EQ(Stats().peakBytes, 200) << "the peak remembers the high point";
  EXPECT_EQ(Stats().totalBlocks, 3);

  ResetPeak(owner_);
  EXPECT_EQ(Stats().peakBytes, 172);
  Free(a);
  Free(c);
  EXPECT_EQ(Stats().liveBlocks, 0);
  EXPECT_EQ(Stats().liveBytes, 0);
  EXPECT_EQ(Stats().totalBlocks, 3);
}

TEST_F(MemoryAccounts, CreditAFreedBlockToTheOwnerThatAllocatedIt) {
  void* block = Allocate(64);
  OwnerId other = RegisterOwner("other");
  {
    OwnerScope otherScope(other);
    Free(block);
  }
  EXPECT_EQ(Stats().liveBlocks, 0);
  EXPECT_EQ(Stats().liveBytes, 0);
  EXPECT_EQ(OwnerStats(other).liveBytes, 0);
  EXPECT_EQ(OwnerStats(other).liveBlocks, 0);
}

TEST_F(MemoryAccounts, OwnerScopesNestAndRestore) {
  OwnerId inner = RegisterOwner("inner");
  {
    OwnerScope first(inner);
    EXPECT_EQ(CurrentOwner(), inner);
    {
      OwnerScope second(HostOwner);
      EXPECT_EQ(CurrentOwner(), HostOwner);
    }
    EXPECT_EQ(CurrentOwner(), inner);
  }
  EXPECT_EQ(CurrentOwner(), owner_);
}

TEST_F(MemoryAccounts, OwnersAreNumberedAfterTheHostAndKeepTheirNames) {
  EXPECT_STREQ(OwnerName(HostOwner), "host");
  EXPECT_GE(owner_, 1);
  OwnerId next = RegisterOwner("Quarnel");
  EXPECT_EQ(next, owner_ + 1);
  EXPECT_STREQ(OwnerName(next), "Quarnel");
  EXPECT_STREQ(OwnerName(next + 1000), "");
  EXPECT_EQ(OwnerStats(-3).liveBlocks, 0);
}

TEST_F(MemoryAccounts, ChargeTheHostWhenTheCurrentOwnerWasNeverRegistered) {
  MemoryStats hostBefore = OwnerStats(HostOwner);
  void* block = nullptr;
  {
    OwnerScope bogus(123456);
    block = Allocate(10);
  }
  EXPECT_EQ(OwnerStats(HostOwner).liveBlocks, hostBefore.liveBlocks + 1);
  Free(block);
  EXPECT_EQ(OwnerStats(HostOwner).liveBlocks, hostBefore.liveBlocks);
}

TEST_F(MemoryAccounts, KeepEveryBlockStraightThroughManyAllocationsInAnyOrder) {
  std::vector<void*> blocks;
  for (int i = 0; i < 20000; ++i) blocks.push_back(Allocate(static_cast<std::size_t>(i % 97)));
  std::shuffle(blocks.begin(), blocks.end(), std::mt19937(7));
  for (std::size_t i = 0; i < blocks.size() / 2; ++i) Free(blocks[i]);
  for (std::size_t i = 0; i < blocks.size(); ++i)
    ASSERT_EQ(IsManaged(blocks[i]), i >= blocks.size() / 2) << "block " << i;
  for (std::size_t i = blocks.size() / 2; i < blocks.size(); ++i) Free(blocks[i]);
  EXPECT_EQ(Stats().liveBlocks, 0);
  EXPECT_EQ(Stats().liveBytes, 0);
  EXPECT_EQ(Stats().totalBlocks, 20000);
}

TEST_F(MemoryAccounts, AlignBlocksAsAsked) {
  for (std::size_t alignment : {8u, 16u, 64u, 4096u, 48u}) {
    void* block = AllocateAligned(40, alignment);
    std::size_t expected = alignment == 48 ? 64 : alignment;  // rounded up to a power of two
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % expected, 0u) << alignment;
    EXPECT_TRUE(IsManaged(block));
    Free(block);
  }
  EXPECT_EQ(Stats().liveBlocks, 0);
  EXPECT_EQ(Stats().totalBlocks, 5);
}

TEST_F(MemoryAccounts, GiveDistinctBlocksForZeroBytes) {
  void* a = Allocate(0);
  void* b = Allocate(0);
  ASSERT_NE(a, nullptr);
  EXPECT_NE(a, b);
  EXPECT_EQ(Stats().liveBlocks, 2);
  Free(a);
  Free(b);
}

TEST(MemoryForeignBlocks, PassABlockOfTheRuntimeToOperatorDelete) {
  void* runtimeBlock = ::operator new(48);
  EXPECT_FALSE(IsManaged(runtimeBlock));
  Free(runtimeBlock);  // sanitizers report it if it reaches free() or leaks
  Free(nullptr);
  EXPECT_FALSE(IsManaged(nullptr));
}

TEST(MemoryExhaustion, EndsTheProcessWithAMessage) {
#if defined(__SANITIZE_ADDRESS__)
  const char* message = "";  // the sanitizer's allocator speaks first
#else
  const char* message = "out of memory";
#endif
  EXPECT_DEATH(Allocate(SIZE_MAX / 2), message);
}

}  // namespace
