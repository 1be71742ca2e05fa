// A small add-on that the loader's tests load through the real loader. Its
// variants are made by compile definitions:
//   TEST_ADDON_HOST_VERSION  the host version it is built for (default 29); built
//                            for 27 it leaves its resource module for the host to close
//   TEST_ADDON_LEAVES_TABLE_UNZEROED  GetExportedFuncAddrs fills its fields only, leaving the rest as it was
//   TEST_ADDON_LACKS_ENTRY   its exported entry table has no ReleaseAddOn
//   TEST_ADDON_REFUSES_TABLE SetImportedFuncAddrs answers 1
//   TEST_ADDON_DECLINES      DescribeAddOn answers kind 0
//   TEST_ADDON_REGISTER_FAILS  RegisterAddOn answers an error after its menu is registered
//   TEST_ADDON_START_FAILS   StartAddOn answers an error after its menu handler is installed
//
// Its menu "Test Menu" has "Say Hello" (runs one undoable command that
// deletes the property group "Scratch", then writes a report line) and
// "Pick File" (asks for a file and reports what it got).

#include <cstdint>
#include <cstring>

#include "Corbane/Corbane.hpp"
#include "Forvane/EntryTable.hpp"
#include "Pellarin/Pellarin.hpp"
#include "Vexmire/Vexmire.hpp"

#ifndef TEST_ADDON_HOST_VERSION
#define TEST_ADDON_HOST_VERSION 29
#endif

