// Every allocation the plug-in makes goes through the host's memory manager,
// so the host can tell what the plug-in holds and find its leaks. These
// definitions stay inside the plug-in file (the version script exports none of
// them): they replace the global forms for the plug-in's own code only.
//
// Corbane::Free hands a block it never allocated on to the runtime's own
// operator delete, so a block that the C++ runtime allocated for the plug-in
// may still be freed here.

#include <cstddef>
#include <new>

#include "Corbane/Memory.hpp"

namespace {

void* AllocateBlock(std::size_t size) { return Corbane::Allocate(size == 0 ? 1 : size); }

void* AllocateAlignedBlock(std::size_t size, std::align_val_t alignment) {
  return Corbane::AllocateAligned(size == 0 ? 1 : size, static_cast<std::size_t>(alignment));
}

}  // namespace

void* operator new(std::size_t size) { return AllocateBlock(size); }
void* operator new[](std::size_t size) { return AllocateBlock(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return AllocateBlock(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return AllocateBlock(size); }
void* operator new(std::size_t size, std::align_val_t alignment) { return AllocateAlignedBlock(size, alignment); }
void* operator new[](std::size_t size, std::align_val_t alignment) { return AllocateAlignedBlock(size, alignment); }
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return AllocateAlignedBlock(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return AllocateAlignedBlock(size, alignment);
}

void operator delete(void* block) noexcept { Corbane::Free(block); }
void operator delete[](void* block) noexcept { Corbane::Free(block); }
void operator delete(void* block, std::size_t) noexcept { Corbane::Free(block); }
void operator delete[](void* block, std::size_t) noexcept { Corbane::Free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Corbane::Free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Corbane::Free(block); }
void operator delete(void* block, std::align_val_t) noexcept { Corbane::Free(block); }
void operator delete[](void* block, std::align_val_t) noexcept { Corbane::Free(block); }
void operator delete(void* block, std::size_t, std::align_val_t) noexcept { Corbane::Free(block); }
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept { Corbane::Free(block); }
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept { Corbane::Free(block); }
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept { Corbane::Free(block); }
