// Random access to the bytes of a file, so that a library file is read a
// header at a time instead of whole.
#pragma once

#include <cstdint>

namespace vexmire_image {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t Size() const = 0;
  // Reads exactly `count` bytes at `offset`; false when they are not all there.
  virtual bool ReadAt(std::uint64_t offset, void* target, std::uint64_t count) const = 0;
};

// A file opened for reading; Size() is 0 and every read fails when it could
// not be opened.
class FileByteSource final : public ByteSource {
 public:
  explicit FileByteSource(const char* path);
  ~FileByteSource() override;
  FileByteSource(const FileByteSource&) = delete;
  FileByteSource& operator=(const FileByteSource&) = delete;

  bool IsOpen() const { return descriptor_ >= 0; }
  int OpenError() const { return openError_; }  // errno of a failed open
  std::uint64_t Size() const override { return size_; }
  bool ReadAt(std::uint64_t offset, void* target, std::uint64_t count) const override;

 private:
  int descriptor_ = -1;
  int openError_ = 0;
  std::uint64_t size_ = 0;
};

// Bytes already in memory.
class MemoryByteSource final : public ByteSource {
 public:
  MemoryByteSource(const void* bytes, std::uint64_t size) : bytes_(static_cast<const std::uint8_t*>(bytes)), size_(size) {}
  std::uint64_t Size() const override { return size_; }
  bool ReadAt(std::uint64_t offset, void* target, std::uint64_t count) const override;

 private:
  const std::uint8_t* bytes_;
  std::uint64_t size_;
};

}  // namespace vexmire_image
