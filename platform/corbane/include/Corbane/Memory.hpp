// Corbane memory manager.
//
// Every block that a plug-in, the Corbane containers or UniString allocate comes
// from here. Blocks are charged to the owner that is current when they are
// allocated, and credited back to that same owner when freed, so the host can
// tell what a plug-in holds and what it peaked at, and find its leaks.
//
// The manager keeps its books in a side table, not in a header before each
// block, so Free() of a pointer it never handed out (a block that the C++
// runtime allocated on its own) is passed on to the global operator delete.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Corbane {

using OwnerId = std::int32_t;

// The host owns everything that is allocated while no plug-in is running.
inline constexpr OwnerId HostOwner = 0;

struct MemoryStats {
  std::int64_t liveBlocks = 0;
  std::int64_t liveBytes = 0;
  std::int64_t peakBytes = 0;
  std::int64_t totalBlocks = 0;  // blocks allocated over the owner's life
};

// Returns a block of at least `size` bytes aligned for any fundamental type.
// Never returns null: running out of memory ends the process with a message.
void* Allocate(std::size_t size);
void* AllocateAligned(std::size_t size, std::size_t alignment);
void Free(void* block) noexcept;
// True when `block` is a live block of this manager.
bool IsManaged(const void* block) noexcept;

// Owners. RegisterOwner gives a new id (names need not be unique).
OwnerId RegisterOwner(const char* name);
const char* OwnerName(OwnerId owner);
OwnerId CurrentOwner() noexcept;
void SetCurrentOwner(OwnerId owner) noexcept;
MemoryStats OwnerStats(OwnerId owner);
// Sets the owner's peak to its current live bytes (to measure one phase).
void ResetPeak(OwnerId owner);

// Makes `owner` current for the life of the scope.
class OwnerScope {
 public:
  explicit OwnerScope(OwnerId owner) noexcept : previous_(CurrentOwner()) { SetCurrentOwner(owner); }
  ~OwnerScope() { SetCurrentOwner(previous_); }
  OwnerScope(const OwnerScope&) = delete;
  OwnerScope& operator=(const OwnerScope&) = delete;

 private:
  OwnerId previous_;
};

// A standard allocator over the manager, for standard containers whose blocks
// must be charged like any other.
template <class T>
struct Allocator {
  using value_type = T;
  Allocator() noexcept = default;
  template <class U>
  Allocator(const Allocator<U>&) noexcept {}
  T* allocate(std::size_t n) { return static_cast<T*>(Allocate(n * sizeof(T))); }
  void deallocate(T* p, std::size_t) noexcept { Free(p); }
  template <class U>
  bool operator==(const Allocator<U>&) const noexcept { return true; }
};

}  // namespace Corbane
