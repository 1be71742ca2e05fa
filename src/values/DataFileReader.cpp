#include "values/DataFileReader.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "values/ByteSet.hpp"

namespace quarnel {

DataFileReader::Opened DataFileReader::Open(const Nostrel::Location& location) {
  Close();
  const Corbane::CStr path = PathText(location);
  if (path.GetLength() == 0) return Opened::No;
  // Without waiting: a FIFO opens at once and is refused with the rest.
  const int file = ::open(path.Get(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (file < 0) {
    struct stat link {};
    return errno == ELOOP && ::lstat(path.Get(), &link) == 0 && S_ISLNK(link.st_mode) ? Opened::NotRegular
                                                                                      : Opened::No;
  }
  struct stat info {};
  if (::fstat(file, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(file);
    return Opened::NotRegular;
  }
  file_ = file;
  identity_ = IdentityOf(file);
  return Opened::Yes;
}

void DataFileReader::Close() noexcept {
  if (file_ >= 0) ::close(file_);
  file_ = -1;
  atEnd_ = readFailed_ = false;
  filled_ = position_ = 0;
  count_ = 0;
}

UniString DataFileReader::FieldText(Corbane::UIndex i) const { return Widen(views_[i]); }

bool DataFileReader::Fill() {
  if (position_ < filled_) return true;
  if (file_ < 0 || atEnd_) return false;
  ssize_t count = 0;
  do {
    count = ::read(file_, buffer_, sizeof buffer_);
  } while (count < 0 && errno == EINTR);
  if (count < 0) readFailed_ = true;
  position_ = 0;
  filled_ = count > 0 ? static_cast<std::size_t>(count) : 0;
  atEnd_ = filled_ == 0;
  return !atEnd_;
}

// Counts the record's bytes as the file holds them, quotes and commas
// included, so that the reader takes exactly the records the writer writes.
bool DataFileReader::Count(std::size_t size) noexcept {
  recordBytes_ += size;
  if (recordBytes_ <= maxRecordBytes) return true;
  Flaw(Record::TooLong);  // read on to its end, but kept no further
  return false;
}

void DataFileReader::Keep(Bytes& field, const char* bytes, std::size_t size) {
  if (Count(size)) field.append(bytes, size);
}

void DataFileReader::Flaw(Record state) noexcept {
  if (state_ != Record::Whole) return;
  state_ = state;
  wholeFields_ = count_ - 1;  // the field being read is the first one harmed
}

Bytes& DataFileReader::NewField() {
  while (fields_.GetSize() <= count_) fields_.PushNew();
  ViewField({});
  Bytes& field = fields_[count_ - 1];
  field.clear();
  return field;
}

// Inside quotes up to the closing quote, a doubled quote read as one; the
// position is then just after the closing quote. False at the end of the file.
bool DataFileReader::ReadQuoted(Bytes& field) {
  while (Fill()) {
    const char* begin = buffer_ + position_;
    const char* quote = static_cast<const char*>(std::memchr(begin, '"', filled_ - position_));
    if (quote == nullptr) {
      Keep(field, begin, filled_ - position_);
      position_ = filled_;
      continue;
    }
    Keep(field, begin, static_cast<std::size_t>(quote - begin));
    position_ += static_cast<std::size_t>(quote - begin) + 1;
    Count(1);
    if (!Fill() || buffer_[position_] != '"') return true;
    Count(1);
    Keep(field, "\"", 1);
    ++position_;
  }
  return false;
}

namespace {

bool EndsPlainRun(char byte) noexcept {
  static constexpr ByteSet stops(",\r\n");
  return stops.Holds(byte);
}

}  // namespace

// Unquoted text up to the comma or line end that ends the field, which is
// taken too; a CR not followed by an LF is text. Says what ended the field.
DataFileReader::FieldEnd DataFileReader::ReadPlain(Bytes& field) {
  while (Fill()) {
    const char* begin = buffer_ + position_;
    const char* end = buffer_ + filled_;
    const char* stop = begin;
    while (stop != end && !EndsPlainRun(*stop)) ++stop;
    Keep(field, begin, static_cast<std::size_t>(stop - begin));
    position_ += static_cast<std::size_t>(stop - begin);
    if (stop == end) continue;
    ++position_;
    if (*stop == ',') return FieldEnd::Comma;
    if (*stop == '\n') return FieldEnd::RecordEnd;
    if (Fill() && buffer_[position_] == '\n') {
      ++position_;
      return FieldEnd::RecordEnd;
    }
    Keep(field, "\r", 1);
  }
  return FieldEnd::FileEnd;
}

// A record that lies whole in the buffer, as nearly every record does, is
// read in place: a field is a view of the buffer, and only a quoted field with
// doubled quotes is copied, without them. False, with nothing taken, for a
// record that runs past the buffer or that the careful reading must judge (a
// CR, text after a closing quote).
bool DataFileReader::TakeRecordInBuffer() {
  const char* p = buffer_ + position_;
  const char* const end = buffer_ + filled_;
  // The line end that ends the record; one inside a quoted field moves it on.
  auto lineEndAfter = [end](const char* from) -> const char* {
    const auto* lineEnd = static_cast<const char*>(std::memchr(from, '\n', static_cast<std::size_t>(end - from)));
    if (lineEnd == nullptr || std::memchr(from, '\r', static_cast<std::size_t>(lineEnd - from)) != nullptr) return nullptr;
    return lineEnd;
  };
  const char* lineEnd = lineEndAfter(p);
  if (lineEnd == nullptr) return false;
  count_ = 0;
  bool copied = false;
  for (;;) {
    if (*p == '"') {
      const char* close = p + 1;
      bool doubled = false;
      for (;;) {
        close = static_cast<const char*>(std::memchr(close, '"', static_cast<std::size_t>(end - close)));
        if (close == nullptr || close + 1 == end) return false;
        if (close[1] != '"') break;
        doubled = true;
        close += 2;
      }
      if (close > lineEnd && (lineEnd = lineEndAfter(close)) == nullptr) return false;
      if (doubled) {
        while (fields_.GetSize() <= count_) fields_.PushNew();
        Bytes& field = fields_[count_];
        field.clear();
        for (const char* c = p + 1; c != close; ++c) {
          field.push_back(*c);
          if (*c == '"') ++c;
        }
        ViewField({});  // pointed at its copy once the record is whole
        copied = true;
      } else {
        ViewField(std::string_view(p + 1, static_cast<std::size_t>(close - p - 1)));
      }
      quoted_[count_ - 1] = true;
      p = close + 1;
    } else {
      const auto* comma = static_cast<const char*>(std::memchr(p, ',', static_cast<std::size_t>(lineEnd - p)));
      const char* stop = comma != nullptr ? comma : lineEnd;
      ViewField(std::string_view(p, static_cast<std::size_t>(stop - p)));
      p = stop;
    }
    if (p == lineEnd) break;
    if (*p != ',') return false;  // text after a closing quote
    ++p;
  }
  if (copied)
    for (Corbane::UIndex i = 0; i < count_; ++i)
      if (views_[i].data() == nullptr) views_[i] = std::string_view(fields_[i].data(), fields_[i].size());
  position_ = static_cast<std::size_t>(lineEnd + 1 - buffer_);
  return true;
}

// RFC 4180 records. Lenient where the writer is strict: a CR before the LF
// that ends a record is dropped, and text after a closing quote is kept. Not
// where it matters: a record that the end of the file cuts short, be it in a
// quoted field, is no record the writer finished, and says so.
bool DataFileReader::Next() {
  count_ = 0;
  state_ = Record::Whole;
  if (!Fill()) return false;
  if (TakeRecordInBuffer()) return true;
  count_ = 0;
  ReadRecord();
  // The fields' storage is settled only now: the array may have grown.
  for (Corbane::UIndex i = 0; i < count_; ++i) views_[i] = std::string_view(fields_[i].data(), fields_[i].size());
  return true;
}

void DataFileReader::ReadRecord() {
  recordBytes_ = 0;
  for (;;) {
    Bytes& field = NewField();
    if (buffer_[position_] == '"') {
      quoted_[count_ - 1] = true;
      ++position_;
      Count(1);
      if (!ReadQuoted(field)) return Flaw(Record::Cut);
    }
    switch (ReadPlain(field)) {
      case FieldEnd::RecordEnd: return;
      case FieldEnd::FileEnd: return Flaw(Record::Cut);
      case FieldEnd::Comma: Count(1); break;
    }
    if (!Fill()) {
      NewField();  // a comma at the very end of the file still ends a field
      return Flaw(Record::Cut);
    }
  }
}

}  // namespace quarnel
