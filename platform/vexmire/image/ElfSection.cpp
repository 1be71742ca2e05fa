#include "ElfSection.hpp"

#include <cstring>

#include "ByteOrder.hpp"

namespace vexmire_image {

namespace {

constexpr std::uint64_t kElfHeaderSize = 64;
constexpr std::uint64_t kSectionHeaderSize = 64;
constexpr std::uint32_t kNoBits = 8;            // a section that occupies no file bytes
constexpr std::uint32_t kStringTable = 3;
constexpr std::uint16_t kIndexInSectionZero = 0xFFFF;  // the real index lives in section 0
constexpr std::uint64_t kLongestName = 256;

struct SectionHeader {
  std::uint32_t name = 0;
  std::uint32_t type = 0;
  std::uint64_t offset = 0;
  std::uint64_t size = 0;
  std::uint32_t link = 0;
};

struct SectionTable {
  std::uint64_t offset = 0;
  std::uint64_t entrySize = 0;
  std::uint64_t count = 0;
  std::uint64_t namesIndex = 0;
};

bool ReadSectionHeader(const ByteSource& file, const SectionTable& table, std::uint64_t index, SectionHeader& header) {
  std::uint8_t raw[kSectionHeaderSize];
  if (!file.ReadAt(table.offset + index * table.entrySize, raw, sizeof raw)) return false;
  header.name = ReadLE32(raw);
  header.type = ReadLE32(raw + 4);
  header.offset = ReadLE64(raw + 24);
  header.size = ReadLE64(raw + 32);
  header.link = ReadLE32(raw + 40);
  return true;
}

ElfStatus ReadSectionTable(const ByteSource& file, SectionTable& table) {
  std::uint8_t raw[kElfHeaderSize];
  if (file.Size() < 4 || !file.ReadAt(0, raw, 4) || std::memcmp(raw, "\x7F" "ELF", 4) != 0) return ElfStatus::NotElf;
  if (!file.ReadAt(0, raw, sizeof raw)) return ElfStatus::Damaged;
  if (raw[4] != 2 || raw[5] != 1) return ElfStatus::Unsupported;
  table.offset = ReadLE64(raw + 0x28);
  table.entrySize = ReadLE16(raw + 0x3A);
  table.count = ReadLE16(raw + 0x3C);
  table.namesIndex = ReadLE16(raw + 0x3E);
  if (table.offset == 0 || table.entrySize < kSectionHeaderSize) return ElfStatus::Damaged;

  // Files with many sections keep the true count and name-table index in
  // section 0 instead of the file header.
  if (table.count == 0 || table.namesIndex == kIndexInSectionZero) {
    SectionHeader first;
    table.count = table.count == 0 ? 1 : table.count;  // so that section 0 itself may be read
    if (!ReadSectionHeader(file, table, 0, first)) return ElfStatus::Damaged;
    if (ReadLE16(raw + 0x3C) == 0) table.count = first.size;
    if (table.namesIndex == kIndexInSectionZero) table.namesIndex = first.link;
  }
  const std::uint64_t maxCount = file.Size() / table.entrySize;
  if (table.count == 0 || table.count > maxCount || !FitsWithin(table.offset, table.count * table.entrySize, file.Size()))
    return ElfStatus::Damaged;
  if (table.namesIndex >= table.count) return ElfStatus::Damaged;
  return ElfStatus::Found;
}

bool NameIs(const ByteSource& file, const SectionHeader& names, std::uint32_t nameOffset, const char* wanted) {
  const std::uint64_t wantedLength = std::strlen(wanted) + 1;  // with its zero
  if (wantedLength > kLongestName || !FitsWithin(nameOffset, wantedLength, names.size)) return false;
  char found[kLongestName];
  if (!file.ReadAt(names.offset + nameOffset, found, wantedLength)) return false;
  return std::memcmp(found, wanted, wantedLength) == 0;
}

}  // namespace

const char* DescribeElfStatus(ElfStatus status) {
  switch (status) {
    case ElfStatus::Found: return "found";
    case ElfStatus::NotElf: return "not a library file (it has no ELF header)";
    case ElfStatus::Unsupported: return "not a library file for this system (only 64-bit little-endian ELF is read)";
    case ElfStatus::Damaged: return "a damaged library file (its section headers point outside the file)";
    case ElfStatus::NoSection: return "a library file without resources";
  }
  return "unknown library status";
}

ElfStatus FindElfSection(const ByteSource& file, const char* name, SectionPlace& place) {
  SectionTable table;
  if (const ElfStatus status = ReadSectionTable(file, table); status != ElfStatus::Found) return status;
  SectionHeader names;
  if (!ReadSectionHeader(file, table, table.namesIndex, names)) return ElfStatus::Damaged;
  if (names.type != kStringTable || !FitsWithin(names.offset, names.size, file.Size())) return ElfStatus::Damaged;

  for (std::uint64_t i = 0; i < table.count; ++i) {
    SectionHeader section;
    if (!ReadSectionHeader(file, table, i, section)) return ElfStatus::Damaged;
    if (!NameIs(file, names, section.name, name)) continue;
    if (section.type == kNoBits || !FitsWithin(section.offset, section.size, file.Size())) return ElfStatus::Damaged;
    place = SectionPlace{section.offset, section.size};
    return ElfStatus::Found;
  }
  return ElfStatus::NoSection;
}

}  // namespace vexmire_image
