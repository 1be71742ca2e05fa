#include "values/DataFileHold.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "values/DataFile.hpp"

namespace quarnel {

DataFileHold dataFileHold;

namespace {

FileIdentity IdentityFrom(const struct stat& info) noexcept {
  return FileIdentity{static_cast<Corbane::UInt64>(info.st_dev), static_cast<Corbane::UInt64>(info.st_ino), true};
}

// Another session may give its lock up between our open and our lock, and
// remove the file we locked; the next try then finds the name free or taken.
constexpr int lockTries = 3;

}  // namespace

FileIdentity IdentityOf(int descriptor) noexcept {
  struct stat info {};
  return ::fstat(descriptor, &info) == 0 ? IdentityFrom(info) : FileIdentity{};
}

FileIdentity IdentityAt(const char* path) noexcept {
  struct stat info {};
  return ::lstat(path, &info) == 0 ? IdentityFrom(info) : FileIdentity{};
}

DataFileHold::Taken DataFileHold::Take(const Nostrel::Location& dataFile) {
  const Corbane::CStr dataPath = PathText(dataFile);
  const std::size_t length = dataPath.GetLength();
  if (length == 0 || length + std::strlen(lockFileSuffix) >= sizeof lockPath_) return Taken::Failed;
  char path[sizeof lockPath_];
  std::memcpy(path, dataPath.Get(), length);
  std::strcpy(path + length, lockFileSuffix);

  if (Holds() && std::strcmp(path, lockPath_) == 0 && LockFileIsStillOurs()) return Taken::Held;
  Release();
  for (int attempt = 0; attempt < lockTries; ++attempt) {
    // Read-only and never written: a lock file that is a hard link to some
    // other file leaves that file as it is. No link is followed, and a FIFO
    // does not block the open.
    const int lock = ::open(path, O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (lock < 0) return Taken::Failed;
    struct stat info {};
    if (::fstat(lock, &info) != 0 || !S_ISREG(info.st_mode)) {
      ::close(lock);
      return Taken::Failed;
    }
    if (::flock(lock, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      ::close(lock);
      return error == EWOULDBLOCK ? Taken::InUse : Taken::Failed;
    }
    if (IdentityAt(path) == IdentityFrom(info)) {
      lock_ = lock;
      std::memcpy(lockPath_, path, sizeof lockPath_);
      return Taken::Held;
    }
    ::close(lock);
  }
  return Taken::InUse;
}

void DataFileHold::RememberWritten(int descriptor) noexcept {
  if (writtenFile_ >= 0) ::close(writtenFile_);
  writtenFile_ = descriptor >= 0 ? ::fcntl(descriptor, F_DUPFD_CLOEXEC, 0) : -1;
  written_ = writtenFile_ >= 0 ? IdentityOf(writtenFile_) : FileIdentity{};
}

bool DataFileHold::LockFileIsStillOurs() const noexcept { return IdentityAt(lockPath_) == IdentityOf(lock_); }

void DataFileHold::Release() noexcept {
  RememberWritten(-1);
  if (!Holds()) return;
  // Removed while still locked, so that no session locks a file that is
  // already gone from the name without finding out (Take compares them).
  if (LockFileIsStillOurs()) ::unlink(lockPath_);
  ::close(lock_);
  lock_ = -1;
  lockPath_[0] = '\0';
}

}  // namespace quarnel
