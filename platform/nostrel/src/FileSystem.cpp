#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Nostrel/Nostrel.hpp"
#include "PosixErrors.hpp"

namespace Nostrel {

namespace {

// Makes the removal of a name durable: the folder that held it is flushed.
void FlushFolderOf(const Location& location) {
  UniString folder = location.ToDisplayText();
  const UniString name = location.GetLastLocalName();
  folder.Delete(folder.GetLength() - name.GetLength(), name.GetLength());
  if (folder.IsEmpty()) folder = UniString(".");
  const int descriptor = ::open(folder.ToCStr().Get(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return;
  ::fsync(descriptor);
  ::close(descriptor);
}

}  // namespace

ErrorCode FileSystem::Delete(const Location& location, Int32 dataSafety, Int32 accessDenied) {
  if (location.IsEmpty()) return ErrBadLocation;
  const Corbane::CStr path = location.ToDisplayText().ToCStr();
  if (::unlink(path.Get()) != 0) {
    const ErrorCode error = FromSystemError(errno);
    return error == ErrAccessDenied && accessDenied == Ignore ? NoError : error;
  }
  if (dataSafety == Safe) FlushFolderOf(location);
  return NoError;
}

bool FileSystem::Exists(const Location& location) {
  if (location.IsEmpty()) return false;
  struct stat info {};
  return ::stat(location.ToDisplayText().ToCStr().Get(), &info) == 0;
}

}  // namespace Nostrel
