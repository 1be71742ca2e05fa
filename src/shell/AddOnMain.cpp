// The plug-in's face toward the host: the two exports, the four entries, and
// what happens when the library is loaded and unloaded.

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>

#include "Corbane/Debug.hpp"
#include "Forvane/EntryTable.hpp"
#include "Vexmire/Vexmire.hpp"
#include "host/HostApi.hpp"
#include "run/Handler.hpp"

#ifndef QUARNEL_HOST_VERSION
#error "QUARNEL_HOST_VERSION must be 29 or 27"
#endif

namespace {

constexpr Corbane::Int16 AddOnStringListId = 32000;
constexpr Corbane::Int16 AddOnNameIndex = 1;
constexpr Corbane::Int16 AddOnDescriptionIndex = 2;

// Only for the unload diagnostic; kept in a fixed buffer so that the load
// allocates nothing that outlives a failed run.
char moduleFileName[4096] = {};
Vexmire::ModuleHandle resourceModule = Vexmire::NoModule;

bool IsReady() noexcept { return quarnel::host::HasEntryTable(); }

// The loader keeps the path as it was given ("./Quarnel.so"), which says
// nothing once the working folder has changed; the diagnostic names the file
// itself. realpath runs while the loader holds the working folder of the load.
void RememberModuleFileName() noexcept {
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(&RememberModuleFileName), &info) == 0 || info.dli_fname == nullptr) return;
  static_assert(sizeof moduleFileName >= PATH_MAX);
  if (::realpath(info.dli_fname, moduleFileName) == nullptr)
    std::snprintf(moduleFileName, sizeof moduleFileName, "%s", info.dli_fname);
}

// The host's answer to "may the add-on load?" becomes the add-on kind.
std::int32_t AddOnKind(Corbane::Int32 answer) noexcept {
  const std::int32_t lowerByte = answer & 0xFF;
#if QUARNEL_HOST_VERSION == 27
  return lowerByte != 0 ? 1 : 0;
#else
  return lowerByte;
#endif
}

void ReadAddOnString(Corbane::UniString& target, Corbane::Int16 index, int line) {
  VexmireGetIndString_ParamAdapter("AddOnMain", line, &target, AddOnStringListId, index, resourceModule, 0);
}

std::int32_t DescribeAddOn(API_AddOnEnvironment* environment) {
  if (!IsReady() || environment == nullptr) return 0;
  try {
    ReadAddOnString(environment->addOnName, AddOnNameIndex, __LINE__);
    ReadAddOnString(environment->addOnDescription, AddOnDescriptionIndex, __LINE__);
    environment->describeFlag = 1;
    return AddOnKind(quarnel::host::QueryAddOnEnvironment(FvQuery_MayLoad));
  } catch (...) {
    return 0;
  }
}

HostError RegisterAddOn(std::intptr_t /*hostValue*/) {
  if (!IsReady()) return FvErr_General;
  return quarnel::host::RegisterMenu(quarnel::ImportMenuResourceId, 0, 0, 0);
}

HostError StartAddOn(API_Token token) {
  if (!IsReady()) return FvErr_General;
  quarnel::host::SetToken(token);
  return quarnel::host::InstallMenuHandler(quarnel::ImportMenuResourceId, &quarnel::HandleMenuCommand);
}

HostError ReleaseAddOn() {
  if (!IsReady()) return FvErr_General;
  quarnel::host::SetToken(0);
  return FvErr_NoError;
}

void CloseResourceModule() noexcept {
  if (resourceModule == Vexmire::NoModule) return;
  VexmireRemoveModuleImageCache(resourceModule);
#if QUARNEL_HOST_VERSION != 27
  ResModuleClosed(resourceModule);
#endif
  resourceModule = Vexmire::NoModule;
}

__attribute__((constructor)) void LoadAddOnLibrary() {
  RememberModuleFileName();
  resourceModule = VexmireInitModuleImageCache(reinterpret_cast<const void*>(&LoadAddOnLibrary));
}

__attribute__((destructor)) void UnloadAddOnLibrary() {
  CloseResourceModule();
  if (quarnel::host::Token() != 0) {
    Corbane::DBPrintf("Abnormal add-on termination (\"%s\")", moduleFileName);
    Corbane::DBPrintf("\n");
    quarnel::host::SetToken(0);
  }
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) void GetExportedFuncAddrs(ExportedEntryTable* table) {
  if (table == nullptr) return;
  std::memset(static_cast<void*>(table), 0, sizeof *table);
  table->versionWord = FvVersionWord(QUARNEL_HOST_VERSION);
  table->describeAddOn = &DescribeAddOn;
  table->registerAddOn = &RegisterAddOn;
  table->startAddOn = &StartAddOn;
  table->releaseAddOn = &ReleaseAddOn;
  table->hostVersionNumber = QUARNEL_HOST_VERSION * 1000;
}

__attribute__((visibility("default"))) std::int32_t SetImportedFuncAddrs(const void* hostEntryTable) {
  // A host that hands over no table cannot be served; saying so beats reading address 0.
  if (hostEntryTable == nullptr) return FvErr_BadParameter;
  quarnel::host::KeepEntryTable(hostEntryTable);
  return FvErr_NoError;
}

}  // extern "C"
