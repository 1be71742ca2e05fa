// Library files that are cut short, garbage, or whose headers lie: opening
// them must answer "no resources" (-1) without reading outside the file.
#include <elf.h>
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "test_files.hpp"
#include "Vexmire/Vexmire.hpp"

using Bytes = std::vector<unsigned char>;
using testing_support::ScratchFolder;

namespace {

class HostileLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    sample = platform_test::ReadBytes(VEXMIRE_SAMPLE_LIBRARY);
    ASSERT_GT(sample.size(), sizeof(Elf64_Ehdr));
    openBefore = VexmireOpenModuleCount();
  }
  void TearDown() override { EXPECT_EQ(VexmireOpenModuleCount(), openBefore); }

  Vexmire::ModuleHandle Open(const Bytes& bytes) {
    const std::string path = platform_test::WriteBytes(scratch, "library.so", bytes);
    const Vexmire::ModuleHandle module = VexmireOpenModuleFile(path.c_str());
    if (module >= 0) ResModuleClosed(module);
    return module;
  }

  Elf64_Ehdr& Header(Bytes& bytes) { return *reinterpret_cast<Elf64_Ehdr*>(bytes.data()); }
  Elf64_Shdr& Section(Bytes& bytes, std::size_t index) {
    return *reinterpret_cast<Elf64_Shdr*>(bytes.data() + Header(bytes).e_shoff + index * sizeof(Elf64_Shdr));
  }
  std::size_t ResourceSectionIndex(Bytes& bytes) {
    const Elf64_Shdr& names = Section(bytes, Header(bytes).e_shstrndx);
    for (std::size_t i = 0; i < Header(bytes).e_shnum; ++i)
      if (std::strcmp(reinterpret_cast<const char*>(bytes.data() + names.sh_offset + Section(bytes, i).sh_name), ".vexmire") == 0)
        return i;
    ADD_FAILURE() << "the sample library has no resource section";
    return 0;
  }
  unsigned char* Image(Bytes& bytes) { return bytes.data() + Section(bytes, ResourceSectionIndex(bytes)).sh_offset; }

  Bytes sample;
  ScratchFolder scratch;
  Vexmire::Int32 openBefore = 0;
};

}  // namespace

TEST_F(HostileLibrary, TheUntouchedSampleOpens) { EXPECT_GE(Open(sample), 0); }

TEST_F(HostileLibrary, EveryTruncationIsRefused) {
  // The section headers sit at the end of the file, so every cut loses some.
  std::vector<std::size_t> lengths = {0, 1, 3, 4, 16, 63, 64, 65};
  for (std::size_t length = 100; length < sample.size(); length += 97) lengths.push_back(length);
  for (std::size_t cut = 1; cut <= 300 && cut < sample.size(); ++cut) lengths.push_back(sample.size() - cut);
  for (const std::size_t length : lengths) {
    const Bytes truncated(sample.begin(), sample.begin() + static_cast<std::ptrdiff_t>(length));
    EXPECT_EQ(Open(truncated), Vexmire::NoModule) << "cut at " << length;
  }
}

TEST_F(HostileLibrary, GarbageIsRefusedWithOrWithoutAnElfSignature) {
  std::mt19937 random(29);
  for (int round = 0; round < 200; ++round) {
    Bytes garbage(64 + random() % 4096);
    for (unsigned char& byte : garbage) byte = static_cast<unsigned char>(random());
    if (round % 2 == 0) std::memcpy(garbage.data(), "\x7F" "ELF\x02\x01", 6);
    EXPECT_EQ(Open(garbage), Vexmire::NoModule) << "round " << round;
  }
}

