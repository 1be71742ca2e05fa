// vexmire-list LIBRARY: one line per resource that the library file carries.
// Exit status 1, with the reason, for a file that is not a library or carries
// no resources.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "ByteSource.hpp"
#include "ElfSection.hpp"
#include "ImageFormat.hpp"
#include "ResourceSummary.hpp"

namespace {

constexpr int kRefusedExit = 1;
constexpr int kUsageExit = 2;

int Refuse(const char* path, const char* why) {
  std::fprintf(stderr, "vexmire-list: %s: %s\n", path, why);
  return kRefusedExit;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vexmire-list LIBRARY\n");
    return kUsageExit;
  }
  const char* path = argv[1];
  const vexmire_image::FileByteSource file(path);
  if (!file.IsOpen()) return Refuse(path, std::strerror(file.OpenError()));

  vexmire_image::SectionPlace place;
  const vexmire_image::ElfStatus found = vexmire_image::FindElfSection(file, vexmire_image::kSectionName, place);
  if (found != vexmire_image::ElfStatus::Found) return Refuse(path, vexmire_image::DescribeElfStatus(found));

  std::vector<std::uint8_t> image(place.size);
  if (!file.ReadAt(place.offset, image.data(), image.size())) return Refuse(path, "the resource section cannot be read");
  vexmire_image::ImageView view;
  const vexmire_image::ImageStatus status = vexmire_image::ImageView::Open(image.data(), image.size(), view);
  if (status != vexmire_image::ImageStatus::Valid) return Refuse(path, vexmire_image::DescribeImageStatus(status));
  if (view.Count() == 0) return Refuse(path, "a library file without resources (its resource image is empty)");

  for (std::uint32_t i = 0; i < view.Count(); ++i) std::printf("%s\n", vexmire_list::DescribeResource(view.EntryAt(i)).c_str());
  return 0;
}
