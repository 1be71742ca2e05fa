#include "host/HostApi.hpp"

#include <cstring>
#include <optional>
#include <type_traits>

#include "Pellarin/Pellarin.hpp"

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

// What an operation's pointer type says: its answer, and whether the
// connection token goes first (every operation but RegisterMenu).
template <class Proc>
struct Signature;
template <class Answer_, class First, class... Rest>
struct Signature<Answer_ (*)(First, Rest...)> {
  using Answer = Answer_;
  static constexpr bool takesToken = std::is_same_v<First, API_Token>;
};
template <class Answer_, class First, class... Rest>
struct Signature<Answer_ (*)(First, Rest..., ...)> : Signature<Answer_ (*)(First, Rest...)> {};

// One call of the operation in `slot`: nothing when the host left the slot
// empty, else its answer. The token goes first when the operation's
// signature in the list takes one.
template <FvSlot slot, class... Args>
std::optional<typename Signature<typename FvOperation<slot>::Proc>::Answer> Call(Args... args) {
  using Proc = typename FvOperation<slot>::Proc;
  const Proc proc = SlotProc<Proc>(slot);
  if (proc == nullptr) return std::nullopt;
  if constexpr (Signature<Proc>::takesToken)
    return proc(connectionToken, args...);
  else
    return proc(args...);
}

// One function per operation of the list, named after it: proxy::SetProperty
// calls through the SetProperty slot and no other, with the argument types
// the list gives. The wrappers below only adapt them to the plug-in's use.
namespace proxy {
#define QUARNEL_PROXY(name, slot, when, ret, params) \
  template <class... Args>                            \
  auto name(Args... args) {                           \
    return Call<FvSlot_##name>(args...);              \
  }
FV_HOST_OPERATIONS(QUARNEL_PROXY)
#undef QUARNEL_PROXY
}  // namespace proxy

// The plug-in's answer for an operation the host left out.
HostError OrMissing(const std::optional<HostError>& answer) noexcept {
  return answer.value_or(FvErr_MissingOperation);
}

}  // namespace

void KeepEntryTable(const void* hostEntryTable) noexcept {
  if (hostEntryTable == nullptr) return;
  std::memcpy(keptEntryTable, hostEntryTable, keptBytes);
  entryTableKept = true;
}

bool HasEntryTable() noexcept { return entryTableKept; }
void SetToken(API_Token token) noexcept { connectionToken = token; }
API_Token Token() noexcept { return connectionToken; }

HostError CallUndoableCommand(const UniString& name, UndoableCommandProc body, void* context) {
  return OrMissing(proxy::CallUndoableCommand(&name, body, context));
}

HostError ImportClassifications(const UniString& xml, Int32 mergeMode, Int32 conflictMode) {
  return OrMissing(proxy::ImportClassifications(&xml, mergeMode, conflictMode));
}

HostError ImportProperties(const UniString& xml, Int32 mode) { return OrMissing(proxy::ImportProperties(&xml, mode)); }

HostError GetPropertyGroups(Array<API_PropertyGroup>& groups) { return OrMissing(proxy::GetPropertyGroups(&groups)); }

HostError GetPropertyGroup(API_PropertyGroup& group) { return OrMissing(proxy::GetPropertyGroup(&group)); }

HostError DeletePropertyGroup(const API_Guid& groupGuid) { return OrMissing(proxy::DeletePropertyGroup(&groupGuid)); }

HostError GetPropertyDefinitions(const API_Guid& groupGuid, Array<API_PropertyDefinition>& definitions) {
  return OrMissing(proxy::GetPropertyDefinitions(&groupGuid, &definitions));
}

HostError ChangePropertyDefinition(API_PropertyDefinition& definition) {
  return OrMissing(proxy::ChangePropertyDefinition(&definition));
}

HostError CheckPropertyExpressionString(const UniString& expression) {
  return OrMissing(proxy::CheckPropertyExpressionString(&expression));
}

HostError GetElemList(Array<API_Guid>& elements) {
  const API_ElemType anyType{};
  return OrMissing(proxy::GetElemList(&anyType, &elements, 0, &APINullGuid));
}

HostError GetElementHeader(API_ElementHeader& header) { return OrMissing(proxy::GetElementHeader(&header, 0)); }

HostError GetElementPropertyDefinitions(const API_Guid& element, Array<API_PropertyDefinition>& definitions) {
  return OrMissing(proxy::GetElementPropertyDefinitions(&element, 0, &definitions));
}

HostError GetPropertyValue(const API_Guid& element, const API_Guid& definition, ElementPropertyRecord& property) {
  return OrMissing(proxy::GetPropertyValue(&element, &definition, &property));
}

HostError GetPropertyValueString(const ElementPropertyRecord& property, UniString& text) {
  return OrMissing(proxy::GetPropertyValueString(&property, &text));
}

HostError SetProperty(const API_Guid& element, const ElementPropertyRecord& property) {
  return OrMissing(proxy::SetProperty(&element, &property));
}

HostError GetSpecialFolder(Int32 folder, Nostrel::Location& location) {
  return OrMissing(proxy::GetSpecialFolder(folder, &location));
}

void WriteReport(const UniString& format, HostError value) { proxy::WriteReport(&format, false, value); }

HostError InstallMenuHandler(Int16 menuResourceId, MenuHandlerProc handler) {
  return OrMissing(proxy::InstallMenuHandler(menuResourceId, handler));
}

HostError RegisterMenu(Int16 menuResourceId, Int16 promptResourceId, Int32 position, Int32 flags) {
  return OrMissing(proxy::RegisterMenu(menuResourceId, promptResourceId, position, flags));
}

// A host that cannot be asked has not said yes.
Int32 QueryAddOnEnvironment(Int32 question) { return proxy::QueryAddOnEnvironment(question).value_or(0); }

bool ChooseFileToOpen(const UniString& title, const char* fileTypes, const Nostrel::FileType& type,
                      Nostrel::Location& chosen) {
  Pellarin::FileDialog dialog(Pellarin::FileDialog::OpenFile);
  dialog.SetTitle(title);
  Nostrel::FileTypeManager typeManager(fileTypes);
  dialog.AddFilter(typeManager.AddType(type, Nostrel::RootGroup()), 0);
  if (!dialog.Invoke()) return false;
  chosen = dialog.GetSelectedLocation();
  return true;
}

void ShowAlert(Int16 kind, const UniString& title, const UniString& message, const UniString& button) {
  const UniString none;
  Pellarin::PellarinAlert(kind, title, message, none, button, none, none);
}

}  // namespace quarnel::host
