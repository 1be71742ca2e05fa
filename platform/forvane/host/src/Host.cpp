// The Host object: its life (current host, responder, debug sink), the entry
// table, the Session Report, the data folder and in-process add-ons; and its
// public face, which hands each question to its state.
#include "ForvaneHost/Host.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "Corbane/Debug.hpp"
#include "HostInternal.hpp"
#include "HostState.hpp"
#include "Operations.hpp"

namespace fvhost {
namespace {

// Live hosts, oldest first; the newest is current. Hosts normally end in the
// reverse order of their making, but any order keeps the list right.
std::vector<Host*>& LiveHosts() {
  static std::vector<Host*> hosts;
  return hosts;
}

void DebugTextToTranscript(const char* text, void* context) {
  auto* state = static_cast<internal::HostState*>(context);
  Corbane::OwnerScope hostMemory(Corbane::HostOwner);
  state->transcript.Add(internal::JsonObject("debug").Text("text", text ? text : "").Done());
}

void InstallDebugSink(Host* host) {
  if (host)
    Corbane::SetDebugSink(&DebugTextToTranscript, &internal::StateOf(*host));
  else
    Corbane::SetDebugSink(nullptr, nullptr);
}

// One slot per operation at its index; the ones --without names stay null.
std::vector<const void*> BuildEntryTable(const HostOptions& options) {
  std::vector<const void*> table(FvHostSlotCount(options.hostVersion), nullptr);
  for (const auto& entry : internal::Operations()) {
    bool leftOut = std::find(options.without.begin(), options.without.end(), entry.name) != options.without.end();
    if (!leftOut && entry.slot < table.size()) table[entry.slot] = entry.function;
  }
  return table;
}

}  // namespace

namespace internal {

API_Token NewConnectionToken() {
  static API_Token last = 0x5A110000;
  return ++last;
}

const std::vector<OperationEntry>& Operations() {
  static const std::vector<OperationEntry> entries = {
#define FV_OPERATION_ENTRY(name, slot, when, ret, params) \
  {#name, slot, FvWhen_##when, reinterpret_cast<const void*>(&ops::name)},
      FV_HOST_OPERATIONS(FV_OPERATION_ENTRY)
#undef FV_OPERATION_ENTRY
  };
  return entries;
}

int OperationIndex(const std::string& name) {
  const auto& entries = Operations();
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (name == entries[i].name) return static_cast<int>(i);
  return -1;
}

HostState& StateOf(Host& host) { return *host.state_; }

HostState* CurrentState() {
  Host* host = Host::Current();
  return host != nullptr ? &StateOf(*host) : nullptr;
}

HostState::HostState(Host& owner, HostOptions hostOptions)
    : host(owner), options(std::move(hostOptions)), table(BuildEntryTable(options)) {
  perOperationCalls_.assign(Operations().size(), 0);
}

void HostState::AddReportLine(const std::string& line, bool withDialog) {
  Corbane::OwnerScope hostMemory(Corbane::HostOwner);
  report.push_back(line);
  transcript.Add(JsonObject("report").Text("text", line).Flag("dialog", withDialog).Done());
  // Otherwise not echoed: the front end prints the whole Session Report when the run ends.
  if (!withDialog) return;
  if (options.echo) std::printf("Session Report dialog: %s\n", line.c_str());
  if (host.showAlert) host.showAlert(0, "Session Report", line);
}

std::string HostState::DataFolder() const {
  std::filesystem::path folder;
  if (!options.specialFolder.empty()) {
    folder = options.specialFolder;
  } else if (const char* dataHome = std::getenv("XDG_DATA_HOME"); dataHome && *dataHome) {
    folder = std::filesystem::path(dataHome) / "forvane";
  } else {
    const char* home = std::getenv("HOME");
    folder = std::filesystem::path(home && *home ? home : ".") / ".local" / "share" / "forvane";
  }
  std::error_code ignored;  // a folder that cannot be made shows when the add-on writes into it
  std::filesystem::create_directories(folder, ignored);
  return folder.string();
}

std::optional<DialogAnswer> HostState::NextDialogAnswer() {
  if (dialogAnswers_.empty()) return std::nullopt;
  DialogAnswer answer = std::move(dialogAnswers_.front());
  dialogAnswers_.pop_front();
  return answer;
}

}  // namespace internal

Host* Host::Current() { return LiveHosts().empty() ? nullptr : LiveHosts().back(); }

Host::Host(HostOptions options) : state_(std::make_unique<internal::HostState>(*this, std::move(options))) {
  LiveHosts().push_back(this);
  internal::InstallDialogResponder(*this);
  InstallDebugSink(this);
}

Host::~Host() {
  UnloadAddOns();
  internal::RemoveDialogResponder(*this);
  auto& hosts = LiveHosts();
  hosts.erase(std::remove(hosts.begin(), hosts.end(), this), hosts.end());
  InstallDebugSink(Current());
}

const HostOptions& Host::options() const { return state_->options; }
Project& Host::project() { return state_->project; }
const Project& Host::project() const { return state_->project; }

void Host::SetProject(Project project) {
  state_->project = std::move(project);
  state_->ClearUndoHistory();
}

const void* Host::EntryTable() const { return state_->table.data(); }
std::size_t Host::EntryTableBytes() const { return state_->table.size() * sizeof(void*); }
bool Host::Undo() { return state_->Undo(); }
bool Host::Redo() { return state_->Redo(); }
std::vector<std::string> Host::UndoStepNames() const { return state_->UndoStepNames(); }
std::vector<std::string> Host::RedoStepNames() const { return state_->RedoStepNames(); }
bool Host::InCommand() const { return state_->InCommand(); }
const std::vector<std::string>& Host::ReportLines() const { return state_->report; }
Transcript& Host::transcript() { return state_->transcript; }
void Host::QueueDialogAnswer(DialogAnswer answer) { state_->QueueDialogAnswer(std::move(answer)); }
const std::vector<AddOn>& Host::addOns() const { return state_->addOns; }
const std::vector<Menu>& Host::menus() const { return state_->menus; }
long Host::OperationCalls() const { return state_->OperationCalls(); }

API_Token Host::AttachInProcessAddOn(const std::string& name) {
  Corbane::OwnerScope hostMemory(Corbane::HostOwner);
  AddOn addOn;
  addOn.name = name;
  addOn.kind = 1;
  addOn.version = FvVersionWord(static_cast<std::uint32_t>(hostVersion()));
  addOn.token = internal::NewConnectionToken();
  addOn.started = true;
  addOn.owner = Corbane::RegisterOwner(name.c_str());
  state_->addOns.push_back(addOn);
  return addOn.token;
}

}  // namespace fvhost
