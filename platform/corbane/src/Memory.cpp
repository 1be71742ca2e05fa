// The memory manager: blocks from malloc, books in a side table keyed by the
// block's address, and per-owner accounts.
//
// Everything here uses malloc and free directly, never operator new: the books
// must work before any static constructor of any library has run and after
// the last static destructor, and the manager must not charge itself.
#include "Corbane/Memory.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace Corbane {
namespace {

struct BlockEntry {
  std::uintptr_t address;  // 0: the slot is empty
  std::size_t size;
  OwnerId owner;
};

struct OwnerAccount {
  char* name;
  MemoryStats stats;
};

[[noreturn]] void OutOfMemory(std::size_t size) noexcept {
  std::fprintf(stderr, "Corbane: out of memory (a block of %zu bytes could not be allocated)\n", size);
  std::fflush(stderr);
  std::abort();
}

void* MallocOrDie(std::size_t size) noexcept {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) OutOfMemory(size);
  return block;
}

// Open addressing with linear probing. Deletion shifts the following entries
// back instead of leaving tombstones, so lookups stay short however many
// blocks come and go.
class BlockTable {
 public:
  void Insert(std::uintptr_t address, std::size_t size, OwnerId owner) noexcept {
    if ((count_ + 1) * 2 > capacity_) Resize(capacity_ == 0 ? 1024 : capacity_ * 2);
    std::size_t slot = SlotOf(address);
    while (slots_[slot].address != 0) slot = (slot + 1) & mask_;
    slots_[slot] = BlockEntry{address, size, owner};
    ++count_;
  }

  BlockEntry* Find(std::uintptr_t address) const noexcept {
    if (capacity_ == 0) return nullptr;
    for (std::size_t slot = SlotOf(address);; slot = (slot + 1) & mask_) {
      if (slots_[slot].address == address) return &slots_[slot];
      if (slots_[slot].address == 0) return nullptr;
    }
  }

  void Remove(BlockEntry* entry) noexcept {
    std::size_t hole = static_cast<std::size_t>(entry - slots_);
    for (std::size_t next = (hole + 1) & mask_; slots_[next].address != 0; next = (next + 1) & mask_) {
      std::size_t home = SlotOf(slots_[next].address);
      // The entry at `next` may fill the hole unless its home lies in the
      // cyclic range (hole, next]: a lookup from there would not reach it.
      bool canFillHole = ((next - home) & mask_) >= ((next - hole) & mask_);
      if (canFillHole) {
        slots_[hole] = slots_[next];
        hole = next;
      }
    }
    slots_[hole].address = 0;
    --count_;
  }

 private:
  // Fibonacci hashing: the top bits of the product scatter neighbouring
  // blocks over the whole table. (Keeping neighbours together would save cache
  // misses, but the regular strides of malloc then line up into long probe
  // runs.) The low four bits are dropped: malloc aligns them away.
  std::size_t SlotOf(std::uintptr_t address) const noexcept {
    return static_cast<std::size_t>(((address >> 4) * 0x9E3779B97F4A7C15ull) >> (64 - bits_)) & mask_;
  }

  void Resize(std::size_t capacity) noexcept {
    BlockEntry* old = slots_;
    std::size_t oldCapacity = capacity_;
    slots_ = static_cast<BlockEntry*>(MallocOrDie(capacity * sizeof(BlockEntry)));
    std::memset(static_cast<void*>(slots_), 0, capacity * sizeof(BlockEntry));
    capacity_ = capacity;
    mask_ = capacity - 1;
    bits_ = 0;
    for (std::size_t c = capacity; c > 1; c >>= 1) ++bits_;
    count_ = 0;
    for (std::size_t i = 0; i < oldCapacity; ++i)
      if (old[i].address != 0) Insert(old[i].address, old[i].size, old[i].owner);
    std::free(old);
  }

  BlockEntry* slots_ = nullptr;
  std::size_t capacity_ = 0;  // a power of two
  std::size_t mask_ = 0;
  unsigned bits_ = 0;
  std::size_t count_ = 0;
};

class OwnerBook {
 public:
  OwnerId Register(const char* name) noexcept {
    if (count_ == capacity_) Grow();
    OwnerId id = static_cast<OwnerId>(count_);
    accounts_[count_++] = OwnerAccount{CopyName(name), MemoryStats{}};
    return id;
  }
  OwnerAccount* Find(OwnerId owner) noexcept {
    EnsureHost();
    if (owner < 0 || static_cast<std::size_t>(owner) >= count_) return nullptr;
    return &accounts_[owner];
  }
  // Blocks are charged to an owner that exists; an id the book never gave
  // out is charged to the host rather than lost.
  OwnerId Valid(OwnerId owner) noexcept {
    EnsureHost();
    return owner >= 0 && static_cast<std::size_t>(owner) < count_ ? owner : HostOwner;
  }
  MemoryStats& StatsOf(OwnerId validOwner) noexcept { return accounts_[validOwner].stats; }

