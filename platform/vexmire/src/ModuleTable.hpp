// The open resource modules, by handle. A handle is an index into the table;
// its image stays until the cache is removed, the handle until the module is
// closed, and a closed handle's place is used again.
#pragma once

#include <cstdint>

#include "ImageFormat.hpp"

namespace vexmire_runtime {

struct Module {
  bool open = false;
  std::uint8_t* image = nullptr;  // from the Corbane memory manager; null once removed
  std::uint32_t size = 0;
  vexmire_image::ImageView view;
};

// Takes over `image` (a Corbane block) and returns the module's new handle.
std::int32_t AddModule(std::uint8_t* image, std::uint32_t size, const vexmire_image::ImageView& view);
// The open module with an image, or null.
const Module* FindImage(std::int32_t handle);
void RemoveImage(std::int32_t handle);
void CloseModule(std::int32_t handle);
std::int32_t OpenModuleCount();

}  // namespace vexmire_runtime
