// A run's hold on its data file, from the export to the end of the import.
//
// Two host sessions of one user share the data folder, and the data file's
// name with it. A session owns the name while it holds an exclusive advisory
// lock (flock) on a lock file beside the data file; every session asks for
// the lock before it removes, creates, reads or deletes anything at that name,
// and one that cannot have it touches nothing. The lock file is removed when
// the lock is given up, so a run leaves nothing behind but what it means to.
//
// The hold also keeps the file the export created open, and with it that
// file's identity, which no other file can take while it is open: the import
// reads that file and no other that came to stand at its name.
//
// Module storage, like dataFileLocation. The lock is given up at the end of
// the import, when the export fails after taking it, and at unload. A run
// whose import does not run keeps it until its session's next run or unload:
// the data file then holds values that the deletion of the groups took, and
// another session's export would remove it.
#pragma once

#include <climits>

#include "Corbane/Types.hpp"
#include "Nostrel/Nostrel.hpp"

namespace quarnel {

// Which file a descriptor or a name stands for: its device and inode.
struct FileIdentity {
  Corbane::UInt64 device = 0;
  Corbane::UInt64 inode = 0;
  bool known = false;

  friend bool operator==(const FileIdentity& a, const FileIdentity& b) noexcept {
    return a.known && b.known && a.device == b.device && a.inode == b.inode;
  }
};

FileIdentity IdentityOf(int descriptor) noexcept;
// Of what stands at the path, without following a link.
FileIdentity IdentityAt(const char* path) noexcept;

inline constexpr const char* lockFileSuffix = ".lock";

class DataFileHold {
 public:
  enum class Taken { Held, InUse, Failed };

  DataFileHold() = default;
  DataFileHold(const DataFileHold&) = delete;
  DataFileHold& operator=(const DataFileHold&) = delete;
  ~DataFileHold() { Release(); }

  // Holds the lock of the data file at `dataFile`; a lock this session holds
  // already for that file is kept. InUse when another session holds it;
  // Failed when the lock file cannot be made or is not a regular file.
  Taken Take(const Nostrel::Location& dataFile);
  bool Holds() const noexcept { return lock_ >= 0; }

  // Keeps a descriptor of its own of the file the export wrote.
  void RememberWritten(int descriptor) noexcept;
  const FileIdentity& Written() const noexcept { return written_; }

  // Gives the lock up, removing the lock file if it is still this one, and
  // forgets the written file.
  void Release() noexcept;

 private:
  bool LockFileIsStillOurs() const noexcept;

  int lock_ = -1;
  int writtenFile_ = -1;
  // A fixed buffer, so that a hold kept from run to run allocates nothing.
  char lockPath_[PATH_MAX] = {};
  FileIdentity written_;
};

extern DataFileHold dataFileHold;

}  // namespace quarnel
