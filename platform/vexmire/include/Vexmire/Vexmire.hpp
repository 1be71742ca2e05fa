// Vexmire: resources carried inside a library file.
//
// The resource compiler (vexmire-rc) turns a resource definition file and its
// PNG pictures into a resource image; the build places the image in the
// library file's ".vexmire" section. At run time a module's image is opened
// from the library file on disk.
#pragma once

#include "Corbane/Corbane.hpp"

namespace Vexmire {

using Corbane::Int16;
using Corbane::Int32;
using Corbane::UInt32;

// A resource type is four characters: 'STRS' string lists, 'MDID' identity,
// 'PNG ' pictures, 'ICNS' the file icon group.
constexpr UInt32 ResType(const char (&four)[5]) {
  return (UInt32(UInt32(static_cast<unsigned char>(four[0])) << 24) | UInt32(UInt32(static_cast<unsigned char>(four[1])) << 16) |
          UInt32(UInt32(static_cast<unsigned char>(four[2])) << 8) | UInt32(static_cast<unsigned char>(four[3])));
}

struct ResourceInfo {
  UInt32 type;
  Int32 id;
  Corbane::UniString name;  // may be empty
  UInt32 size;
};

using ModuleHandle = Int32;  // -1: none
inline constexpr ModuleHandle NoModule = -1;

}  // namespace Vexmire

// Opens the resource image of the loaded module that contains `addressInModule`
// (any function or object of that module). Returns the handle, or -1 when the
// module carries no resources.
Vexmire::ModuleHandle VexmireInitModuleImageCache(const void* addressInModule);
// Opens the resource image of a library file by its path; -1 when none.
Vexmire::ModuleHandle VexmireOpenModuleFile(const char* path);
// Reads string `index` (from 1) of string list `listId` into `target`. The
// source place names the caller for diagnostics. strType 0: narrow UTF-8.
// Returns false (and leaves `target` alone) when the list or string is missing.
bool VexmireGetIndString_ParamAdapter(const char* sourceFile, Vexmire::Int32 sourceLine, Corbane::UniString* target,
                                      Vexmire::Int16 listId, Vexmire::Int16 index, Vexmire::ModuleHandle module,
                                      Vexmire::Int32 strType);
// The bytes of one resource (by type and id, or by name when `name` is not
// null); null when missing. The bytes live until the module is removed.
const void* VexmireGetResource(Vexmire::ModuleHandle module, Vexmire::UInt32 type, Vexmire::Int32 id,
                               Vexmire::UInt32* size);
const void* VexmireGetNamedResource(Vexmire::ModuleHandle module, Vexmire::UInt32 type, const char* name,
                                    Vexmire::UInt32* size);
// Every resource of the module, in image order.
Corbane::Array<Vexmire::ResourceInfo> VexmireListResources(Vexmire::ModuleHandle module);
// Closes the image cache of the module; the handle stays valid for ResModuleClosed.
void VexmireRemoveModuleImageCache(Vexmire::ModuleHandle module);
// Forgets the module handle.
void ResModuleClosed(Vexmire::ModuleHandle module);
// How many module handles are open (for the host's leak checks).
Vexmire::Int32 VexmireOpenModuleCount();
