// The two plug-in files, loaded as the host loads them, against a host entry
// table made of this test's own stubs.

#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "Corbane/Corbane.hpp"
#include "Forvane/EntryTable.hpp"
#include "Vexmire/Vexmire.hpp"

namespace {

struct Build {
  const char* file;
  int hostVersion;
  std::size_t keptBytes;
};

const Build build29{QUARNEL_PLUGIN_29, 29, 5152};
const Build build27{QUARNEL_PLUGIN_27, 27, 5184};

// What the stub host saw.
struct StubHost {
  std::int32_t environmentAnswer = 1;
  std::vector<std::string> calls;
  API_Token lastToken = 0;
  std::int16_t lastMenu = 0;
  MenuHandlerProc lastHandler = nullptr;
  std::vector<std::int32_t> registerArguments;
};
StubHost stub;

HostError StubRegisterMenu(std::int16_t menu, std::int16_t prompt, std::int32_t position, std::int32_t flags) {
  stub.calls.push_back("RegisterMenu");
  stub.registerArguments = {menu, prompt, position, flags};
  return 0x1234;
}
HostError StubInstallMenuHandler(API_Token token, std::int16_t menu, MenuHandlerProc handler) {
  stub.calls.push_back("InstallMenuHandler");
  stub.lastToken = token;
  stub.lastMenu = menu;
  stub.lastHandler = handler;
  return 0x4321;
}
std::int32_t StubQueryAddOnEnvironment(API_Token, std::int32_t question) {
  stub.calls.push_back("QueryAddOnEnvironment " + std::to_string(question));
  return stub.environmentAnswer;
}
std::int32_t NeverCalled(API_Token, std::int32_t) {
  stub.calls.push_back("a slot past the kept table");
  return 1;
}

// A host entry table of `slots` slots with the stubs the entries use.
std::vector<const void*> StubTable(std::size_t slots) {
  std::vector<const void*> table(slots, nullptr);
  table[FvSlot_RegisterMenu] = reinterpret_cast<const void*>(&StubRegisterMenu);
  table[FvSlot_InstallMenuHandler] = reinterpret_cast<const void*>(&StubInstallMenuHandler);
  table[FvSlot_QueryAddOnEnvironment] = reinterpret_cast<const void*>(&StubQueryAddOnEnvironment);
  return table;
}

std::vector<std::string> debugLines;
void RecordDebug(const char* text, void*) { debugLines.emplace_back(text); }

// One load of a plug-in file, unloaded at the end of the scope.
class Loaded {
 public:
  explicit Loaded(const Build& build) : build_(build) {
    library_ = dlopen(build.file, RTLD_NOW | RTLD_LOCAL);
    if (library_ == nullptr) {
      ADD_FAILURE() << dlerror();
      return;
    }
    getExported_ = reinterpret_cast<GetExportedFuncAddrsProc>(dlsym(library_, FvGetExportedFuncAddrsName));
    setImported_ = reinterpret_cast<SetImportedFuncAddrsProc>(dlsym(library_, FvSetImportedFuncAddrsName));
    if (getExported_ == nullptr || setImported_ == nullptr) {
      ADD_FAILURE() << "exports missing in " << build.file;
      return;
    }
    getExported_(&entries);
  }
  ~Loaded() { Unload(); }
  Loaded(const Loaded&) = delete;
  Loaded& operator=(const Loaded&) = delete;

  bool ok() const { return getExported_ != nullptr && setImported_ != nullptr; }
  void Unload() {
    if (library_ != nullptr) dlclose(library_);
    library_ = nullptr;
  }
  std::int32_t HandOver(const void* table) { return setImported_(table); }
  std::int32_t HandOverStubs() {
    table_ = StubTable(FvHostSlotCount(build_.hostVersion));
    return HandOver(table_.data());
  }
  void GetExported(ExportedEntryTable* table) { getExported_(table); }

  ExportedEntryTable entries{};

