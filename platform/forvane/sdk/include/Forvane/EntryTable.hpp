// The two tables that host and add-on exchange.
//
// ExportedEntryTable: 120 bytes that the add-on fills in GetExportedFuncAddrs.
// The host entry table: one slot per host operation at a fixed index, handed
// to the add-on by SetImportedFuncAddrs. The table only grows: a slot keeps its
// index for ever, new operations take new slots, and a slot that a host does
// not offer is null. Version 29 has 644 slots, version 27 has 648 (its last
// four slots are operations that version 29 retired).
#pragma once

#include <cstddef>
#include <cstdint>

#include "Forvane/Errors.hpp"
#include "Forvane/Records.hpp"
#include "Nostrel/Nostrel.hpp"

// ---- What the add-on exports ------------------------------------------------

using DescribeAddOnProc = std::int32_t (*)(API_AddOnEnvironment* environment);  // returns the add-on kind
using RegisterAddOnProc = HostError (*)(std::intptr_t hostValue);
using StartAddOnProc = HostError (*)(API_Token token);
using ReleaseAddOnProc = HostError (*)();

struct ExportedEntryTable {
  std::uint32_t versionWord;  // host version in the upper 16 bits, 1 in the lower
  std::uint32_t reserved0;
  DescribeAddOnProc describeAddOn;
  RegisterAddOnProc registerAddOn;
  StartAddOnProc startAddOn;
  ReleaseAddOnProc releaseAddOn;
  std::uint32_t hostVersionNumber;  // 29000 or 27000
  std::uint8_t reserved1[76];
};
static_assert(sizeof(ExportedEntryTable) == 120);
static_assert(offsetof(ExportedEntryTable, describeAddOn) == 8);
static_assert(offsetof(ExportedEntryTable, hostVersionNumber) == 40);

constexpr std::uint32_t FvVersionWord(std::uint32_t hostVersion) { return (hostVersion << 16) | 1u; }

// The two exports, looked up by name.
using GetExportedFuncAddrsProc = void (*)(ExportedEntryTable* table);
using SetImportedFuncAddrsProc = std::int32_t (*)(const void* hostEntryTable);
inline constexpr const char* FvGetExportedFuncAddrsName = "GetExportedFuncAddrs";
inline constexpr const char* FvSetImportedFuncAddrsName = "SetImportedFuncAddrs";

// ---- The host entry table ---------------------------------------------------

inline constexpr std::size_t FvHostSlotCount29 = 644;
inline constexpr std::size_t FvHostSlotCount27 = 648;
constexpr std::size_t FvHostSlotCount(int hostVersion) {
  return hostVersion == 27 ? FvHostSlotCount27 : FvHostSlotCount29;
}

using MenuHandlerProc = HostError (*)(const API_MenuCallParams* params);
using UndoableCommandProc = HostError (*)(void* userData);

// When an operation may be called. Every operation runs on the host's thread
// only ([host thread]); the ones that change the project also only inside the
// callback of an undoable command ([inside an undoable command]), and answer
// FvErr_NotInCommand anywhere else.
enum FvWhen : std::uint8_t {
  FvWhen_HostThread,  // [host thread]
  FvWhen_InCommand,   // [host thread] [inside an undoable command]
};