 private:
  void EnsureHost() noexcept {
    if (count_ == 0) Register("host");
  }
  void Grow() noexcept {
    std::size_t capacity = capacity_ == 0 ? 16 : capacity_ * 2;
    auto* fresh = static_cast<OwnerAccount*>(MallocOrDie(capacity * sizeof(OwnerAccount)));
    if (count_ > 0) std::memcpy(static_cast<void*>(fresh), accounts_, count_ * sizeof(OwnerAccount));
    std::free(accounts_);
    accounts_ = fresh;
    capacity_ = capacity;
  }
  static char* CopyName(const char* name) noexcept {
    if (name == nullptr) name = "";
    std::size_t length = std::strlen(name);
    char* copy = static_cast<char*>(MallocOrDie(length + 1));
    std::memcpy(copy, name, length + 1);
    return copy;
  }

  OwnerAccount* accounts_ = nullptr;
  std::size_t count_ = 0;
  std::size_t capacity_ = 0;
};

// Constant-initialised and never destroyed, so that blocks freed by static
// destructors of any library still find their books.
constinit BlockTable blocks;
constinit OwnerBook owners;
constinit OwnerId currentOwner = HostOwner;

void Charge(void* block, std::size_t size) noexcept {
  OwnerId owner = owners.Valid(currentOwner);
  blocks.Insert(reinterpret_cast<std::uintptr_t>(block), size, owner);
  MemoryStats& stats = owners.StatsOf(owner);
  ++stats.liveBlocks;
  ++stats.totalBlocks;
  stats.liveBytes += static_cast<std::int64_t>(size);
  if (stats.liveBytes > stats.peakBytes) stats.peakBytes = stats.liveBytes;
}

void Credit(const BlockEntry& entry) noexcept {
  MemoryStats& stats = owners.StatsOf(entry.owner);
  --stats.liveBlocks;
  stats.liveBytes -= static_cast<std::int64_t>(entry.size);
}

std::size_t UsableAlignment(std::size_t alignment) noexcept {
  std::size_t usable = sizeof(void*);
  while (usable < alignment && usable != 0) usable <<= 1;
  return usable;
}

}  // namespace

void* Allocate(std::size_t size) {
  void* block = MallocOrDie(size);
  Charge(block, size);
  return block;
}

void* AllocateAligned(std::size_t size, std::size_t alignment) {
  if (alignment <= alignof(std::max_align_t)) return Allocate(size);
  void* block = nullptr;
  // posix_memalign wants a power of two that is a multiple of sizeof(void*);
  // any other request is rounded up to the next such alignment.
  std::size_t usable = UsableAlignment(alignment);
  if (usable == 0 || posix_memalign(&block, usable, size == 0 ? 1 : size) != 0 || block == nullptr)
    OutOfMemory(size);
  Charge(block, size);
  return block;
}

void Free(void* block) noexcept {
  if (block == nullptr) return;
  BlockEntry* entry = blocks.Find(reinterpret_cast<std::uintptr_t>(block));
  if (entry == nullptr) {
    ::operator delete(block);
    return;
  }
  Credit(*entry);
  blocks.Remove(entry);
  std::free(block);
}

bool IsManaged(const void* block) noexcept {
  return block != nullptr && blocks.Find(reinterpret_cast<std::uintptr_t>(block)) != nullptr;
}

OwnerId RegisterOwner(const char* name) {
  owners.Find(HostOwner);  // the host is always owner 0
  return owners.Register(name);
}

const char* OwnerName(OwnerId owner) {
  const OwnerAccount* account = owners.Find(owner);
  return account != nullptr ? account->name : "";
}

OwnerId CurrentOwner() noexcept { return currentOwner; }

void SetCurrentOwner(OwnerId owner) noexcept { currentOwner = owner; }

MemoryStats OwnerStats(OwnerId owner) {
  const OwnerAccount* account = owners.Find(owner);
  return account != nullptr ? account->stats : MemoryStats{};
}

void ResetPeak(OwnerId owner) {
  if (OwnerAccount* account = owners.Find(owner)) account->stats.peakBytes = account->stats.liveBytes;
}

}  // namespace Corbane
