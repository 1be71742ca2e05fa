// The add-on loader: opens a plug-in's library file, checks and exchanges the
// entry tables, describes, registers and starts it; runs its menu items; and
// releases and unloads it at the end.
//
// Everything the host runs of an add-on (its static initialisers and
// destructors, every entry, its menu handler) runs with the add-on as the
// memory owner and as the current add-on, so that its blocks are charged to
// it and the operations it calls know who is calling.

#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "Convert.hpp"
#include "Corbane/Memory.hpp"
#include "Forvane/EntryTable.hpp"
#include "ForvaneHost/Host.hpp"
#include "HostInternal.hpp"
#include "HostState.hpp"
#include "Vexmire/Vexmire.hpp"

namespace fvhost {
namespace {

// Makes an add-on the memory owner and the current add-on for one call into it.
class AddOnCallScope {
 public:
  AddOnCallScope(internal::HostState& host, int addOn, Corbane::OwnerId owner)
      : host_(host), previousAddOn_(host.currentAddOn), owner_(owner) {
    host_.currentAddOn = addOn;
  }
  ~AddOnCallScope() { host_.currentAddOn = previousAddOn_; }
  AddOnCallScope(const AddOnCallScope&) = delete;
  AddOnCallScope& operator=(const AddOnCallScope&) = delete;

 private:
  internal::HostState& host_;
  int previousAddOn_;
  Corbane::OwnerScope owner_;
};

// Why a path is no add-on file, or empty when it may be one.
std::string WhyNoFile(const std::string& file) {
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0) return "no such file";
  if (!S_ISREG(info.st_mode)) return "not a file";
  return {};
}

// The owner's name: the library file's name without folder and extension.
std::string OwnerNameFor(const std::string& file) {
  std::string name = file.substr(file.find_last_of('/') + 1);
  const auto dot = name.rfind(".so");
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name.empty() ? file : name;
}

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08" PRIX32, value);
  return text;
}

// The version an entry table says its add-on was built for, as a person would
// name it; the raw words when they do not read as a version at all.
std::string BuiltForText(const ExportedEntryTable& entries, int hostVersion) {
  const std::uint32_t wordVersion = entries.versionWord >> 16;
  if ((entries.versionWord & 0xFFFFu) == 1u && wordVersion != static_cast<std::uint32_t>(hostVersion))
    return "host version " + std::to_string(wordVersion);
  if ((entries.versionWord & 0xFFFFu) == 1u && entries.hostVersionNumber % 1000u == 0u)
    return "host version " + std::to_string(entries.hostVersionNumber / 1000u);
  return "an unknown host (version word " + Hex(entries.versionWord) + ", version number " +
         std::to_string(entries.hostVersionNumber) + ")";
}

bool VersionFits(const ExportedEntryTable& entries, int hostVersion) {
  const auto version = static_cast<std::uint32_t>(hostVersion);
  return entries.versionWord == FvVersionWord(version) && entries.hostVersionNumber == version * 1000u;
}

// An add-on must zero what it does not fill: bytes left as the host's 0xFF
// filling mean it does not know this table's layout.
bool UnusedBytesAreZero(const ExportedEntryTable& entries) {
  if (entries.reserved0 != 0) return false;
  return std::all_of(std::begin(entries.reserved1), std::end(entries.reserved1),
                     [](std::uint8_t b) { return b == 0; });
}

bool EntriesPresent(const ExportedEntryTable& entries) {
  return entries.describeAddOn != nullptr && entries.registerAddOn != nullptr && entries.startAddOn != nullptr &&
         entries.releaseAddOn != nullptr;
}

// The resource modules that have an image now. Handles are the lowest free
// places of a small table, so a bounded probe finds them all.
std::vector<std::int32_t> ModulesWithImages() {
  constexpr std::int32_t kProbeLimit = 1024;
  std::vector<std::int32_t> handles;
  for (std::int32_t handle = 0; handle < kProbeLimit && VexmireOpenModuleCount() > 0; ++handle)
    if (!VexmireListResources(handle).IsEmpty()) handles.push_back(handle);
  return handles;
}

// Resource modules that the library opened while it loaded (those with an
// image now that had none before).
std::vector<std::int32_t> OpenedSince(const std::vector<std::int32_t>& before) {
  std::vector<std::int32_t> opened;
  for (std::int32_t handle : ModulesWithImages())
    if (std::find(before.begin(), before.end(), handle) == before.end()) opened.push_back(handle);
  return opened;
}

// A library may leave its resource module for the host to close once it is
// unloaded (the version-27 add-ons do); a handle it closed itself is a no-op.
void CloseLeftoverModules(const std::vector<std::int32_t>& handles) {
  for (std::int32_t handle : handles) ResModuleClosed(handle);
}

std::string ErrorText(HostError error) {
  const char* name = ErrorName(error);
  const std::string number = Hex(static_cast<std::uint32_t>(error));
  return name != nullptr ? number + " (" + name + ")" : number;
}

// The steps of one load. Each step either moves the add-on on or returns the
// refusal; Refuse() takes back whatever the earlier steps left.
class AddOnLoader {
 public:
  AddOnLoader(internal::HostState& host, std::string file) : host_(host), file_(std::move(file)) {}

