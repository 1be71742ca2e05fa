#include "ResourceSummary.hpp"

#include <cstdio>

#include "ByteOrder.hpp"
#include "PngInfo.hpp"
#include "StringList.hpp"

namespace vexmire_list {

namespace {

constexpr std::uint32_t Code(const char (&four)[5]) {
  return (std::uint32_t(static_cast<unsigned char>(four[0])) << 24) | (std::uint32_t(static_cast<unsigned char>(four[1])) << 16) |
         (std::uint32_t(static_cast<unsigned char>(four[2])) << 8) | std::uint32_t(static_cast<unsigned char>(four[3]));
}

std::string Format(const char* format, auto... values) {
  char text[128];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

std::string TypeText(std::uint32_t type) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const auto c = static_cast<unsigned char>(type >> shift);
    if (c < 0x20 || c > 0x7E) return Format("0x%08X", type);
    text += static_cast<char>(c);
  }
  return text;
}

std::string QuotedName(const vexmire_image::ImageEntry& entry) {
  std::string quoted = "\"";
  for (std::uint32_t i = 0; i < entry.nameLength; ++i) {
    const auto c = static_cast<unsigned char>(entry.name[i]);
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c < 0x20 ? Format("\\x%02X", c) : std::string(1, static_cast<char>(c));
  }
  return quoted + "\"";
}

std::string PictureSize(const std::uint8_t* data, std::uint64_t size) {
  vexmire_image::PngSize pixels;
  if (vexmire_image::ReadPngSize(data, size, pixels) != vexmire_image::PngStatus::Valid) return "not a PNG picture";
  return Format("%ux%u", pixels.width, pixels.height);
}

std::string StringListContent(const vexmire_image::ImageEntry& entry) {
  const std::int64_t count = vexmire_image::CountStrings(entry.data, entry.size);
  if (count < 0) return "damaged string list";
  return Format("%lld string%s", static_cast<long long>(count), count == 1 ? "" : "s");
}

// A block: a 32-bit count, then 32-bit values.
std::string IdentityContent(const vexmire_image::ImageEntry& entry) {
  if (entry.size < 4 || vexmire_image::ReadLE32(entry.data) != entry.size - 4 || entry.size % 4 != 0) return "damaged identity";
  std::string values;
  for (std::uint32_t at = 4; at < entry.size; at += 4)
    values += (values.empty() ? "" : " ") + Format("0x%08X", vexmire_image::ReadLE32(entry.data + at));
  return values;
}

// A block of pictures, each a 32-bit length and the PNG bytes.
std::string IconGroupContent(const vexmire_image::ImageEntry& entry) {
  if (entry.size < 4 || vexmire_image::ReadLE32(entry.data) > entry.size - 4) return "damaged icon group";
  const std::uint64_t end = 4 + std::uint64_t(vexmire_image::ReadLE32(entry.data));
  std::string sizes;
  int pictures = 0;
  for (std::uint64_t at = 4; at < end; ++pictures) {
    if (end - at < 4) return "damaged icon group";
    const std::uint32_t length = vexmire_image::ReadLE32(entry.data + at);
    if (length > end - at - 4) return "damaged icon group";
    sizes += " " + PictureSize(entry.data + at + 4, length);
    at += 4 + std::uint64_t(length);
  }
  return Format("%d picture%s", pictures, pictures == 1 ? "" : "s") + (sizes.empty() ? "" : ":" + sizes);
}

std::string Content(const vexmire_image::ImageEntry& entry) {
  if (entry.type == Code("STRS")) return StringListContent(entry);
  if (entry.type == Code("MDID")) return IdentityContent(entry);
  if (entry.type == Code("PNG ")) return "PNG " + PictureSize(entry.data, entry.size);
  if (entry.type == Code("ICNS")) return IconGroupContent(entry);
  return "";
}

}  // namespace

std::string DescribeResource(const vexmire_image::ImageEntry& entry) {
  std::string line = Format("%-4s  %6d  ", TypeText(entry.type).c_str(), entry.id);
  std::string name = QuotedName(entry);
  if (name.size() < 14) name.resize(14, ' ');
  line += name + Format("  %8u bytes", entry.size);
  const std::string content = Content(entry);
  if (!content.empty()) line += "  " + content;
  return line;
}

}  // namespace vexmire_list
