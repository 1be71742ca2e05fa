// Every file type of every live manager in the process, by id, so that a
// dialog given only a type id can describe and check it.
#pragma once

#include "Nostrel/Nostrel.hpp"

namespace Nostrel::registry {

FileTypeId Add(const FileTypeManager* owner, const FileType& type);
const FileType* Find(FileTypeId id);
void RemoveAllOf(const FileTypeManager* owner);

}  // namespace Nostrel::registry
