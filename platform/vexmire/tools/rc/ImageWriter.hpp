// Lays resources out as a resource image (see ImageFormat.hpp).
#pragma once

#include <cstdint>
#include <vector>

#include "Definition.hpp"

namespace vexmire_rc {

// Throws CompileError when the resources do not fit the image's 32-bit offsets.
std::vector<std::uint8_t> WriteImage(const std::vector<Resource>& resources, const std::string& definitionPath);

}  // namespace vexmire_rc
