#include "values/DataFileWriter.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace quarnel {

namespace {

// Records are handed to the system in blocks of about this size, or of this
// many records, so that the writer's memory does not grow with the project.
constexpr std::size_t writeBlockBytes = 16384;
constexpr std::size_t writeBlockRecords = 256;

}  // namespace

bool DataFileWriter::Open(const Nostrel::Location& location) {
  Close();
  failed_ = lostAny_ = false;
  identity_ = FileIdentity{};
  flushed_ = 0;
  const Corbane::CStr path = PathText(location);
  if (path.GetLength() == 0) return false;
  // unlink takes the name itself: a link goes, the file it points to stays.
  if (::unlink(path.Get()) != 0 && errno != ENOENT) return false;
  file_ = ::open(path.Get(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (file_ < 0) return false;
  identity_ = IdentityOf(file_);
  buffer_.reserve(writeBlockBytes + 1024);
  ends_.reserve(writeBlockRecords);
  return true;
}

bool DataFileWriter::Write(std::string_view elementGuidText, std::string_view definitionFields, std::string_view value,
                           bool quoteValue) {
  if (file_ < 0) return false;
  const std::size_t start = buffer_.size();
  AppendCsvField(buffer_, elementGuidText);
  buffer_.push_back(',');
  buffer_.append(definitionFields);
  buffer_.push_back(',');
  AppendCsvField(buffer_, value, quoteValue);
  const std::size_t length = buffer_.size() - start;
  if (failed_ || length > maxRecordBytes) {
    // After a failed write nothing more is written: a later block that got
    // through would leave a gap in the file that no reader could see.
    lostAny_ = true;
    if (lost_ != nullptr)
      lost_->Lost(std::string_view(buffer_.data() + start, length), failed_ ? Loss::WriteFailed : Loss::TooLong);
    buffer_.resize(start);
    return false;
  }
  buffer_.push_back('\n');
  ends_.push_back(buffer_.size());
  if (buffer_.size() >= writeBlockBytes || ends_.size() == writeBlockRecords) Flush();
  return true;
}

void DataFileWriter::Flush() noexcept {
  std::size_t written = 0;
  while (written < buffer_.size()) {
    const ssize_t count = ::write(file_, buffer_.data() + written, buffer_.size() - written);
    if (count > 0) {
      written += static_cast<std::size_t>(count);
    } else if (count == 0 || errno != EINTR) {
      break;
    }
  }
  std::size_t whole = 0;  // bytes of the buffer's records that reached the file whole
  std::size_t next = 0;
  while (next < ends_.size() && ends_[next] <= written) whole = ends_[next++];
  flushed_ += whole;
  if (next < ends_.size()) {
    failed_ = lostAny_ = true;
    // The file is cut back to its last whole record; should that fail, the
    // reader still refuses the record cut short.
    if (::ftruncate(file_, static_cast<off_t>(flushed_)) != 0) {
    }
    for (std::size_t from = whole; next < ends_.size(); from = ends_[next++])
      if (lost_ != nullptr) lost_->Lost(std::string_view(buffer_.data() + from, ends_[next] - 1 - from), Loss::WriteFailed);
  }
  buffer_.clear();
  ends_.clear();
}

bool DataFileWriter::Close() noexcept {
  if (file_ >= 0) {
    if (!buffer_.empty()) Flush();
    if (::close(file_) != 0) lostAny_ = true;
  }
  file_ = -1;
  return !lostAny_;
}

}  // namespace quarnel
