// Undoable commands and the undo history.
//
// A step keeps the whole project before and after the command. Copying a
// project copies its element pointers, not its elements: elements are shared
// and replaced, never changed in place (Project::MutableElement), so a
// snapshot of a large project costs one pointer per element.
#include <cstdio>

#include "HostInternal.hpp"
#include "HostState.hpp"

namespace fvhost::internal {
namespace {

std::string CommandEvent(const std::string& name, HostError result, bool undoStep) {
  return JsonObject("command").Text("name", name).Number("result", result).Flag("undoStep", undoStep).Done();
}

}  // namespace

HostError HostState::RunCommand(const std::string& name, UndoableCommandProc proc, void* userData) {
  if (inCommand_ || proc == nullptr) {
    HostError refusal = inCommand_ ? FvErr_CommandRunning : FvErr_BadParameter;
    Corbane::OwnerScope hostMemory(Corbane::HostOwner);
    transcript.Add(CommandEvent(name, refusal, false));
    return refusal;
  }
  std::optional<Project> before;
  {
    Corbane::OwnerScope hostMemory(Corbane::HostOwner);
    before = project;
  }
  inCommand_ = true;
  HostError result = FvErr_General;
  try {
    result = proc(userData);
  } catch (...) {
    // An add-on must not throw into the host; if one does, its command fails whole.
    std::fprintf(stderr, "forvane: the command \"%s\" threw an exception; it is rolled back\n", name.c_str());
    result = FvErr_General;
  }
  inCommand_ = false;

  Corbane::OwnerScope hostMemory(Corbane::HostOwner);
  // A command that changed nothing leaves nothing to undo, as in any editor;
  // elements are compared by pointer first, so this costs little.
  bool changed = result == FvErr_NoError && !(project == *before);
  bool leavesStep = changed;
  if (result == FvErr_NoError && !changed) {
    // nothing to keep and nothing to roll back
  } else if (leavesStep) {
    redo_.clear();
    undo_.push_back(UndoStep{name, std::move(*before), project});
  } else {
    project = std::move(*before);
  }
  transcript.Add(CommandEvent(name, result, leavesStep));
  return result;
}

bool HostState::Undo() {
  if (inCommand_ || undo_.empty()) return false;
  Corbane::OwnerScope hostMemory(Corbane::HostOwner);
  UndoStep step = std::move(undo_.back());
  undo_.pop_back();
  project = step.before;
  transcript.Add(JsonObject("undo").Text("name", step.name).Done());
  redo_.push_back(std::move(step));
  return true;
}

bool HostState::Redo() {
  if (inCommand_ || redo_.empty()) return false;
  Corbane::OwnerScope hostMemory(Corbane::HostOwner);
  UndoStep step = std::move(redo_.back());
  redo_.pop_back();
  project = step.after;
  transcript.Add(JsonObject("redo").Text("name", step.name).Done());
  undo_.push_back(std::move(step));
  return true;
}

std::vector<std::string> HostState::UndoStepNames() const {
  std::vector<std::string> names;
  for (const auto& step : undo_) names.push_back(step.name);
  return names;
}

std::vector<std::string> HostState::RedoStepNames() const {
  std::vector<std::string> names;
  for (const auto& step : redo_) names.push_back(step.name);
  return names;
}

void HostState::ClearUndoHistory() {
  undo_.clear();
  redo_.clear();
}

}  // namespace fvhost::internal
