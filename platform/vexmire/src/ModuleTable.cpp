#include "ModuleTable.hpp"

#include <new>

#include "Corbane/Memory.hpp"

namespace vexmire_runtime {

namespace {

// Plain storage with no destructor of its own: the table must not be torn
// down at process exit after the memory manager it came from. It gives its
// storage back as soon as the last module is closed.
struct Table {
  Module* modules = nullptr;
  std::uint32_t capacity = 0;
  std::int32_t openCount = 0;
};
Table table;

std::uint32_t FreePlace() {
  for (std::uint32_t i = 0; i < table.capacity; ++i)
    if (!table.modules[i].open) return i;
  const std::uint32_t grown = table.capacity == 0 ? 4 : table.capacity * 2;
  // The table serves every module of the process, so it is the host's, whoever
  // happens to open a module first; an image stays charged to its opener.
  Corbane::OwnerScope hostOwned(Corbane::HostOwner);
  auto* modules = static_cast<Module*>(Corbane::Allocate(sizeof(Module) * grown));
  for (std::uint32_t i = 0; i < grown; ++i) new (modules + i) Module(i < table.capacity ? table.modules[i] : Module{});
  if (table.modules != nullptr) Corbane::Free(table.modules);
  const std::uint32_t place = table.capacity;
  table.modules = modules;
  table.capacity = grown;
  return place;
}

Module* Find(std::int32_t handle) {
  if (handle < 0 || static_cast<std::uint32_t>(handle) >= table.capacity) return nullptr;
  Module& module = table.modules[handle];
  return module.open ? &module : nullptr;
}

}  // namespace

std::int32_t AddModule(std::uint8_t* image, std::uint32_t size, const vexmire_image::ImageView& view) {
  const std::uint32_t place = FreePlace();
  table.modules[place] = Module{true, image, size, view};
  ++table.openCount;
  return static_cast<std::int32_t>(place);
}

const Module* FindImage(std::int32_t handle) {
  const Module* module = Find(handle);
  return module != nullptr && module->image != nullptr ? module : nullptr;
}

void RemoveImage(std::int32_t handle) {
  Module* module = Find(handle);
  if (module == nullptr || module->image == nullptr) return;
  Corbane::Free(module->image);
  module->image = nullptr;
  module->size = 0;
  module->view = vexmire_image::ImageView{};
}

void CloseModule(std::int32_t handle) {
  Module* module = Find(handle);
  if (module == nullptr) return;
  RemoveImage(handle);
  module->open = false;
  if (--table.openCount == 0) {
    Corbane::Free(table.modules);
    table = Table{};
  }
}

std::int32_t OpenModuleCount() { return table.openCount; }

}  // namespace vexmire_runtime