  LoadResult Run() {
    if (const std::string why = WhyNoFile(file_); !why.empty()) return Refuse(LoadFailure::FileMissing, why);
    Enrol();
    if (auto refusal = Open()) return *refusal;
    if (auto refusal = ExchangeTables()) return *refusal;
    if (auto refusal = Describe()) return *refusal;
    if (auto refusal = Register()) return *refusal;
    if (auto refusal = Start()) return *refusal;
    return LoadResult{LoadFailure::None, {}, index_};
  }

 private:
  AddOn& addOn() { return host_.addOns[static_cast<std::size_t>(index_)]; }
  AddOnCallScope CallScope() { return AddOnCallScope(host_, index_, addOn().owner); }

  // The add-on is on the host's list from the start: the operations it calls
  // while it registers need to find it.
  void Enrol() {
    AddOn record;
    record.file = file_;
    record.owner = Corbane::RegisterOwner(OwnerNameFor(file_).c_str());
    host_.addOns.push_back(std::move(record));
    index_ = static_cast<int>(host_.addOns.size()) - 1;
  }

  std::optional<LoadResult> Open() {
    const std::vector<std::int32_t> modulesBefore = ModulesWithImages();
    void* library = nullptr;
    {
      auto scope = CallScope();
      library = ::dlopen(file_.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    if (library == nullptr) {
      const char* why = ::dlerror();
      return Refuse(LoadFailure::NotALibrary, std::string("not a library: ") + (why != nullptr ? why : "unknown reason"));
    }
    addOn().library = library;
    addOn().resourceModules = OpenedSince(modulesBefore);
    // The dynamic linker hands out one handle per file, so a second load of
    // the same file would share (and reset) the first one's state.
    for (int other = 0; other < index_; ++other)
      if (host_.addOns[static_cast<std::size_t>(other)].library == library)
        return Refuse(LoadFailure::AlreadyLoaded, "already loaded");
    return std::nullopt;
  }

  std::optional<LoadResult> ExchangeTables() {
    auto getExports = reinterpret_cast<GetExportedFuncAddrsProc>(::dlsym(addOn().library, FvGetExportedFuncAddrsName));
    auto setImports = reinterpret_cast<SetImportedFuncAddrsProc>(::dlsym(addOn().library, FvSetImportedFuncAddrsName));
    if (getExports == nullptr) return Refuse(LoadFailure::ExportMissing, std::string("does not export ") + FvGetExportedFuncAddrsName);
    if (setImports == nullptr) return Refuse(LoadFailure::ExportMissing, std::string("does not export ") + FvSetImportedFuncAddrsName);

    ExportedEntryTable entries;
    std::memset(&entries, 0xFF, sizeof entries);
    {
      auto scope = CallScope();
      getExports(&entries);
    }
    addOn().entries = entries;
    const int hostVersion = host_.options.hostVersion;
    if (!VersionFits(entries, hostVersion))
      return Refuse(LoadFailure::VersionMismatch, "built for " + BuiltForText(entries, hostVersion) +
                                                      ", but this host is version " + std::to_string(hostVersion));
    if (!UnusedBytesAreZero(entries))
      return Refuse(LoadFailure::TableNotZeroed, "its exported entry table has unused bytes that are not zero");
    if (!EntriesPresent(entries)) return Refuse(LoadFailure::EntryMissing, "its exported entry table lacks an entry");
    addOn().version = entries.versionWord;

    std::int32_t answer = 0;
    {
      auto scope = CallScope();
      answer = setImports(host_.table.data());
    }
    if (answer != 0)
      return Refuse(LoadFailure::TableRefused, std::string(FvSetImportedFuncAddrsName) + " answered " + std::to_string(answer));
    return std::nullopt;
  }

  std::optional<LoadResult> Describe() {
    // The texts are the add-on's blocks; the host's copies of them are its own.
    API_AddOnEnvironment environment;
    std::int32_t kind = 0;
    {
      auto scope = CallScope();
      kind = addOn().entries.describeAddOn(&environment);
    }
    addOn().name = convert::ToUtf8(environment.addOnName);
    addOn().description = convert::ToUtf8(environment.addOnDescription);
    addOn().kind = kind;
    host_.transcript.Add(internal::JsonObject("addon")
                             .Text("file", file_)
                             .Text("name", addOn().name)
                             .Text("description", addOn().description)
                             .Number("kind", kind)
                             .Number("version", addOn().version >> 16)
                             .Done());
    if (kind == 0) return Refuse(LoadFailure::Declined, "the add-on declined to load (DescribeAddOn answered kind 0)");
    return std::nullopt;
  }

  std::optional<LoadResult> Register() {
    HostError result = FvErr_NoError;
    {
      auto scope = CallScope();
      result = addOn().entries.registerAddOn(0);
    }
    if (result != FvErr_NoError) return Refuse(LoadFailure::RegisterFailed, "RegisterAddOn answered " + ErrorText(result));
    for (const Menu& menu : host_.menus) {
      if (menu.addOn != index_) continue;
      for (const MenuItem& item : menu.items)
        host_.transcript.Add(
            internal::JsonObject("menu").Text("title", menu.title).Text("item", item.text).Text("icon", item.icon).Done());
    }
    return std::nullopt;
  }

  std::optional<LoadResult> Start() {
    addOn().token = internal::NewConnectionToken();
    HostError result = FvErr_NoError;
    {
      auto scope = CallScope();
      result = addOn().entries.startAddOn(addOn().token);
    }
    if (result != FvErr_NoError) return Refuse(LoadFailure::StartFailed, "StartAddOn answered " + ErrorText(result));
    addOn().started = true;
    return std::nullopt;
  }

  LoadResult Refuse(LoadFailure failure, const std::string& why) {
    if (index_ >= 0) Withdraw();
    return LoadResult{failure, Fault{why, Place{file_}}, -1};
  }

  void Withdraw() {
    auto& menus = host_.menus;
    menus.erase(std::remove_if(menus.begin(), menus.end(), [this](const Menu& m) { return m.addOn == index_; }), menus.end());
    if (addOn().library != nullptr) {
      {
        auto scope = CallScope();
        ::dlclose(addOn().library);
      }
      CloseLeftoverModules(addOn().resourceModules);
    }
    host_.addOns.erase(host_.addOns.begin() + index_);
    index_ = -1;
  }

  internal::HostState& host_;
  std::string file_;
  int index_ = -1;
};

// The menu and item that "MENU/ITEM" names by display texts, among the menus
// that have a handler (a title may itself hold a '/'); null when none does.
const Menu* FindMenuItem(const std::vector<Menu>& menus, const std::string& menuSlashItem, const MenuItem*& found) {
  for (const Menu& menu : menus) {
    const std::string prefix = menu.title + "/";
    if (menuSlashItem.compare(0, prefix.size(), prefix) != 0 || menu.handler == nullptr) continue;
    const std::string itemText = menuSlashItem.substr(prefix.size());
    for (const MenuItem& item : menu.items) {
      if (item.text != itemText) continue;
      found = &item;
      return &menu;
    }
  }
  return nullptr;
}

}  // namespace

LoadResult Host::LoadAddOn(const std::string& file) { return AddOnLoader(*state_, file).Run(); }

bool Host::HasMenuItem(const std::string& menuSlashItem) const {
  const MenuItem* item = nullptr;
  return FindMenuItem(state_->menus, menuSlashItem, item) != nullptr;
}

bool Host::RunMenuItem(const std::string& menuSlashItem) {
  const MenuItem* item = nullptr;
  const Menu* menu = FindMenuItem(state_->menus, menuSlashItem, item);
  if (menu == nullptr) return false;
  const int addOn = menu->addOn;
  if (addOn < 0 || static_cast<std::size_t>(addOn) >= state_->addOns.size()) return false;
  API_MenuCallParams params;
  params.menuResourceId = static_cast<std::uint16_t>(menu->resourceId);
  params.itemIndex = item->index;
  const MenuHandlerProc handler = menu->handler;  // the handler may register menus and move them
  {
    AddOnCallScope scope(*state_, addOn, state_->addOns[static_cast<std::size_t>(addOn)].owner);
    handler(&params);
  }
  state_->WriteMemoryEvent(addOn);
  return true;
}

void Host::UnloadAddOns() {
  auto& addOns = state_->addOns;
  // Newest first, as the add-ons may rely on what was there before them.
  for (int index = static_cast<int>(addOns.size()) - 1; index >= 0; --index) {
    AddOn& addOn = addOns[static_cast<std::size_t>(index)];
    if (!addOn.started || addOn.entries.releaseAddOn == nullptr) continue;
    AddOnCallScope scope(*state_, index, addOn.owner);
    addOn.entries.releaseAddOn();
    addOn.started = false;
  }
  // Handlers point into libraries about to be closed.
  state_->menus.clear();
  for (int index = static_cast<int>(addOns.size()) - 1; index >= 0; --index) {
    AddOn& addOn = addOns[static_cast<std::size_t>(index)];
    if (addOn.library != nullptr) {
      {
        AddOnCallScope scope(*state_, index, addOn.owner);
        ::dlclose(addOn.library);
      }
      addOn.library = nullptr;
      CloseLeftoverModules(addOn.resourceModules);
    }
    state_->WriteMemoryEvent(index);
  }
  addOns.clear();
}

namespace internal {

void HostState::WriteMemoryEvent(int addOn) {
  if (addOn < 0 || static_cast<std::size_t>(addOn) >= addOns.size()) return;
  const Corbane::OwnerId owner = addOns[static_cast<std::size_t>(addOn)].owner;
  const Corbane::MemoryStats stats = Corbane::OwnerStats(owner);
  const char* name = Corbane::OwnerName(owner);
  transcript.Add(JsonObject("memory")
                     .Text("owner", name != nullptr ? name : "")
                     .Number("liveBlocks", stats.liveBlocks)
                     .Number("liveBytes", stats.liveBytes)
                     .Number("peakBytes", stats.peakBytes)
                     .Done());
}

}  // namespace internal
}  // namespace fvhost