 private:
  Build build_;
  void* library_ = nullptr;
  GetExportedFuncAddrsProc getExported_ = nullptr;
  SetImportedFuncAddrsProc setImported_ = nullptr;
  std::vector<const void*> table_;
};

class PluginFile : public ::testing::TestWithParam<Build> {
 protected:
  void SetUp() override {
    stub = StubHost{};
    debugLines.clear();
    Corbane::SetDebugSink(&RecordDebug, nullptr);
    Corbane::SetDebugToStandardError(false);
  }
  void TearDown() override {
    Corbane::SetDebugSink(nullptr, nullptr);
    Corbane::SetDebugToStandardError(true);
  }
};

TEST_P(PluginFile, FillsTheEntryTableAndZeroesEveryOtherByte) {
  Loaded plugin(GetParam());
  ASSERT_TRUE(plugin.ok());
  ExportedEntryTable table;
  std::memset(static_cast<void*>(&table), 0xA5, sizeof table);
  plugin.GetExported(&table);
  const auto* bytes = reinterpret_cast<const unsigned char*>(&table);

  EXPECT_EQ(table.versionWord, static_cast<std::uint32_t>(GetParam().hostVersion) << 16 | 1u);
  EXPECT_EQ(table.hostVersionNumber, static_cast<std::uint32_t>(GetParam().hostVersion * 1000));
  EXPECT_NE(table.describeAddOn, nullptr);
  EXPECT_NE(table.registerAddOn, nullptr);
  EXPECT_NE(table.startAddOn, nullptr);
  EXPECT_NE(table.releaseAddOn, nullptr);
  for (std::size_t i = 4; i < 8; ++i) EXPECT_EQ(bytes[i], 0) << "byte " << i;
  for (std::size_t i = 44; i < sizeof table; ++i) EXPECT_EQ(bytes[i], 0) << "byte " << i;
}

TEST_P(PluginFile, EntriesDoNothingBeforeTheHostTableArrives) {
  Loaded plugin(GetParam());
  ASSERT_TRUE(plugin.ok());
  API_AddOnEnvironment environment;
  EXPECT_EQ(plugin.entries.describeAddOn(&environment), 0);
  EXPECT_TRUE(environment.addOnName.IsEmpty());
  EXPECT_EQ(environment.describeFlag, 0);
  EXPECT_EQ(plugin.entries.registerAddOn(0), FvErr_General);
  EXPECT_EQ(plugin.entries.startAddOn(77), FvErr_General);
  EXPECT_EQ(plugin.entries.releaseAddOn(), FvErr_General);
  EXPECT_THAT(stub.calls, ::testing::IsEmpty());
  // No token was kept, so unloading is no abnormal termination.
  plugin.Unload();
  EXPECT_THAT(debugLines, ::testing::IsEmpty());
}

TEST_P(PluginFile, EntriesReachTheHostOnceReady) {
  Loaded plugin(GetParam());
  ASSERT_TRUE(plugin.ok());
  ASSERT_EQ(plugin.HandOverStubs(), 0);

  API_AddOnEnvironment environment;
  EXPECT_EQ(plugin.entries.describeAddOn(&environment), 1);
  EXPECT_EQ(std::string(environment.addOnName.ToCStr().Get()), "Forvane IFC+SG Config Import");
  EXPECT_EQ(std::string(environment.addOnDescription.ToCStr().Get()),
            "Import Forvane IFC+SG Classifications and Properties...");
  EXPECT_EQ(environment.describeFlag, 1);

  EXPECT_EQ(plugin.entries.registerAddOn(0), 0x1234);
  EXPECT_EQ(stub.registerArguments, (std::vector<std::int32_t>{32500, 0, 0, 0}));
  EXPECT_EQ(plugin.entries.startAddOn(77), 0x4321);
  EXPECT_EQ(stub.lastToken, 77u);
  EXPECT_EQ(stub.lastMenu, 32500);
  ASSERT_NE(stub.lastHandler, nullptr);

  // The handler answers 0 and touches nothing for an item that is not its own.
  stub.calls.clear();
  API_MenuCallParams other;
  other.menuResourceId = 32500;
  other.itemIndex = 2;
  EXPECT_EQ(stub.lastHandler(&other), 0);
  EXPECT_THAT(stub.calls, ::testing::IsEmpty());

  EXPECT_EQ(plugin.entries.releaseAddOn(), 0);
}

TEST_P(PluginFile, ASlotTheHostLeftEmptyIsAMissingOperation) {
  Loaded plugin(GetParam());
  ASSERT_TRUE(plugin.ok());
  std::vector<const void*> table(FvHostSlotCount(GetParam().hostVersion), nullptr);
  ASSERT_EQ(plugin.HandOver(table.data()), 0);
  API_AddOnEnvironment environment;
  EXPECT_EQ(plugin.entries.describeAddOn(&environment), 0);  // no answer: may not load
  EXPECT_EQ(plugin.entries.registerAddOn(0), FvErr_MissingOperation);
  EXPECT_EQ(plugin.entries.startAddOn(5), FvErr_MissingOperation);
  EXPECT_EQ(plugin.entries.releaseAddOn(), 0);
}

TEST_P(PluginFile, ANullHostTableIsRefused) {
  Loaded plugin(GetParam());
  ASSERT_TRUE(plugin.ok());
  EXPECT_NE(plugin.HandOver(nullptr), 0);
  EXPECT_EQ(plugin.entries.registerAddOn(0), FvErr_General);
}

TEST_P(PluginFile, KeepsItsOwnCopyOfExactlyItsTableSize) {
  // The table ends right before a page the process may not touch: reading one
  // byte past the build's size would end the test.
  const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  const std::size_t bytes = GetParam().keptBytes;
  const std::size_t span = (bytes + page - 1) / page * page;
  auto* region = static_cast<unsigned char*>(
      mmap(nullptr, span + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(region, MAP_FAILED);
  ASSERT_EQ(mprotect(region + span, page, PROT_NONE), 0);
  unsigned char* table = region + span - bytes;
  const std::vector<const void*> stubs = StubTable(bytes / sizeof(void*));
  std::memcpy(table, stubs.data(), bytes);

  {
    Loaded plugin(GetParam());
    ASSERT_TRUE(plugin.ok());
    ASSERT_EQ(plugin.HandOver(table), 0);
    // The host may reuse its table: the plug-in calls what it copied.
    const void* never = reinterpret_cast<const void*>(&NeverCalled);
    std::memcpy(table + FvSlot_QueryAddOnEnvironment * sizeof(void*), &never, sizeof never);
    API_AddOnEnvironment environment;
    EXPECT_EQ(plugin.entries.describeAddOn(&environment), 1);
    EXPECT_THAT(stub.calls, ::testing::ElementsAre("QueryAddOnEnvironment 1"));
  }
  munmap(region, span + page);
}

TEST_P(PluginFile, AsksTheEnvironmentAndAnswersWithItsKind) {
  const bool is27 = GetParam().hostVersion == 27;
  const std::pair<std::int32_t, std::int32_t> answers[] = {
      {0, 0}, {1, 1}, {0x102, is27 ? 1 : 2}, {0x100, 0}, {0xFF, is27 ? 1 : 0xFF}};
  for (const auto& [answer, kind] : answers) {
    Loaded plugin(GetParam());
    ASSERT_TRUE(plugin.ok());
    ASSERT_EQ(plugin.HandOverStubs(), 0);
    stub.environmentAnswer = answer;
    API_AddOnEnvironment environment;
    EXPECT_EQ(plugin.entries.describeAddOn(&environment), kind) << "host answer " << answer;
  }
}

// Loaded as "./Quarnel.so" from its own folder, the line still gives the
// whole path, after the working folder has changed.
TEST_P(PluginFile, UnloadWithoutReleaseWritesOneLineNamingTheFileByItsFullPath) {
  const std::filesystem::path file = std::filesystem::canonical(GetParam().file);
  struct KeptWorkingFolder {
    std::filesystem::path path = std::filesystem::current_path();
    ~KeptWorkingFolder() { std::filesystem::current_path(path); }
  } kept;
  std::filesystem::current_path(file.parent_path());
  const std::string relative = "./" + file.filename().string();
  Build asGiven = GetParam();
  asGiven.file = relative.c_str();
  Loaded plugin(asGiven);
  std::filesystem::current_path("/");
  ASSERT_TRUE(plugin.ok());
  ASSERT_EQ(plugin.HandOverStubs(), 0);
  ASSERT_EQ(plugin.entries.startAddOn(9), 0x4321);
  plugin.Unload();
  EXPECT_THAT(debugLines,
              ::testing::ElementsAre("Abnormal add-on termination (\"" + file.string() + "\")", "\n"));
}

TEST_P(PluginFile, UnloadAfterReleaseWritesNothing) {
  Loaded plugin(GetParam());
  ASSERT_TRUE(plugin.ok());
  ASSERT_EQ(plugin.HandOverStubs(), 0);
  ASSERT_EQ(plugin.entries.startAddOn(9), 0x4321);
  ASSERT_EQ(plugin.entries.releaseAddOn(), 0);
  plugin.Unload();
  EXPECT_THAT(debugLines, ::testing::IsEmpty());
}

TEST_P(PluginFile, OpensItsResourceModuleAtLoadAndClosesItAtUnload) {
  const auto openBefore = VexmireOpenModuleCount();
  {
    Loaded plugin(GetParam());
    ASSERT_TRUE(plugin.ok());
    EXPECT_EQ(VexmireOpenModuleCount(), openBefore + 1);
  }
  // The version-27 host forgets the handle itself; that build only drops its cache.
  EXPECT_EQ(VexmireOpenModuleCount(), openBefore + (GetParam().hostVersion == 27 ? 1 : 0));
}

TEST_P(PluginFile, ExportsExactlyItsTwoEntrySymbols) {
  const std::string command = std::string(QUARNEL_NM) + " -D --defined-only " + GetParam().file;
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::set<std::string> symbols;
  char line[1024];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    char address[64], kind[8], name[512];
    if (std::sscanf(line, "%63s %7s %511s", address, kind, name) == 3) symbols.insert(name);
  }
  ASSERT_EQ(pclose(pipe), 0);
  EXPECT_EQ(symbols, (std::set<std::string>{"GetExportedFuncAddrs", "SetImportedFuncAddrs"}));
}

INSTANTIATE_TEST_SUITE_P(Builds, PluginFile, ::testing::Values(build29, build27),
                         [](const ::testing::TestParamInfo<Build>& build) {
                           return "Host" + std::to_string(build.param.hostVersion);
                         });

}  // namespace
