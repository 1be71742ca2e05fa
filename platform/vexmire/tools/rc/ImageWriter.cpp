#include "ImageWriter.hpp"

#include <cstring>

#include "ByteOrder.hpp"
#include "CompileError.hpp"
#include "ImageFormat.hpp"

namespace vexmire_rc {

namespace {

using vexmire_image::kDataAlignment;
using vexmire_image::kEntrySize;
using vexmire_image::kHeaderSize;

std::uint64_t AlignUp(std::uint64_t value) { return (value + kDataAlignment - 1) / kDataAlignment * kDataAlignment; }

struct Layout {
  std::vector<std::uint32_t> nameOffsets;
  std::vector<std::uint64_t> dataOffsets;
  std::uint64_t namesOffset = 0;
  std::uint64_t namesSize = 0;
  std::uint64_t total = 0;
};

Layout PlanLayout(const std::vector<Resource>& resources) {
  Layout layout;
  layout.namesOffset = kHeaderSize + std::uint64_t(resources.size()) * kEntrySize;
  for (const Resource& resource : resources) {
    layout.nameOffsets.push_back(static_cast<std::uint32_t>(layout.namesSize));
    layout.namesSize += resource.name.size() + 1;
  }
  std::uint64_t at = AlignUp(layout.namesOffset + layout.namesSize);
  for (const Resource& resource : resources) {
    layout.dataOffsets.push_back(at);
    at = AlignUp(at + resource.data.size());
  }
  layout.total = at;
  return layout;
}

void WriteHeader(std::uint8_t* image, std::uint32_t count, const Layout& layout) {
  std::memcpy(image, vexmire_image::kImageMagic, sizeof vexmire_image::kImageMagic);
  vexmire_image::WriteLE32(image + 4, vexmire_image::kImageVersion);
  vexmire_image::WriteLE32(image + 8, count);
  vexmire_image::WriteLE32(image + 12, kHeaderSize);
  vexmire_image::WriteLE32(image + 16, static_cast<std::uint32_t>(layout.namesOffset));
  vexmire_image::WriteLE32(image + 20, static_cast<std::uint32_t>(layout.namesSize));
  vexmire_image::WriteLE32(image + 24, static_cast<std::uint32_t>(layout.total));
}

}  // namespace

std::vector<std::uint8_t> WriteImage(const std::vector<Resource>& resources, const std::string& definitionPath) {
  const Layout layout = PlanLayout(resources);
  if (layout.total > 0xFFFFFFFFull) throw CompileError(definitionPath, 0, "the resources together are larger than 4 GiB");
  std::vector<std::uint8_t> image(layout.total, 0);
  WriteHeader(image.data(), static_cast<std::uint32_t>(resources.size()), layout);
  for (std::size_t i = 0; i < resources.size(); ++i) {
    const Resource& resource = resources[i];
    std::uint8_t* entry = image.data() + kHeaderSize + i * kEntrySize;
    vexmire_image::WriteLE32(entry, resource.type);
    vexmire_image::WriteLE32(entry + 4, static_cast<std::uint32_t>(resource.id));
    vexmire_image::WriteLE32(entry + 8, layout.nameOffsets[i]);
    vexmire_image::WriteLE32(entry + 12, static_cast<std::uint32_t>(resource.name.size()));
    vexmire_image::WriteLE32(entry + 16, static_cast<std::uint32_t>(layout.dataOffsets[i]));
    vexmire_image::WriteLE32(entry + 20, static_cast<std::uint32_t>(resource.data.size()));
    std::memcpy(image.data() + layout.namesOffset + layout.nameOffsets[i], resource.name.c_str(), resource.name.size() + 1);
    if (!resource.data.empty()) std::memcpy(image.data() + layout.dataOffsets[i], resource.data.data(), resource.data.size());
  }
  return image;
}

}  // namespace vexmire_rc
