#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Nostrel/Nostrel.hpp"
#include "PosixErrors.hpp"

namespace Nostrel {

namespace {

ErrorCode CreateEmpty(const char* path) {
  // O_EXCL: a file that appeared meanwhile is someone else's and stays untouched.
  const int descriptor = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (descriptor < 0 && errno == EEXIST) {
    struct stat info {};
    return ::stat(path, &info) == 0 ? NoError : ErrBadLocation;  // a dangling link is not followed
  }
  if (descriptor < 0) return FromSystemError(errno);
  ::close(descriptor);
  return NoError;
}

}  // namespace

File::File(const Location& location, Int32 onNotFound) : location_(location) {
  if (location_.IsEmpty()) {
    status_ = ErrBadLocation;
    return;
  }
  const Corbane::CStr path = location_.ToDisplayText().ToCStr();
  struct stat info {};
  if (::stat(path.Get(), &info) == 0) {
    status_ = S_ISDIR(info.st_mode) ? ErrBadLocation : NoError;
    return;
  }
  if (errno != ENOENT) {
    status_ = FromSystemError(errno);
    return;
  }
  status_ = onNotFound == Create ? CreateEmpty(path.Get()) : ErrNotFound;
}

}  // namespace Nostrel
