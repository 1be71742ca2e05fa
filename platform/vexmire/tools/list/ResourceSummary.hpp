// One readable line about one resource: type, id, name, size, and what its
// content says about itself (string count, identity values, picture size).
#pragma once

#include <string>

#include "ImageFormat.hpp"

namespace vexmire_list {

std::string DescribeResource(const vexmire_image::ImageEntry& entry);

}  // namespace vexmire_list
