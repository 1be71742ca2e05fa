// Finds a named section in a 64-bit little-endian ELF file. Every offset and
// count in the file is checked against the file's size before it is used, so
// a truncated or hostile file is answered with a status, never a bad read.
#pragma once

#include <cstdint>

#include "ByteSource.hpp"

namespace vexmire_image {

enum class ElfStatus {
  Found,
  NotElf,         // no ELF signature
  Unsupported,    // ELF, but not 64-bit little-endian
  Damaged,        // headers that point outside the file or contradict themselves
  NoSection,      // a sound file without the section
};
const char* DescribeElfStatus(ElfStatus status);

struct SectionPlace {
  std::uint64_t offset = 0;
  std::uint64_t size = 0;
};

ElfStatus FindElfSection(const ByteSource& file, const char* name, SectionPlace& place);

}  // namespace vexmire_image
