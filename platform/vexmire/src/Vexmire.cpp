#include "Vexmire/Vexmire.hpp"

#include <dlfcn.h>

#include "ByteSource.hpp"
#include "Corbane/Memory.hpp"
#include "ElfSection.hpp"
#include "ImageFormat.hpp"
#include "ModuleTable.hpp"
#include "StringList.hpp"

using vexmire_image::ImageEntry;

namespace {

// The section's bytes in a Corbane block, or null when they cannot all be read.
std::uint8_t* ReadSection(const vexmire_image::ByteSource& file, const vexmire_image::SectionPlace& place) {
  auto* image = static_cast<std::uint8_t*>(Corbane::Allocate(place.size == 0 ? 1 : place.size));
  if (file.ReadAt(place.offset, image, place.size)) return image;
  Corbane::Free(image);
  return nullptr;
}

bool FindEntry(Vexmire::ModuleHandle module, Vexmire::UInt32 type, Vexmire::Int32 id, ImageEntry& entry) {
  const vexmire_runtime::Module* open = vexmire_runtime::FindImage(module);
  return open != nullptr && open->view.Find(type, id, entry);
}

const void* Answer(const ImageEntry& entry, Vexmire::UInt32* size) {
  if (size != nullptr) *size = entry.size;
  return entry.data;
}

}  // namespace

Vexmire::ModuleHandle VexmireInitModuleImageCache(const void* addressInModule) {
  Dl_info info{};
  if (addressInModule == nullptr || ::dladdr(addressInModule, &info) == 0 || info.dli_fname == nullptr)
    return Vexmire::NoModule;
  return VexmireOpenModuleFile(info.dli_fname);
}

Vexmire::ModuleHandle VexmireOpenModuleFile(const char* path) {
  const vexmire_image::FileByteSource file(path);
  vexmire_image::SectionPlace place;
  if (!file.IsOpen() || vexmire_image::FindElfSection(file, vexmire_image::kSectionName, place) !=
                            vexmire_image::ElfStatus::Found)
    return Vexmire::NoModule;
  if (place.size > 0xFFFFFFFFu) return Vexmire::NoModule;  // image offsets are 32-bit

  std::uint8_t* image = ReadSection(file, place);
  vexmire_image::ImageView view;
  if (image == nullptr) return Vexmire::NoModule;
  if (vexmire_image::ImageView::Open(image, place.size, view) != vexmire_image::ImageStatus::Valid) {
    Corbane::Free(image);
    return Vexmire::NoModule;
  }
  return vexmire_runtime::AddModule(image, static_cast<std::uint32_t>(place.size), view);
}

bool VexmireGetIndString_ParamAdapter(const char* /*sourceFile*/, Vexmire::Int32 /*sourceLine*/, Corbane::UniString* target,
                                      Vexmire::Int16 listId, Vexmire::Int16 index, Vexmire::ModuleHandle module,
                                      Vexmire::Int32 strType) {
  if (target == nullptr || strType != 0 || index < 1) return false;
  ImageEntry list;
  if (!FindEntry(module, Vexmire::ResType("STRS"), listId, list)) return false;
  vexmire_image::StringRef found;
  if (!vexmire_image::FindIndexedString(list.data, list.size, static_cast<std::uint32_t>(index), found)) return false;
  *target = Corbane::UniString(found.text, found.length, Corbane::CC_UTF8);
  return true;
}

const void* VexmireGetResource(Vexmire::ModuleHandle module, Vexmire::UInt32 type, Vexmire::Int32 id,
                               Vexmire::UInt32* size) {
  ImageEntry entry;
  return FindEntry(module, type, id, entry) ? Answer(entry, size) : nullptr;
}

const void* VexmireGetNamedResource(Vexmire::ModuleHandle module, Vexmire::UInt32 type, const char* name,
                                    Vexmire::UInt32* size) {
  const vexmire_runtime::Module* open = vexmire_runtime::FindImage(module);
  ImageEntry entry;
  return open != nullptr && open->view.FindNamed(type, name, entry) ? Answer(entry, size) : nullptr;
}

Corbane::Array<Vexmire::ResourceInfo> VexmireListResources(Vexmire::ModuleHandle module) {
  Corbane::Array<Vexmire::ResourceInfo> resources;
  const vexmire_runtime::Module* open = vexmire_runtime::FindImage(module);
  if (open == nullptr) return resources;
  resources.Reserve(open->view.Count());
  for (std::uint32_t i = 0; i < open->view.Count(); ++i) {
    const ImageEntry entry = open->view.EntryAt(i);
    resources.Push(Vexmire::ResourceInfo{entry.type, entry.id,
                                         Corbane::UniString(entry.name, entry.nameLength, Corbane::CC_UTF8), entry.size});
  }
  return resources;
}

void VexmireRemoveModuleImageCache(Vexmire::ModuleHandle module) { vexmire_runtime::RemoveImage(module); }

void ResModuleClosed(Vexmire::ModuleHandle module) { vexmire_runtime::CloseModule(module); }

Vexmire::Int32 VexmireOpenModuleCount() { return vexmire_runtime::OpenModuleCount(); }
