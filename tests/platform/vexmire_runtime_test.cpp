#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Vexmire/Vexmire.hpp"

using Corbane::UniString;
using Vexmire::ResType;

namespace {

std::string Text(const UniString& text) { return text.ToCStr().Get(); }

// The sample library, loaded and its resource module opened as a plug-in
// opens its own: through an address inside it.
class SampleModule : public ::testing::Test {
 protected:
  void SetUp() override {
    library = ::dlopen(VEXMIRE_SAMPLE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << ::dlerror();
    const void* anchor = ::dlsym(library, "VexmireSampleAnchor");
    ASSERT_NE(anchor, nullptr);
    module = VexmireInitModuleImageCache(anchor);
    ASSERT_GE(module, 0);
  }
  void TearDown() override {
    VexmireRemoveModuleImageCache(module);
    ResModuleClosed(module);
    if (library != nullptr) ::dlclose(library);
  }

  bool Read(Corbane::Int16 list, Corbane::Int16 index, std::string& text) {
    UniString target("untouched");
    const bool found = VexmireGetIndString_ParamAdapter("VexmireRuntimeTest", __LINE__, &target, list, index, module, 0);
    text = Text(target);
    return found;
  }

  void* library = nullptr;
  Vexmire::ModuleHandle module = Vexmire::NoModule;
};

}  // namespace

TEST_F(SampleModule, ReadsIndexedStringsFromOneWithEscapesAndUtf8) {
  std::string text;
  EXPECT_TRUE(Read(32000, 1, text));
  EXPECT_EQ(text, "Sample Add-On");
  EXPECT_TRUE(Read(32000, 2, text));
  EXPECT_EQ(text, "Reads \"quoted\" text,\ttabs and \xC3\xA9 accents");
  EXPECT_TRUE(Read(32000, 3, text));
  EXPECT_EQ(text, "");
  EXPECT_TRUE(Read(32000, 4, text));
  EXPECT_EQ(text, "after an empty string");
  EXPECT_TRUE(Read(32500, 2, text));
  EXPECT_EQ(text, "Item ^10002");
}

TEST_F(SampleModule, UnicodeTextOfAStringIsDecodedAsUtf8) {
  UniString target;
  ASSERT_TRUE(VexmireGetIndString_ParamAdapter("t", 1, &target, 32000, 2, module, 0));
  EXPECT_NE(target.FindFirst(Corbane::UniChar(0x00E9)), UniString::NotFound);
}

TEST_F(SampleModule, AMissingStringListOrIndexLeavesTheTargetAlone) {
  std::string text;
  EXPECT_FALSE(Read(32000, 5, text));
  EXPECT_EQ(text, "untouched");
  EXPECT_FALSE(Read(32000, 0, text));
  EXPECT_FALSE(Read(32000, -1, text));
  EXPECT_FALSE(Read(31999, 1, text));
  EXPECT_FALSE(Read(10002, 1, text));  // a picture's id, not a string list's
  EXPECT_EQ(text, "untouched");

  UniString target("untouched");
  EXPECT_FALSE(VexmireGetIndString_ParamAdapter("t", 1, &target, 32000, 1, module, 1));
  EXPECT_FALSE(VexmireGetIndString_ParamAdapter("t", 1, &target, 32000, 1, module + 100, 0));
  EXPECT_FALSE(VexmireGetIndString_ParamAdapter("t", 1, &target, 32000, 1, Vexmire::NoModule, 0));
  EXPECT_FALSE(VexmireGetIndString_ParamAdapter("t", 1, nullptr, 32000, 1, module, 0));
  EXPECT_EQ(Text(target), "untouched");
}

TEST_F(SampleModule, GivesResourceBytesByIdAndByName) {
  Vexmire::UInt32 size = 0;
  const auto* identity = static_cast<const unsigned char*>(VexmireGetResource(module, ResType("MDID"), 32500, &size));
  ASSERT_NE(identity, nullptr);
  ASSERT_EQ(size, 12u);
  const unsigned char expected[12] = {8, 0, 0, 0, 0x4C, 0x4E, 0x52, 0x51, 0x29, 0, 0, 0};
  EXPECT_EQ(std::memcmp(identity, expected, sizeof expected), 0);

  const auto* small = static_cast<const unsigned char*>(VexmireGetNamedResource(module, ResType("PNG "), "I10002&96", &size));
  ASSERT_NE(small, nullptr);
  EXPECT_EQ(size, 73u);
  EXPECT_EQ(std::memcmp(small, "\x89PNG", 4), 0);
  EXPECT_EQ(small, VexmireGetResource(module, ResType("PNG "), 10002, nullptr));
  const void* large = VexmireGetNamedResource(module, ResType("PNG "), "I10002&192", &size);
  ASSERT_NE(large, nullptr);
  EXPECT_NE(large, small);

  EXPECT_EQ(VexmireGetResource(module, ResType("PNG "), 10001, &size), nullptr);
  EXPECT_EQ(VexmireGetNamedResource(module, ResType("PNG "), "I10001&96", &size), nullptr);
  EXPECT_EQ(VexmireGetNamedResource(module, ResType("STRS"), "", &size), nullptr);
  EXPECT_EQ(VexmireGetNamedResource(module, ResType("PNG "), nullptr, &size), nullptr);
}

TEST_F(SampleModule, ListsEveryResourceInDefinitionOrder) {
  const Corbane::Array<Vexmire::ResourceInfo> resources = VexmireListResources(module);
  ASSERT_EQ(resources.GetSize(), 6u);
  EXPECT_EQ(resources[0].type, ResType("STRS"));
  EXPECT_EQ(resources[0].id, 32000);
  EXPECT_EQ(resources[2].type, ResType("MDID"));
  EXPECT_EQ(resources[2].size, 12u);
  EXPECT_EQ(resources[4].type, ResType("PNG "));
  EXPECT_EQ(Text(resources[4].name), "I10002&192");
  EXPECT_EQ(resources[5].type, ResType("ICNS"));
  EXPECT_TRUE(resources[5].name.IsEmpty());
}

TEST_F(SampleModule, ARemovedCacheAnswersNothingButKeepsItsHandleUntilClosed) {
  const Vexmire::Int32 open = VexmireOpenModuleCount();
  VexmireRemoveModuleImageCache(module);
  std::string text;
  EXPECT_FALSE(Read(32000, 1, text));
  EXPECT_EQ(VexmireGetResource(module, ResType("MDID"), 32500, nullptr), nullptr);
  EXPECT_TRUE(VexmireListResources(module).IsEmpty());
  EXPECT_EQ(VexmireOpenModuleCount(), open);
  VexmireRemoveModuleImageCache(module);  // twice is harmless
  ResModuleClosed(module);
  EXPECT_EQ(VexmireOpenModuleCount(), open - 1);
  ResModuleClosed(module);  // and so is closing twice
  EXPECT_EQ(VexmireOpenModuleCount(), open - 1);
  module = Vexmire::NoModule;
}

TEST_F(SampleModule, EachOpeningHasItsOwnHandle) {
  const Vexmire::ModuleHandle again = VexmireOpenModuleFile(VEXMIRE_SAMPLE_LIBRARY);
  ASSERT_GE(again, 0);
  EXPECT_NE(again, module);
  ResModuleClosed(again);
  std::string text;
  EXPECT_TRUE(Read(32000, 1, text));
}

TEST(VexmireModules, TheImageIsChargedToTheOpenerAndGivenBackWhenClosed) {
  const Corbane::OwnerId owner = Corbane::RegisterOwner("resources under test");
  const Vexmire::Int32 before = VexmireOpenModuleCount();
  {
    const Corbane::OwnerScope scope(owner);
    const Vexmire::ModuleHandle module = VexmireOpenModuleFile(VEXMIRE_SAMPLE_LIBRARY);
    ASSERT_GE(module, 0);
    EXPECT_EQ(VexmireOpenModuleCount(), before + 1);
    EXPECT_GT(Corbane::OwnerStats(owner).liveBytes, 0);
    VexmireRemoveModuleImageCache(module);
    ResModuleClosed(module);
  }
  EXPECT_EQ(VexmireOpenModuleCount(), before);
  EXPECT_EQ(Corbane::OwnerStats(owner).liveBlocks, 0);
}

TEST(VexmireModules, ALibraryWithoutResourcesOrNoLibraryOpensNothing) {
  const Vexmire::Int32 before = VexmireOpenModuleCount();
  // The test program itself carries no resources.
  EXPECT_EQ(VexmireInitModuleImageCache(reinterpret_cast<const void*>(&VexmireOpenModuleCount)), Vexmire::NoModule);
  EXPECT_EQ(VexmireInitModuleImageCache(nullptr), Vexmire::NoModule);
  EXPECT_EQ(VexmireOpenModuleFile("/no/such/library.so"), Vexmire::NoModule);
  EXPECT_EQ(VexmireOpenModuleFile(nullptr), Vexmire::NoModule);
  EXPECT_EQ(VexmireOpenModuleFile("/"), Vexmire::NoModule);
  EXPECT_EQ(VexmireOpenModuleCount(), before);
}