// Every host operation: X(name, slot, when, return type, parameter list).
// The one list that the host's entry table, its operation names and the
// add-ons' proxies are made from, so none of them can drift from a slot.
// Append only: a slot never changes; the token goes first to every operation
// that takes one.
#define FV_HOST_OPERATIONS(X)                                                                                   \
  /* Menus and environment */                                                                                   \
  X(RegisterMenu, 3, HostThread, HostError,                                                                     \
    (std::int16_t menuResourceId, std::int16_t promptResourceId, std::int32_t position, std::int32_t flags))    \
  X(InstallMenuHandler, 4, HostThread, HostError,                                                               \
    (API_Token token, std::int16_t menuResourceId, MenuHandlerProc handler))                                    \
  X(QueryAddOnEnvironment, 7, HostThread, std::int32_t, (API_Token token, std::int32_t question))               \
  /* Session Report: printf-style format, then the values */                                                    \
  X(WriteReport, 12, HostThread, HostError, (API_Token token, const Corbane::UniString* format, bool withDialog, ...)) \
  /* Undo: runs proc(userData) at once as one undo step */                                                      \
  X(CallUndoableCommand, 20, HostThread, HostError,                                                             \
    (API_Token token, const Corbane::UniString* name, UndoableCommandProc proc, void* userData))                \
  /* Elements */                                                                                                \
  X(GetElemList, 40, HostThread, HostError,                                                                     \
    (API_Token token, const API_ElemType* type, Corbane::Array<API_Guid>* elements, std::int32_t filterFlags,   \
     const API_Guid* renovationFilter))                                                                         \
  X(GetElementHeader, 41, HostThread, HostError, (API_Token token, API_ElementHeader* header, std::uint64_t mask)) \
  /* Files */                                                                                                   \
  X(GetSpecialFolder, 60, HostThread, HostError, (API_Token token, std::int32_t folder, Nostrel::Location* location)) \
  /* Properties */                                                                                              \
  X(GetPropertyGroups, 300, HostThread, HostError, (API_Token token, Corbane::Array<API_PropertyGroup>* groups)) \
  X(GetPropertyGroup, 301, HostThread, HostError, (API_Token token, API_PropertyGroup* group))                  \
  X(DeletePropertyGroup, 303, InCommand, HostError, (API_Token token, const API_Guid* groupGuid))               \
  X(GetPropertyDefinitions, 310, HostThread, HostError,                                                         \
    (API_Token token, const API_Guid* groupGuid, Corbane::Array<API_PropertyDefinition>* definitions))          \
  X(ChangePropertyDefinition, 312, InCommand, HostError, (API_Token token, API_PropertyDefinition* definition)) \
  X(CheckPropertyExpressionString, 318, HostThread, HostError,                                                  \
    (API_Token token, const Corbane::UniString* expression))                                                    \
  X(GetElementPropertyDefinitions, 320, HostThread, HostError,                                                  \
    (API_Token token, const API_Guid* element, std::int32_t filter, Corbane::Array<API_PropertyDefinition>* definitions)) \
  X(GetPropertyValue, 322, HostThread, HostError,                                                               \
    (API_Token token, const API_Guid* element, const API_Guid* definition, ElementPropertyRecord* property))     \
  X(GetPropertyValueString, 324, HostThread, HostError,                                                         \
    (API_Token token, const ElementPropertyRecord* property, Corbane::UniString* text))                          \
  X(SetProperty, 326, InCommand, HostError,                                                                     \
    (API_Token token, const API_Guid* element, const ElementPropertyRecord* property))                          \
  /* Configuration import */                                                                                    \
  X(ImportClassifications, 400, InCommand, HostError,                                                           \
    (API_Token token, const Corbane::UniString* xml, std::int32_t mergeMode, std::int32_t conflictMode))        \
  X(ImportProperties, 402, InCommand, HostError, (API_Token token, const Corbane::UniString* xml, std::int32_t mode))

// Slot indices: FvSlot_GetPropertyGroups, ...; and pointer types: FvProc_GetPropertyGroups, ...
enum FvSlot : std::uint16_t {
#define FV_SLOT_ENUM(name, slot, when, ret, params) FvSlot_##name = slot,
  FV_HOST_OPERATIONS(FV_SLOT_ENUM)
#undef FV_SLOT_ENUM
};
#define FV_PROC_TYPE(name, slot, when, ret, params) using FvProc_##name = ret(*) params;
FV_HOST_OPERATIONS(FV_PROC_TYPE)
#undef FV_PROC_TYPE

// What the list says of one operation, by its slot: FvOperation<FvSlot_SetProperty>::name
// is "SetProperty", ::Proc its pointer type, ::when when it may be called.
template <FvSlot slot>
struct FvOperation;
#define FV_OPERATION_TRAITS(operation, slot, callable, ret, params) \
  template <>                                                      \
  struct FvOperation<FvSlot_##operation> {                         \
    using Proc = FvProc_##operation;                               \
    static constexpr const char* name = #operation;                \
    static constexpr FvWhen when = FvWhen_##callable;              \
  };
FV_HOST_OPERATIONS(FV_OPERATION_TRAITS)
#undef FV_OPERATION_TRAITS

// Special folders (GetSpecialFolder).
inline constexpr std::int32_t FvFolder_Data = 4;  // the host's data folder, for an add-on's scratch files

// The longest configuration text (in its UTF-8 form) that ImportClassifications
// and ImportProperties take; a longer one is refused with FvErr_BadXml. An
// add-on can refuse a larger file before it reads it.
inline constexpr std::size_t FvMaxConfigurationBytes = 64u * 1024 * 1024;

// The one QueryAddOnEnvironment question an add-on asks: may it load? (1: yes, 0: no)
inline constexpr std::int32_t FvQuery_MayLoad = 1;
