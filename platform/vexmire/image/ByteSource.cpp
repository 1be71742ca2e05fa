#include "ByteSource.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "ByteOrder.hpp"

namespace vexmire_image {

FileByteSource::FileByteSource(const char* path) {
  if (path == nullptr) {
    openError_ = ENOENT;
    return;
  }
  descriptor_ = ::open(path, O_RDONLY | O_CLOEXEC);
  if (descriptor_ < 0) {
    openError_ = errno;
    return;
  }
  struct stat info {};
  if (::fstat(descriptor_, &info) != 0 || !S_ISREG(info.st_mode)) {
    openError_ = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    ::close(descriptor_);
    descriptor_ = -1;
    return;
  }
  size_ = static_cast<std::uint64_t>(info.st_size);
}

FileByteSource::~FileByteSource() {
  if (descriptor_ >= 0) ::close(descriptor_);
}

bool FileByteSource::ReadAt(std::uint64_t offset, void* target, std::uint64_t count) const {
  if (descriptor_ < 0 || !FitsWithin(offset, count, size_)) return false;
  auto* cursor = static_cast<std::uint8_t*>(target);
  while (count > 0) {
    const ssize_t got = ::pread(descriptor_, cursor, count, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;  // the file shrank under us, or cannot be read
    cursor += got;
    offset += static_cast<std::uint64_t>(got);
    count -= static_cast<std::uint64_t>(got);
  }
  return true;
}

bool MemoryByteSource::ReadAt(std::uint64_t offset, void* target, std::uint64_t count) const {
  if (!FitsWithin(offset, count, size_)) return false;
  if (count > 0) std::memcpy(target, bytes_ + offset, count);
  return true;
}

}  // namespace vexmire_image
