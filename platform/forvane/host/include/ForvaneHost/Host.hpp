// The host: one project, its undo history, the Session Report, the transcript,
// the add-ons and the host entry table through which they reach the project.
//
// One Host is current in a process at a time (the operations of the entry
// table act on Host::Current()). Everything runs on the thread that made it.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Corbane/Memory.hpp"
#include "Forvane/EntryTable.hpp"
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

// Why an add-on did not load (distinct, so that callers and tests can tell).
enum class LoadFailure { None, FileMissing, NotALibrary, ExportMissing, VersionMismatch, HandshakeFailed };
struct LoadResult {
  LoadFailure failure = LoadFailure::None;
  std::string message;  // names the file (and both versions for a mismatch)
  int addOn = -1;
};

class Host {
 public:
  explicit Host(HostOptions options = {});
  ~Host();  // unloads every add-on
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  static Host* Current();  // the newest live Host

  const HostOptions& options() const { return options_; }
  int hostVersion() const { return options_.hostVersion; }

  // The project. Changes outside an undoable command are refused by the
  // operations; SetProject replaces the project and clears the undo history.
  Project& project() { return project_; }
  const Project& project() const { return project_; }
  void SetProject(Project project);

  // The host entry table (644 or 648 slots; empty slots null).
  const void* EntryTable() const { return table_.data(); }
  std::size_t EntryTableBytes() const { return table_.size() * sizeof(void*); }

  // Undo history: one step per undoable command that changed something or not.
  bool Undo();  // false when there is nothing to undo
  bool Redo();
  std::vector<std::string> UndoStepNames() const;  // oldest first
  std::vector<std::string> RedoStepNames() const;  // the next to be redone last
  bool InCommand() const { return inCommand_; }

  // Session Report lines, in order.
  const std::vector<std::string>& ReportLines() const { return report_; }
  // withDialog: the line is also shown at once, as a dialog of its own.
  void AddReportLine(const std::string& line, bool withDialog = false);

  Transcript& transcript() { return transcript_; }

  // Dialog answers for a scripted run; an interactive front end installs its
  // own Pellarin responder instead.
  void QueueDialogAnswer(DialogAnswer answer) { dialogAnswers_.push_back(std::move(answer)); }
  // Called when a dialog or an alert is shown with no scripted answer:
  // the interactive front end sets these; unset, dialogs are cancelled.
  std::function<bool(const std::string& title, const std::vector<std::pair<std::string, std::string>>& filters,
                     std::string& path)>
      askFile;
  std::function<void(int kind, const std::string& title, const std::string& message)> showAlert;

  // Special folder 4 (created when missing).
  std::string DataFolder() const;

  // Add-ons.
  LoadResult LoadAddOn(const std::string& file);
  // An add-on linked into this process (tests): its entry table is given, it is
  // started like a loaded one, and its token is returned.
  API_Token AttachInProcessAddOn(const std::string& name);
  const std::vector<AddOn>& addOns() const { return addOns_; }
  const std::vector<Menu>& menus() const { return menus_; }
  // Runs "MENU/ITEM" by display texts; false when no such item exists.
  bool RunMenuItem(const std::string& menuSlashItem);
  // Calls ReleaseAddOn of every started add-on, then unloads them all.
  void UnloadAddOns();
  // Writes a memory event for the add-on's owner.
  void WriteMemoryEvent(int addOn);

  // Counters for fault injection and tests.
  long OperationCalls() const { return callCount_; }

  // ---- For the operations (the entry table's functions) ----
  struct CallContext;
  // Checks token, slot faults and call faults for one operation call; writes
  // the call event. Returns the error to answer, or 0 to go on.
  HostError BeginCall(const char* operation, const std::vector<std::string>& subjects, API_Token token,
                      bool needsToken = true);
  void EndCall(const char* operation, const std::vector<std::string>& subjects, HostError result);
  HostError RunCommand(const std::string& name, UndoableCommandProc proc, void* userData);
  std::optional<DialogAnswer> NextDialogAnswer();
  int currentAddOn = -1;          // the add-on being called into, or -1
  std::vector<Menu>& mutableMenus() { return menus_; }
  std::vector<AddOn>& mutableAddOns() { return addOns_; }

 private:
  void BuildEntryTable();

  HostOptions options_;
  Project project_;
  struct UndoStep {
    std::string name;
    Project before;
    Project after;
  };
  std::vector<UndoStep> undo_;
  std::vector<UndoStep> redo_;
  bool inCommand_ = false;
  std::vector<std::string> report_;
  Transcript transcript_;
  std::deque<DialogAnswer> dialogAnswers_;
  std::vector<const void*> table_;
  std::vector<AddOn> addOns_;
  std::vector<Menu> menus_;
  long callCount_ = 0;
  std::vector<long> perOperationCalls_;
  Host* previous_ = nullptr;
};

// JSON text of a string, quotes included (for transcript events).
std::string JsonQuote(const std::string& text);

}  // namespace fvhost
