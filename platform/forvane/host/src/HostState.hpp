// What the parts of the host library share behind Host's public face: the
// state of one host and the gate every operation call passes. The loader,
// the operations, the undo history and the responder work on it; nothing
// outside the library sees it.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "Forvane/EntryTable.hpp"
#include "ForvaneHost/Host.hpp"

namespace fvhost::internal {

class HostState {
 public:
  HostState(Host& host, HostOptions options);

  Host& host;  // for the front end's askFile and showAlert
  const HostOptions options;
  Project project;
  Transcript transcript;
  std::vector<std::string> report;  // the Session Report
  std::vector<const void*> table;   // the host entry table
  std::vector<AddOn> addOns;
  std::vector<Menu> menus;
  int currentAddOn = -1;  // the add-on being called into, or -1

  // The gate of one operation call: counts it, answers an injected fault,
  // checks the token. Returns the error to answer, or 0 to go on.
  HostError BeginCall(const char* operation, const std::vector<std::string>& subjects, API_Token token,
                      bool needsToken = true);
  // Writes the call event (with --trace-calls).
  void EndCall(const char* operation, const std::vector<std::string>& subjects, HostError result);
  long OperationCalls() const { return callCount_; }

  // Runs proc(userData) as one undoable command named `name`.
  HostError RunCommand(const std::string& name, UndoableCommandProc proc, void* userData);
  bool InCommand() const { return inCommand_; }
  void ClearUndoHistory();
  bool Undo();
  bool Redo();
  std::vector<std::string> UndoStepNames() const;
  std::vector<std::string> RedoStepNames() const;

  // withDialog: the line is also shown at once, as a dialog of its own.
  void AddReportLine(const std::string& line, bool withDialog = false);
  void QueueDialogAnswer(DialogAnswer answer) { dialogAnswers_.push_back(std::move(answer)); }
  std::optional<DialogAnswer> NextDialogAnswer();
  // Special folder 4 (made when missing).
  std::string DataFolder() const;
  // Writes a memory event for the add-on's owner.
  void WriteMemoryEvent(int addOn);

 private:
  struct UndoStep {
    std::string name;
    Project before;
    Project after;
  };
  std::vector<UndoStep> undo_;
  std::vector<UndoStep> redo_;
  bool inCommand_ = false;
  std::deque<DialogAnswer> dialogAnswers_;
  long callCount_ = 0;
  std::vector<long> perOperationCalls_;
};

// The state of the current host, or null when there is none.
HostState* CurrentState();

}  // namespace fvhost::internal
