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

#include "Corbane/Memory.hpp"
#include "Forvane/EntryTable.hpp"
#include "ForvaneHost/Host.hpp"
#include "HostInternal.hpp"
#include "Vexmire/Vexmire.hpp"

namespace fvhost {
namespace {

// Makes an add-on the memory owner and the current add-on for one call into it.
class AddOnCallScope {
 public:
  AddOnCallScope(Host& host, int addOn, Corbane::OwnerId owner)
      : host_(host), previousAddOn_(host.currentAddOn), owner_(owner) {
    host_.currentAddOn = addOn;
  }
  ~AddOnCallScope() { host_.currentAddOn = previousAddOn_; }
  AddOnCallScope(const AddOnCallScope&) = delete;
  AddOnCallScope& operator=(const AddOnCallScope&) = delete;

 private:
  Host& host_;
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

std::string Utf8(const Corbane::UniString& text) { return std::string(text.ToCStr().Get()); }

std::string ErrorText(HostError error) {
  const char* name = ErrorName(error);
  const std::string number = Hex(static_cast<std::uint32_t>(error));
  return name != nullptr ? number + " (" + name + ")" : number;
}

// The steps of one load. Each step either moves the add-on on or returns the
// refusal; Refuse() takes back whatever the earlier steps left.
class AddOnLoader {
 public:
  AddOnLoader(Host& host, std::string file) : host_(host), file_(std::move(file)) {}

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
  AddOn& addOn() { return host_.mutableAddOns()[static_cast<std::size_t>(index_)]; }
  AddOnCallScope CallScope() { return AddOnCallScope(host_, index_, addOn().owner); }

  // The add-on is on the host's list from the start: the operations it calls
  // while it registers need to find it.
  void Enrol() {
    AddOn record;
    record.file = file_;
    record.owner = Corbane::RegisterOwner(OwnerNameFor(file_).c_str());
    host_.mutableAddOns().push_back(std::move(record));
    index_ = static_cast<int>(host_.addOns().size()) - 1;
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
      if (host_.addOns()[static_cast<std::size_t>(other)].library == library)
        return Refuse(LoadFailure::HandshakeFailed, "already loaded");
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
    if (!VersionFits(entries, host_.hostVersion()))
      return Refuse(LoadFailure::VersionMismatch, "built for " + BuiltForText(entries, host_.hostVersion()) +
                                                      ", but this host is version " + std::to_string(host_.hostVersion()));
    if (!UnusedBytesAreZero(entries))
      return Refuse(LoadFailure::HandshakeFailed, "its exported entry table has unused bytes that are not zero");
    if (!EntriesPresent(entries)) return Refuse(LoadFailure::HandshakeFailed, "its exported entry table lacks an entry");
    addOn().version = entries.versionWord;

    std::int32_t answer = 0;
    {
      auto scope = CallScope();
      answer = setImports(host_.EntryTable());
    }
    if (answer != 0)
      return Refuse(LoadFailure::HandshakeFailed, std::string(FvSetImportedFuncAddrsName) + " answered " + std::to_string(answer));
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
    addOn().name = Utf8(environment.addOnName);
    addOn().description = Utf8(environment.addOnDescription);
    addOn().kind = kind;
    host_.transcript().Add(internal::JsonObject("addon")
                               .Text("file", file_)
                               .Text("name", addOn().name)
                               .Text("description", addOn().description)
                               .Number("kind", kind)
                               .Number("version", addOn().version >> 16)
                               .Done());
    if (kind == 0) return Refuse(LoadFailure::HandshakeFailed, "the add-on declined to load (DescribeAddOn answered kind 0)");
    return std::nullopt;
  }

  std::optional<LoadResult> Register() {
    HostError result = 0;
    {
      auto scope = CallScope();
      result = addOn().entries.registerAddOn(0);
    }
    if (result != 0) return Refuse(LoadFailure::HandshakeFailed, "RegisterAddOn answered " + ErrorText(result));
    for (const Menu& menu : host_.menus()) {
      if (menu.addOn != index_) continue;
      for (const MenuItem& item : menu.items)
        host_.transcript().Add(
            internal::JsonObject("menu").Text("title", menu.title).Text("item", item.text).Text("icon", item.icon).Done());
    }
    return std::nullopt;
  }