TEST_F(HostileLibrary, SectionTablesThatPointOutsideTheFileAreRefused) {
  const auto refused = [&](auto patch) {
    Bytes bytes = sample;
    patch(bytes);
    return Open(bytes) == Vexmire::NoModule;
  };
  EXPECT_TRUE(refused([&](Bytes& b) { Header(b).e_shoff = ~0ull - 10; }));
  EXPECT_TRUE(refused([&](Bytes& b) { Header(b).e_shoff = b.size() - 8; }));
  EXPECT_TRUE(refused([&](Bytes& b) { Header(b).e_shnum = 0xFFFF; }));
  EXPECT_TRUE(refused([&](Bytes& b) { Header(b).e_shentsize = 8; }));
  EXPECT_TRUE(refused([&](Bytes& b) { Header(b).e_shstrndx = Header(b).e_shnum; }));
  EXPECT_TRUE(refused([&](Bytes& b) { Section(b, Header(b).e_shstrndx).sh_size = ~0ull; }));
  EXPECT_TRUE(refused([&](Bytes& b) { Section(b, Header(b).e_shstrndx).sh_offset = ~0ull - 4; }));
  EXPECT_TRUE(refused([&](Bytes& b) { Section(b, ResourceSectionIndex(b)).sh_size = ~0ull; }));
  EXPECT_TRUE(refused([&](Bytes& b) { Section(b, ResourceSectionIndex(b)).sh_size = b.size(); }));
  EXPECT_TRUE(refused([&](Bytes& b) { Section(b, ResourceSectionIndex(b)).sh_offset = b.size(); }));
  EXPECT_TRUE(refused([&](Bytes& b) { Section(b, ResourceSectionIndex(b)).sh_type = SHT_NOBITS; }));
  EXPECT_TRUE(refused([&](Bytes& b) { Section(b, ResourceSectionIndex(b)).sh_name = 0xFFFFFFF0u; }));
  EXPECT_TRUE(refused([&](Bytes& b) { b[4] = ELFCLASS32; }));
  EXPECT_TRUE(refused([&](Bytes& b) { b[5] = ELFDATA2MSB; }));
}

TEST_F(HostileLibrary, ImagesWhoseTablesLieAreRefused) {
  const auto refused = [&](std::size_t offset, std::uint32_t value) {
    Bytes bytes = sample;
    std::memcpy(Image(bytes) + offset, &value, sizeof value);
    return Open(bytes) == Vexmire::NoModule;
  };
  EXPECT_TRUE(refused(0, 0x21524F4E));        // magic
  EXPECT_TRUE(refused(4, 2));                 // version
  EXPECT_TRUE(refused(8, 0x0AAAAAAB));        // entry count whose table wraps past 4 GiB
  EXPECT_TRUE(refused(8, 1000));              // entry count past the image
  EXPECT_TRUE(refused(12, 0xFFFFFFF0u));      // table offset
  EXPECT_TRUE(refused(20, 0xFFFFFFF0u));      // names size
  EXPECT_TRUE(refused(24, 0xFFFFFFFFu));      // image size beyond the section
  EXPECT_TRUE(refused(32 + 8, 0xFFFFFFFFu));  // first entry's name offset
  EXPECT_TRUE(refused(32 + 12, 0xFFFF));      // first entry's name length
  EXPECT_TRUE(refused(32 + 16, 0xFFFFFFF8u)); // first entry's data offset
  EXPECT_TRUE(refused(32 + 20, 0x7FFFFFFF));  // first entry's data size
}

TEST_F(HostileLibrary, AStringListWhoseCountOverrunsItsResourceYieldsNoString) {
  Bytes bytes = sample;
  unsigned char* image = Image(bytes);
  std::uint32_t dataOffset = 0;
  std::memcpy(&dataOffset, image + 32 + 16, 4);  // the first entry is string list 32000
  const std::uint32_t huge = 0x7FFFFFF0u;
  std::memcpy(image + dataOffset, &huge, 4);
  const std::string path = platform_test::WriteBytes(scratch, "library.so", bytes);
  const Vexmire::ModuleHandle module = VexmireOpenModuleFile(path.c_str());
  ASSERT_GE(module, 0);
  Corbane::UniString target;
  EXPECT_FALSE(VexmireGetIndString_ParamAdapter("t", 1, &target, 32000, 1, module, 0));
  ResModuleClosed(module);
}
