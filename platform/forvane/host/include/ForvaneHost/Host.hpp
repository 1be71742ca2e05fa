// The host: one project, its undo history, the Session Report, the transcript,
// the add-ons and the host entry table through which they reach the project.
// This is what its users see (the command line, tests, benchmarks).
//
// One Host is current in a process at a time (the operations of the entry
// table act on Host::Current()). Everything runs on the thread that made it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Corbane/Memory.hpp"
#include "Forvane/EntryTable.hpp"
#include "ForvaneHost/Fault.hpp"
#include "ForvaneHost/Model.hpp"

namespace fvhost {

// --fail OP[#N][@TEXT]=ERR: OP fails with ERR on every call, only on its Nth
// call (counted from 1), or only on calls one of whose subjects is TEXT.
struct FaultRule {
  std::string operation;
  int nth = 0;  // 0: every call
  std::optional<std::string> subject;
  HostError error = FvErr_General;
};

// --fail-call N=ERR: the Nth host operation call of the run fails, whatever it is.
struct CallFault {
  long index = 0;  // from 1
  HostError error = FvErr_General;
};

struct HostOptions {
  int hostVersion = 29;              // 29 or 27
  std::string specialFolder;         // empty: $XDG_DATA_HOME/forvane, else ~/.local/share/forvane
  std::vector<FaultRule> faults;
  std::vector<CallFault> callFaults;
  std::vector<std::string> without;  // operations whose slots stay empty
  bool traceCalls = false;
  bool echo = true;                  // print report lines, alerts and dialogs on standard output
};

// A dialog answer queued by --choose / --cancel.
struct DialogAnswer {
  bool cancel = false;
  std::string path;
};

// Error code names and numbers (the FV_HOST_ERRORS list).
const char* ErrorName(HostError error);  // "BadId"; null for an unknown code
std::optional<HostError> ParseError(const std::string& text);  // a name, or a number (decimal or 0x...)
// Operation names (the FV_HOST_OPERATIONS list) and their slots.
std::optional<int> OperationSlot(const std::string& operation);
std::vector<std::string> OperationNames();

// The JSON Lines transcript: one object per host event.
class Transcript {
 public:
  // Every event is also kept in memory, as its JSON text, for tests.
  void Open(const std::string& path);  // also write to this file
  void Add(const std::string& jsonObject);
  const std::vector<std::string>& Lines() const { return lines_; }
  void Clear() { lines_.clear(); }
  ~Transcript();

 private:
  std::vector<std::string> lines_;
  std::FILE* file_ = nullptr;
};

// A menu that an add-on registered, and its items (from its string list).
struct MenuItem {
  std::string text;  // the display text (before the first " ^")
  std::string icon;  // the icon number named by "^NNNNN", or empty
  std::int32_t index = 0;  // from 1
};
struct Menu {
  int addOn = -1;
  std::int16_t resourceId = 0;
  std::string title;
  std::vector<MenuItem> items;
  MenuHandlerProc handler = nullptr;
};

// What the host knows of a loaded add-on.
struct AddOn {
  std::string file;
  std::string name;
  std::string description;
  std::int32_t kind = 0;
  std::uint32_t version = 0;
  void* library = nullptr;  // dlopen handle; null for an in-process add-on (tests)
  ExportedEntryTable entries{};
  API_Token token = 0;
  bool started = false;
  Corbane::OwnerId owner = Corbane::HostOwner;
  // Resource modules (Vexmire handles) that the add-on opened while it loaded;
  // the host closes any of them left open once the library is unloaded.
  std::vector<std::int32_t> resourceModules;
};

// Why an add-on did not load: one name per refusal, so that callers and
// tests can tell them apart (docs/loader.md gives each message).
enum class LoadFailure {
  None,
  FileMissing,      // nothing at the path, or not a regular file
  NotALibrary,      // the dynamic linker refused it
  ExportMissing,    // GetExportedFuncAddrs or SetImportedFuncAddrs is not exported
  VersionMismatch,  // built for another host version
  AlreadyLoaded,    // the same library file is loaded already
  TableNotZeroed,   // its exported entry table has unused bytes that are not zero
  EntryMissing,     // its exported entry table lacks an entry
  TableRefused,     // SetImportedFuncAddrs answered other than 0
  Declined,         // DescribeAddOn answered kind 0
  RegisterFailed,   // RegisterAddOn answered an error
  StartFailed,      // StartAddOn answered an error
};
struct LoadResult {
  LoadFailure failure = LoadFailure::None;
  Fault fault;  // placed at the file; names both versions for a mismatch
  int addOn = -1;
};

class Host;
namespace internal {
class HostState;
HostState& StateOf(Host& host);
}  // namespace internal

// The host's public face. What its loader, operations and responder share
// (the call gate, the add-ons and menus as they change, the undo history) is
// internal::HostState, in the library's own sources.
class Host {
 public:
  explicit Host(HostOptions options = {});
  ~Host();  // unloads every add-on
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  static Host* Current();  // the newest live Host

  const HostOptions& options() const;
  int hostVersion() const { return options().hostVersion; }

  // The project. An add-on changes it only through the operations, inside
  // undoable commands; SetProject replaces it and clears the undo history.
  // The mutable project serves the tests that shape it directly.
  Project& project();
  const Project& project() const;
  void SetProject(Project project);

  // The host entry table (644 or 648 slots; empty slots null).
  const void* EntryTable() const;
  std::size_t EntryTableBytes() const;

  // Undo history: one step per undoable command that changed something.
  bool Undo();  // false when there is nothing to undo
  bool Redo();
  std::vector<std::string> UndoStepNames() const;  // oldest first
  std::vector<std::string> RedoStepNames() const;  // the next to be redone last
  bool InCommand() const;

  // Session Report lines, in order.
  const std::vector<std::string>& ReportLines() const;

  Transcript& transcript();

  // Dialog answers for a scripted run; an interactive front end sets askFile
  // and showAlert instead.
  void QueueDialogAnswer(DialogAnswer answer);
  // Called when a dialog or an alert is shown with no scripted answer:
  // the interactive front end sets these; unset, dialogs are cancelled.
  std::function<bool(const std::string& title, const std::vector<std::pair<std::string, std::string>>& filters,
                     std::string& path)>
      askFile;
  std::function<void(int kind, const std::string& title, const std::string& message)> showAlert;

  // Add-ons.
  LoadResult LoadAddOn(const std::string& file);
  // An add-on linked into this process (tests): its entry table is given, it is
  // started like a loaded one, and its token is returned.
  API_Token AttachInProcessAddOn(const std::string& name);
  const std::vector<AddOn>& addOns() const;
  const std::vector<Menu>& menus() const;
  // Whether "MENU/ITEM" (by display texts) names an item with a handler.
  bool HasMenuItem(const std::string& menuSlashItem) const;
  // Runs "MENU/ITEM"; false when there is no such item.
  bool RunMenuItem(const std::string& menuSlashItem);
  // Calls ReleaseAddOn of every started add-on, then unloads them all.
  void UnloadAddOns();

  // The host operation calls of add-ons so far.
  long OperationCalls() const;

 private:
  friend internal::HostState& internal::StateOf(Host& host);
  std::unique_ptr<internal::HostState> state_;
};

}  // namespace fvhost