  std::optional<LoadResult> Start() {
    addOn().token = internal::NewConnectionToken();
    HostError result = 0;
    {
      auto scope = CallScope();
      result = addOn().entries.startAddOn(addOn().token);
    }
    if (result != 0) return Refuse(LoadFailure::HandshakeFailed, "StartAddOn answered " + ErrorText(result));
    addOn().started = true;
    return std::nullopt;
  }

  LoadResult Refuse(LoadFailure failure, const std::string& why) {
    if (index_ >= 0) Withdraw();
    return LoadResult{failure, file_ + ": " + why, -1};
  }

  void Withdraw() {
    auto& menus = host_.mutableMenus();
    menus.erase(std::remove_if(menus.begin(), menus.end(), [this](const Menu& m) { return m.addOn == index_; }), menus.end());
    if (addOn().library != nullptr) {
      {
        auto scope = CallScope();
        ::dlclose(addOn().library);
      }
      CloseLeftoverModules(addOn().resourceModules);
    }
    host_.mutableAddOns().erase(host_.mutableAddOns().begin() + index_);
    index_ = -1;
  }

  Host& host_;
  std::string file_;
  int index_ = -1;
};

}  // namespace

LoadResult Host::LoadAddOn(const std::string& file) { return AddOnLoader(*this, file).Run(); }

bool Host::RunMenuItem(const std::string& menuSlashItem) {
  for (const Menu& menu : menus_) {
    const std::string prefix = menu.title + "/";
    if (menuSlashItem.compare(0, prefix.size(), prefix) != 0 || menu.handler == nullptr) continue;
    const std::string itemText = menuSlashItem.substr(prefix.size());
    for (const MenuItem& item : menu.items) {
      if (item.text != itemText) continue;
      API_MenuCallParams params;
      params.menuResourceId = static_cast<std::uint16_t>(menu.resourceId);
      params.itemIndex = item.index;
      const int addOn = menu.addOn;
      if (addOn < 0 || static_cast<std::size_t>(addOn) >= addOns_.size()) return false;
      const MenuHandlerProc handler = menu.handler;  // the handler may register menus and move menus_
      {
        AddOnCallScope scope(*this, addOn, addOns_[static_cast<std::size_t>(addOn)].owner);
        handler(&params);
      }
      WriteMemoryEvent(addOn);
      return true;
    }
  }
  return false;
}

void Host::UnloadAddOns() {
  // Newest first, as the add-ons may rely on what was there before them.
  for (int index = static_cast<int>(addOns_.size()) - 1; index >= 0; --index) {
    AddOn& addOn = addOns_[static_cast<std::size_t>(index)];
    if (!addOn.started || addOn.entries.releaseAddOn == nullptr) continue;
    AddOnCallScope scope(*this, index, addOn.owner);
    addOn.entries.releaseAddOn();
    addOn.started = false;
  }
  // Handlers point into libraries about to be closed.
  menus_.clear();
  for (int index = static_cast<int>(addOns_.size()) - 1; index >= 0; --index) {
    AddOn& addOn = addOns_[static_cast<std::size_t>(index)];
    if (addOn.library != nullptr) {
      {
        AddOnCallScope scope(*this, index, addOn.owner);
        ::dlclose(addOn.library);
      }
      addOn.library = nullptr;
      CloseLeftoverModules(addOn.resourceModules);
    }
    WriteMemoryEvent(index);
  }
  addOns_.clear();
}

void Host::WriteMemoryEvent(int addOn) {
  if (addOn < 0 || static_cast<std::size_t>(addOn) >= addOns_.size()) return;
  const Corbane::OwnerId owner = addOns_[static_cast<std::size_t>(addOn)].owner;
  const Corbane::MemoryStats stats = Corbane::OwnerStats(owner);
  const char* name = Corbane::OwnerName(owner);
  transcript_.Add(internal::JsonObject("memory")
                      .Text("owner", name != nullptr ? name : "")
                      .Number("liveBlocks", stats.liveBlocks)
                      .Number("liveBytes", stats.liveBytes)
                      .Number("peakBytes", stats.peakBytes)
                      .Done());
}

}  // namespace fvhost
