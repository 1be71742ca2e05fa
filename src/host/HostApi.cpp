#include "host/HostApi.hpp"

#include <cstring>

#ifndef QUARNEL_HOST_VERSION
#error "QUARNEL_HOST_VERSION must be 29 or 27"
#endif

namespace quarnel::host {

namespace {

constexpr std::size_t keptBytes = FvHostSlotCount(QUARNEL_HOST_VERSION) * sizeof(void*);

// Module storage for the host's table: its slots are read from here, never
// from the host's own copy, which the host need not keep alive.
alignas(void*) unsigned char keptEntryTable[keptBytes] = {};
bool entryTableKept = false;
API_Token connectionToken = 0;

// The address in `slot`, or null when the host left the slot empty (or the
// table was never handed over).
template <class Proc>
Proc SlotProc(FvSlot slot) noexcept {
  static_assert(sizeof(Proc) == sizeof(void*));
  if (static_cast<std::size_t>(slot) * sizeof(void*) >= keptBytes) return nullptr;
  Proc proc = nullptr;
  std::memcpy(&proc, keptEntryTable + static_cast<std::size_t>(slot) * sizeof(void*), sizeof proc);
  return proc;
}

#define QUARNEL_HOST_PROC(name) SlotProc<FvProc_##name>(FvSlot_##name)

}  // namespace

std::size_t KeptEntryTableBytes() noexcept { return keptBytes; }

void KeepEntryTable(const void* hostEntryTable) noexcept {
  if (hostEntryTable == nullptr) return;
  std::memcpy(keptEntryTable, hostEntryTable, keptBytes);
  entryTableKept = true;
}

bool HasEntryTable() noexcept { return entryTableKept; }
void SetToken(API_Token token) noexcept { connectionToken = token; }
API_Token Token() noexcept { return connectionToken; }

HostError CallUndoableCommand(const UniString& name, UndoableCommandProc body, void* context) {
  auto proc = QUARNEL_HOST_PROC(CallUndoableCommand);
  if (proc == nullptr) return FvErr_MissingOperation;
  return proc(connectionToken, &name, body, context);
}

HostError ImportClassifications(const UniString& xml, Int32 mergeMode, Int32 conflictMode) {
  auto proc = QUARNEL_HOST_PROC(ImportClassifications);
  if (proc == nullptr) return FvErr_MissingOperation;
  return proc(connectionToken, &xml, mergeMode, conflictMode);
}

HostError ImportProperties(const UniString& xml, Int32 mode) {
  auto proc = QUARNEL_HOST_PROC(ImportProperties);
  if (proc == nullptr) return FvErr_MissingOperation;
  return proc(connectionToken, &xml, mode);
}

HostError GetPropertyGroups(Array<API_PropertyGroup>& groups) {
  auto proc = QUARNEL_HOST_PROC(GetPropertyGroups);
  if (proc == nullptr) return FvErr_MissingOperation;
  return proc(connectionToken, &groups);
}

HostError GetPropertyGroup(API_PropertyGroup& group) {
  auto proc = QUARNEL_HOST_PROC(GetPropertyGroup);
  if (proc == nullptr) return FvErr_MissingOperation;
  return proc(connectionToken, &group);
}

HostError DeletePropertyGroup(const API_Guid& groupGuid) {
  auto proc = QUARNEL_HOST_PROC(DeletePropertyGroup);
  if (proc == nullptr) return FvErr_MissingOperation;
  return proc(connectionToken, &groupGuid);
}

HostError GetPropertyDefinitions(const API_Guid& groupGuid, Array<API_PropertyDefinition>& definitions) {
  auto proc = QUARNEL_HOST_PROC(GetPropertyDefinitions);
  if (proc == nullptr) return FvErr_MissingOperation;
  return proc(connectionToken, &groupGuid, &definitions);
}

HostError ChangePropertyDefinition(API_PropertyDefinition& definition) {
  auto proc = QUARNEL_HOST_PROC(ChangePropertyDefinition);
  if (proc == nullptr) return FvErr_MissingOperation;
  return proc(connectionToken, &definition);
}

HostError CheckPropertyExpressionString(const UniString& expression) {
  auto proc = QUARNEL_HOST_PROC(CheckPropertyExpressionString);
  if (proc == nullptr) return FvErr_MissingOperation;
  return proc(connectionToken, &expression);
}

HostError GetElemList(Array<API_Guid>& elements) {
  auto proc = QUARNEL_HOST_PROC(GetElemList);
  if (proc == nullptr) return FvErr_MissingOperation;
  const API_ElemType anyType{};
  return proc(connectionToken, &anyType, &elements, 0, &APINullGuid);
}

HostError GetElementHeader(API_ElementHeader& header) {
  auto proc = QUARNEL_HOST_PROC(GetElementHeader);
  if (proc == nullptr) return FvErr_MissingOperation;
  return proc(connectionToken, &header, 0);
}

HostError GetElementPropertyDefinitions(const API_Guid& element, Array<API_PropertyDefinition>& definitions) {
  auto proc = QUARNEL_HOST_PROC(GetElementPropertyDefinitions);
  if (proc == nullptr) return FvErr_MissingOperation;
  return proc(connectionToken, &element, 0, &definitions);
}

HostError GetPropertyValue(const API_Guid& element, const API_Guid& definition, ElementPropertyRecord& property) {
  auto proc = QUARNEL_HOST_PROC(GetPropertyValue);
  if (proc == nullptr) return FvErr_MissingOperation;
  return proc(connectionToken, &element, &definition, &property);
}

HostError GetPropertyValueString(const ElementPropertyRecord& property, UniString& text) {
  auto proc = QUARNEL_HOST_PROC(GetPropertyValueString);
  if (proc == nullptr) return FvErr_MissingOperation;
  return proc(connectionToken, &property, &text);
}

HostError SetProperty(const API_Guid& element, const ElementPropertyRecord& property) {
  auto proc = QUARNEL_HOST_PROC(SetProperty);
  if (proc == nullptr) return FvErr_MissingOperation;
  return proc(connectionToken, &element, &property);
}

HostError GetSpecialFolder(Int32 folder, Nostrel::Location& location) {
  auto proc = QUARNEL_HOST_PROC(GetSpecialFolder);
  if (proc == nullptr) return FvErr_MissingOperation;
  return proc(connectionToken, folder, &location);
}

void WriteReport(const UniString& format, HostError value) {
  auto proc = QUARNEL_HOST_PROC(WriteReport);
  if (proc == nullptr) return;
  proc(connectionToken, &format, false, value);
}

HostError InstallMenuHandler(Int16 menuResourceId, MenuHandlerProc handler) {
  auto proc = QUARNEL_HOST_PROC(InstallMenuHandler);
  if (proc == nullptr) return FvErr_MissingOperation;
  return proc(connectionToken, menuResourceId, handler);
}

HostError RegisterMenu(Int16 menuResourceId, Int16 promptResourceId, Int32 position, Int32 flags) {
  auto proc = QUARNEL_HOST_PROC(RegisterMenu);
  if (proc == nullptr) return FvErr_MissingOperation;
  return proc(menuResourceId, promptResourceId, position, flags);
}

Int32 QueryAddOnEnvironment(Int32 question) {
  auto proc = QUARNEL_HOST_PROC(QueryAddOnEnvironment);
  if (proc == nullptr) return 0;
  return proc(connectionToken, question);
}

}  // namespace quarnel::host
