// The pieces the library and the tools share, fed bytes that the resource
// compiler would never write.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PngInfo.hpp"
#include "StringList.hpp"

using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes StringList(std::uint32_t count, const std::string& strings) {
  Bytes bytes = {static_cast<std::uint8_t>(count), static_cast<std::uint8_t>(count >> 8), static_cast<std::uint8_t>(count >> 16),
                 static_cast<std::uint8_t>(count >> 24)};
  bytes.insert(bytes.end(), strings.begin(), strings.end());
  return bytes;
}

std::string At(const Bytes& list, std::uint32_t index) {
  vexmire_image::StringRef found;
  if (!vexmire_image::FindIndexedString(list.data(), static_cast<std::uint32_t>(list.size()), index, found)) return "<none>";
  return std::string(found.text, found.length);
}

}  // namespace

TEST(StringListResource, StringsEndAtTheCountEvenWhenMoreBytesFollow) {
  const std::string strings("one\0two\0three\0", 14);
  const Bytes list = StringList(8, strings);  // the count takes in only "one" and "two"
  EXPECT_EQ(At(list, 1), "one");
  EXPECT_EQ(At(list, 2), "two");
  EXPECT_EQ(At(list, 3), "<none>");
  EXPECT_EQ(vexmire_image::CountStrings(list.data(), static_cast<std::uint32_t>(list.size())), 2);
}

TEST(StringListResource, AStringWithoutItsZeroInsideTheCountIsNotRead) {
  const Bytes list = StringList(7, std::string("one\0two", 7));
  EXPECT_EQ(At(list, 1), "one");
  EXPECT_EQ(At(list, 2), "<none>");
}

TEST(StringListResource, ACountBeyondTheResourceOrAResourceTooShortHoldsNothing) {
  const Bytes list = StringList(100, std::string("one\0", 4));
  EXPECT_EQ(At(list, 1), "<none>");
  EXPECT_EQ(vexmire_image::CountStrings(list.data(), static_cast<std::uint32_t>(list.size())), -1);
  const Bytes stub = {1, 0};
  EXPECT_EQ(At(stub, 1), "<none>");
  EXPECT_EQ(At(StringList(0, ""), 1), "<none>");
}

TEST(PngHeader, ReadsTheSizeFromIhdrAndRefusesOtherFiles) {
  Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R',
               0, 0, 0, 18, 0, 0, 0, 36, 8, 6, 0, 0, 0};
  vexmire_image::PngSize size;
  ASSERT_EQ(vexmire_image::ReadPngSize(png.data(), png.size(), size), vexmire_image::PngStatus::Valid);
  EXPECT_EQ(size.width, 18u);
  EXPECT_EQ(size.height, 36u);

  EXPECT_EQ(vexmire_image::ReadPngSize(png.data(), 20, size), vexmire_image::PngStatus::NoHeader);
  Bytes noHeader = png;
  noHeader[12] = 'X';
  EXPECT_EQ(vexmire_image::ReadPngSize(noHeader.data(), noHeader.size(), size), vexmire_image::PngStatus::NoHeader);
  Bytes zeroWide = png;
  zeroWide[19] = 0;
  EXPECT_EQ(vexmire_image::ReadPngSize(zeroWide.data(), zeroWide.size(), size), vexmire_image::PngStatus::NoHeader);
  const std::string gif = "GIF89a....";
  EXPECT_EQ(vexmire_image::ReadPngSize(reinterpret_cast<const std::uint8_t*>(gif.data()), gif.size(), size),
            vexmire_image::PngStatus::NoSignature);
}