namespace {

constexpr std::uint32_t kHostVersion = TEST_ADDON_HOST_VERSION;
#ifdef TEST_ADDON_LACKS_ENTRY
constexpr bool kLacksEntry = true;
#else
constexpr bool kLacksEntry = false;
#endif
constexpr std::int16_t kNamesList = 32000;
constexpr std::int16_t kMenuList = 32600;

const void* hostTable[FvHostSlotCount(static_cast<int>(kHostVersion))] = {};
bool ready = false;
API_Token token = 0;
// Held from start to release, so the host sees the add-on's own blocks live.
Corbane::UniString greeting;

// The add-on's resources, open from load to unload as a real add-on keeps them.
struct ResourceModule {
  Vexmire::ModuleHandle handle = VexmireInitModuleImageCache(&hostTable);
  ~ResourceModule() {
    if (handle == Vexmire::NoModule) return;
    VexmireRemoveModuleImageCache(handle);
    // An add-on for host 27 leaves closing the module to the host.
    if (kHostVersion != 27) ResModuleClosed(handle);
  }
};
ResourceModule resources;

template <class Proc>
Proc Operation(FvSlot slot) {
  return reinterpret_cast<Proc>(hostTable[slot]);
}

void Report(const char* format, std::int32_t value) {
  if (auto write = Operation<FvProc_WriteReport>(FvSlot_WriteReport)) {
    const Corbane::UniString text(format);
    write(token, &text, false, value);
  }
}

HostError DeleteScratchGroup(void*) {
  auto getGroups = Operation<FvProc_GetPropertyGroups>(FvSlot_GetPropertyGroups);
  auto deleteGroup = Operation<FvProc_DeletePropertyGroup>(FvSlot_DeletePropertyGroup);
  if (getGroups == nullptr || deleteGroup == nullptr) return FvErr_MissingOperation;
  Corbane::Array<API_PropertyGroup> groups;
  if (const HostError error = getGroups(token, &groups); error != FvErr_NoError) return error;
  for (const API_PropertyGroup& group : groups) {
    if (group.name == Corbane::UniString("Scratch")) return deleteGroup(token, &group.guid);
  }
  return 0;
}

HostError SayHello() {
  auto command = Operation<FvProc_CallUndoableCommand>(FvSlot_CallUndoableCommand);
  HostError result = FvErr_MissingOperation;
  if (command != nullptr) {
    const Corbane::UniString name("Say Hello");
    result = command(token, &name, &DeleteScratchGroup, nullptr);
  }
  Report("Say Hello: %d", result);
  return result;
}

HostError PickFile() {
  Pellarin::FileDialog dialog(Pellarin::FileDialog::OpenFile);
  dialog.SetTitle("Pick a file");
  if (!dialog.Invoke()) {
    Report("Pick File: cancelled (%d)", 0);
    return 0;
  }
  // The path is a value of the line, never part of its format.
  if (auto write = Operation<FvProc_WriteReport>(FvSlot_WriteReport)) {
    const Corbane::UniString format("Pick File: %T (%d)");
    const Corbane::UniString path = dialog.GetSelectedLocation().ToDisplayText();
    write(token, &format, false, &path, 1);
  }
  return 0;
}

HostError HandleMenuCommand(const API_MenuCallParams* params) {
  if (params == nullptr || params->menuResourceId != static_cast<std::uint16_t>(kMenuList)) return 0;
  switch (params->itemIndex) {
    case 1: return SayHello();
    case 2: return PickFile();
    default: return 0;
  }
}

std::int32_t DescribeAddOn(API_AddOnEnvironment* environment) {
  if (!ready) return 0;
  VexmireGetIndString_ParamAdapter(__FILE__, __LINE__, &environment->addOnName, kNamesList, 1, resources.handle, 0);
  VexmireGetIndString_ParamAdapter(__FILE__, __LINE__, &environment->addOnDescription, kNamesList, 2, resources.handle, 0);
  environment->describeFlag = 1;
#ifdef TEST_ADDON_DECLINES
  return 0;
#else
  return 1;
#endif
}

HostError RegisterAddOn(std::intptr_t) {
  if (!ready) return FvErr_General;
  auto registerMenu = Operation<FvProc_RegisterMenu>(FvSlot_RegisterMenu);
  const HostError registered = registerMenu != nullptr ? registerMenu(kMenuList, 0, 0, 0) : FvErr_MissingOperation;
#ifdef TEST_ADDON_REGISTER_FAILS
  // Fails after its menu is in place: the host must take the menu back.
  return registered == FvErr_NoError ? FvErr_General : registered;
#else
  return registered;
#endif
}

HostError StartAddOn(API_Token connection) {
  if (!ready) return FvErr_General;
  token = connection;
  greeting = "Hello from the test add-on";
  auto install = Operation<FvProc_InstallMenuHandler>(FvSlot_InstallMenuHandler);
  const HostError installed = install != nullptr ? install(token, kMenuList, &HandleMenuCommand) : FvErr_MissingOperation;
#ifdef TEST_ADDON_START_FAILS
  // Fails after its handler is in place: the host must take the menu back.
  return installed == FvErr_NoError ? FvErr_General : installed;
#else
  return installed;
#endif
}

HostError ReleaseAddOn() {
  if (!ready) return FvErr_General;
  token = 0;
  greeting.Clear();
  return 0;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) void GetExportedFuncAddrs(ExportedEntryTable* table) {
#ifndef TEST_ADDON_LEAVES_TABLE_UNZEROED
  std::memset(table, 0, sizeof *table);
#endif
  table->versionWord = FvVersionWord(kHostVersion);
  table->describeAddOn = &DescribeAddOn;
  table->registerAddOn = &RegisterAddOn;
  table->startAddOn = &StartAddOn;
  // An add-on that lacks an entry leaves its field as the zeroing left it.
  table->releaseAddOn = kLacksEntry ? nullptr : &ReleaseAddOn;
  table->hostVersionNumber = kHostVersion * 1000u;
}

extern "C" __attribute__((visibility("default"))) std::int32_t SetImportedFuncAddrs(const void* hostEntryTable) {
#ifdef TEST_ADDON_REFUSES_TABLE
  (void)hostEntryTable;
  return 1;
#else
  std::memcpy(hostTable, hostEntryTable, sizeof hostTable);
  ready = true;
  return 0;
#endif
}
