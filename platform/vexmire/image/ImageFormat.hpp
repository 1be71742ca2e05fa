// The resource image: what the resource compiler writes and the library reads.
//
//   header   32 bytes: magic "VXRI", version, entry count, table offset,
//            names offset, names size, image size, zero
//   table    24 bytes per entry: type, id, name offset, name length,
//            data offset, data size
//   names    each entry's name, zero-terminated (the empty name is one zero)
//   data     each entry's bytes, every block starting at a multiple of 8
//
// All numbers are 32-bit little-endian; offsets count from the image start.
// ImageView checks all of it once, so that readers can trust every offset.
#pragma once

#include <cstdint>

namespace vexmire_image {

inline constexpr std::uint8_t kImageMagic[4] = {'V', 'X', 'R', 'I'};
inline constexpr std::uint32_t kImageVersion = 1;
inline constexpr std::uint32_t kHeaderSize = 32;
inline constexpr std::uint32_t kEntrySize = 24;
inline constexpr std::uint32_t kDataAlignment = 8;
inline constexpr const char* kSectionName = ".vexmire";

enum class ImageStatus {
  Valid,
  TooSmall,       // shorter than the header
  BadMagic,       // not a resource image
  BadVersion,     // a version this library does not read
  BadLayout,      // the header's table, names or size do not fit the image
  BadEntry,       // an entry's name or data lies outside the image
};
const char* DescribeImageStatus(ImageStatus status);

struct ImageEntry {
  std::uint32_t type = 0;
  std::int32_t id = 0;
  const char* name = "";  // zero-terminated, inside the image
  std::uint32_t nameLength = 0;
  const std::uint8_t* data = nullptr;
  std::uint32_t size = 0;
};

// A checked image over bytes that the caller keeps alive.
class ImageView {
 public:
  // Checks the whole image; on success `view` reads it.
  static ImageStatus Open(const std::uint8_t* bytes, std::uint64_t size, ImageView& view);

  std::uint32_t Count() const { return count_; }
  ImageEntry EntryAt(std::uint32_t index) const;
  // The first entry with this type and id, or with this type and name.
  bool Find(std::uint32_t type, std::int32_t id, ImageEntry& entry) const;
  bool FindNamed(std::uint32_t type, const char* name, ImageEntry& entry) const;

 private:
  const std::uint8_t* bytes_ = nullptr;
  std::uint32_t count_ = 0;
  std::uint32_t tableOffset_ = 0;
  std::uint32_t namesOffset_ = 0;
};

}  // namespace vexmire_image
