#include "ImageFormat.hpp"

#include <cstring>

#include "ByteOrder.hpp"

namespace vexmire_image {

namespace {

struct Header {
  std::uint32_t version, count, tableOffset, namesOffset, namesSize, imageSize;
};

Header ReadHeader(const std::uint8_t* bytes) {
  return Header{ReadLE32(bytes + 4),  ReadLE32(bytes + 8),  ReadLE32(bytes + 12),
                ReadLE32(bytes + 16), ReadLE32(bytes + 20), ReadLE32(bytes + 24)};
}

bool LayoutFits(const Header& h, std::uint64_t available) {
  if (h.imageSize > available || h.imageSize < kHeaderSize) return false;
  if (h.tableOffset < kHeaderSize) return false;
  if (!FitsWithin(h.tableOffset, std::uint64_t(h.count) * kEntrySize, h.imageSize)) return false;
  return FitsWithin(h.namesOffset, h.namesSize, h.imageSize);
}

// A name must end with its zero inside the names block, exactly where its
// length says, so that readers may use it as a C string.
bool EntryFits(const std::uint8_t* entry, const Header& h, const std::uint8_t* image) {
  const std::uint32_t nameOffset = ReadLE32(entry + 8);
  const std::uint32_t nameLength = ReadLE32(entry + 12);
  if (!FitsWithin(nameOffset, std::uint64_t(nameLength) + 1, h.namesSize)) return false;
  const std::uint8_t* name = image + h.namesOffset + nameOffset;
  if (name[nameLength] != 0 || std::memchr(name, 0, nameLength) != nullptr) return false;
  return FitsWithin(ReadLE32(entry + 16), ReadLE32(entry + 20), h.imageSize);
}

}  // namespace

const char* DescribeImageStatus(ImageStatus status) {
  switch (status) {
    case ImageStatus::Valid: return "valid";
    case ImageStatus::TooSmall: return "the resource image is shorter than its header";
    case ImageStatus::BadMagic: return "the section does not hold a resource image";
    case ImageStatus::BadVersion: return "the resource image has a version this library does not read";
    case ImageStatus::BadLayout: return "the resource image's table does not fit inside it";
    case ImageStatus::BadEntry: return "a resource lies outside the resource image";
  }
  return "unknown image status";
}

ImageStatus ImageView::Open(const std::uint8_t* bytes, std::uint64_t size, ImageView& view) {
  if (bytes == nullptr || size < kHeaderSize) return ImageStatus::TooSmall;
  if (std::memcmp(bytes, kImageMagic, sizeof kImageMagic) != 0) return ImageStatus::BadMagic;
  const Header h = ReadHeader(bytes);
  if (h.version != kImageVersion) return ImageStatus::BadVersion;
  if (!LayoutFits(h, size)) return ImageStatus::BadLayout;
  for (std::uint32_t i = 0; i < h.count; ++i)
    if (!EntryFits(bytes + h.tableOffset + std::uint64_t(i) * kEntrySize, h, bytes)) return ImageStatus::BadEntry;
  view.bytes_ = bytes;
  view.count_ = h.count;
  view.tableOffset_ = h.tableOffset;
  view.namesOffset_ = h.namesOffset;
  return ImageStatus::Valid;
}

ImageEntry ImageView::EntryAt(std::uint32_t index) const {
  const std::uint8_t* raw = bytes_ + tableOffset_ + std::uint64_t(index) * kEntrySize;
  ImageEntry entry;
  entry.type = ReadLE32(raw);
  entry.id = static_cast<std::int32_t>(ReadLE32(raw + 4));
  entry.name = reinterpret_cast<const char*>(bytes_ + namesOffset_ + ReadLE32(raw + 8));
  entry.nameLength = ReadLE32(raw + 12);
  entry.data = bytes_ + ReadLE32(raw + 16);
  entry.size = ReadLE32(raw + 20);
  return entry;
}

bool ImageView::Find(std::uint32_t type, std::int32_t id, ImageEntry& entry) const {
  for (std::uint32_t i = 0; i < count_; ++i) {
    const ImageEntry candidate = EntryAt(i);
    if (candidate.type == type && candidate.id == id) {
      entry = candidate;
      return true;
    }
  }
  return false;
}

bool ImageView::FindNamed(std::uint32_t type, const char* name, ImageEntry& entry) const {
  if (name == nullptr || *name == '\0') return false;  // unnamed resources are found by id only
  for (std::uint32_t i = 0; i < count_; ++i) {
    const ImageEntry candidate = EntryAt(i);
    if (candidate.type == type && std::strcmp(candidate.name, name) == 0) {
      entry = candidate;
      return true;
    }
  }
  return false;
}

}  // namespace vexmire_image
