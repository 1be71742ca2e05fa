// The Host object: its life (current host, responder, debug sink), the entry
// table, the Session Report, the data folder and in-process add-ons.
#include "ForvaneHost/Host.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "Corbane/Debug.hpp"
#include "HostInternal.hpp"
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
  auto* host = static_cast<Host*>(context);
  Corbane::OwnerScope hostMemory(Corbane::HostOwner);
  host->transcript().Add(internal::JsonObject("debug").Text("text", text ? text : "").Done());
}

void InstallDebugSink(Host* host) {
  if (host)
    Corbane::SetDebugSink(&DebugTextToTranscript, host);
  else
    Corbane::SetDebugSink(nullptr, nullptr);
}

}  // namespace

namespace internal {

API_Token NewConnectionToken() {
  static API_Token last = 0x5A110000;
  return ++last;
}

const std::vector<OperationEntry>& Operations() {
  static const std::vector<OperationEntry> entries = {
#define FV_OPERATION_ENTRY(name, slot, when, ret, params) {#name, slot, reinterpret_cast<const void*>(&ops::name)},
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

}  // namespace internal

Host* Host::Current() { return LiveHosts().empty() ? nullptr : LiveHosts().back(); }

Host::Host(HostOptions options) : options_(std::move(options)) {
  perOperationCalls_.assign(internal::Operations().size(), 0);
  BuildEntryTable();
  previous_ = Current();
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

void Host::BuildEntryTable() {
  table_.assign(FvHostSlotCount(options_.hostVersion), nullptr);
  for (const auto& entry : internal::Operations()) {
    bool leftOut = std::find(options_.without.begin(), options_.without.end(), entry.name) != options_.without.end();
    if (!leftOut && entry.slot < table_.size()) table_[entry.slot] = entry.function;
  }
}

void Host::SetProject(Project project) {
  project_ = std::move(project);
  undo_.clear();
  redo_.clear();
}

void Host::AddReportLine(const std::string& line, bool withDialog) {
  Corbane::OwnerScope hostMemory(Corbane::HostOwner);
  report_.push_back(line);
  transcript_.Add(internal::JsonObject("report").Text("text", line).Flag("dialog", withDialog).Done());
  // Otherwise not echoed: the front end prints the whole Session Report when the run ends.
  if (!withDialog) return;
  if (options_.echo) std::printf("Session Report dialog: %s\n", line.c_str());
  if (showAlert) showAlert(0, "Session Report", line);
}

std::string Host::DataFolder() const {
  std::filesystem::path folder;
  if (!options_.specialFolder.empty()) {
    folder = options_.specialFolder;
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

API_Token Host::AttachInProcessAddOn(const std::string& name) {
  Corbane::OwnerScope hostMemory(Corbane::HostOwner);
  AddOn addOn;
  addOn.name = name;
  addOn.kind = 1;
  addOn.version = FvVersionWord(static_cast<std::uint32_t>(options_.hostVersion));
  addOn.token = internal::NewConnectionToken();
  addOn.started = true;
  addOn.owner = Corbane::RegisterOwner(name.c_str());
  addOns_.push_back(addOn);
  return addOn.token;
}

std::optional<DialogAnswer> Host::NextDialogAnswer() {
  if (dialogAnswers_.empty()) return std::nullopt;
  DialogAnswer answer = std::move(dialogAnswers_.front());
  dialogAnswers_.pop_front();
  return answer;
}

}  // namespace fvhost
