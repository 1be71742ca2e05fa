#include "values/DataFile.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <string>

#include "Forvane/Records.hpp"

namespace quarnel {

Nostrel::Location dataFileLocation;

const char* ValueTypeWord(Int32 valueType) noexcept {
  switch (valueType) {
    case API_VariantInteger: return "Integer";
    case API_VariantReal: return "Double";
    case API_VariantString: return "String";
    case API_VariantBoolean: return "Boolean";
    default: return "";
  }
}

const char* MeasureWord(Int32 measureType) noexcept {
  switch (measureType) {
    case API_MeasureDefault: return "Default";
    case API_MeasureLength: return "Length";
    case API_MeasureArea: return "Area";
    case API_MeasureVolume: return "Volume";
    case API_MeasureAngle: return "Angle";
    default: return "";
  }
}

const char* CollectionWord(Int32 collectionType) noexcept {
  switch (collectionType) {
    case API_SingleCollection: return singleValueWord;
    case API_SingleChoiceCollection: return singleChoiceWord;
    case API_ListCollection: return listWord;
    case API_MultipleChoiceCollection: return multipleChoiceWord;
    default: return "";
  }
}

bool IsWord(const UniString& text, const char* word) noexcept {
  Corbane::UIndex i = 0;
  for (; word[i] != '\0'; ++i)
    if (i >= text.GetLength() || text[i] != static_cast<char16_t>(static_cast<unsigned char>(word[i]))) return false;
  return i == text.GetLength();
}

bool IsAscii(std::string_view bytes) noexcept {
  for (const char byte : bytes)
    if (static_cast<unsigned char>(byte) >= 0x80) return false;
  return true;
}

bool IsAsciiText(const UniString& text, std::string_view bytes) noexcept {
  if (text.GetLength() != bytes.size()) return false;
  for (Corbane::UIndex i = 0; i < text.GetLength(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte >= 0x80 || text[i] != byte) return false;
  }
  return true;
}

UniString RowKey(const UniString& groupName, const UniString& propertyName) {
  UniString key;
  for (Corbane::UIndex i = 0; i < groupName.GetLength(); ++i) {
    if (groupName[i] == u':' || groupName[i] == u'\\') key.Append(u'\\');
    key.Append(groupName[i]);
  }
  key.Append(u':');
  key.Append(propertyName);
  return key;
}

namespace {

// A set of bytes looked up in one step, for the scans that every field of
// every record goes through.
class ByteSet {
 public:
  constexpr explicit ByteSet(std::string_view bytes) {
    for (const char byte : bytes) members_[static_cast<unsigned char>(byte)] = true;
  }
  constexpr void Add(char byte) noexcept { members_[static_cast<unsigned char>(byte)] = true; }
  constexpr bool Holds(char byte) const noexcept { return members_[static_cast<unsigned char>(byte)]; }

 private:
  std::array<bool, 256> members_{};
};

// The bytes that are not plain ASCII, and `more`.
constexpr ByteSet WideBytesAnd(std::string_view more) {
  ByteSet set(more);
  for (int byte = 0x80; byte < 0x100; ++byte) set.Add(static_cast<char>(byte));
  return set;
}

enum class Escape { GroupName, None };

bool IsHighSurrogate(Corbane::UInt32 unit) noexcept { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(Corbane::UInt32 unit) noexcept { return unit >= 0xDC00 && unit <= 0xDFFF; }

bool NeedsEscape(char c, Escape escape) noexcept { return escape == Escape::GroupName && (c == ':' || c == '\\'); }

void AppendKeyByte(Bytes& key, Corbane::UInt32 byte) { key.push_back(static_cast<char>(byte)); }

void AppendKeyAscii(Bytes& key, char c, Escape escape) {
  if (NeedsEscape(c, escape)) key.push_back('\\');
  key.push_back(c);
}

// The common case in one pass: a name of plain ASCII with nothing to escape,
// one byte per unit. False, with nothing appended, for any other name.
bool AppendPlainAscii(Bytes& key, const Corbane::UniChar* units, Corbane::UIndex length, Escape escape) {
  const std::size_t start = key.size();
  key.resize(start + length);
  char* out = key.data() + start;
  for (Corbane::UIndex i = 0; i < length; ++i) {
    if (units[i] >= 0x80 || NeedsEscape(static_cast<char>(units[i]), escape)) {
      key.resize(start);
      return false;
    }
    out[i] = static_cast<char>(units[i]);
  }
  return true;
}

// UTF-8, the default character code, unit by unit; a lone surrogate as 0xFF
// and its two bytes, which no UTF-8 text holds.
void AppendKeyName(Bytes& key, const UniString& name, Escape escape) {
  const Corbane::UIndex length = name.GetLength();
  if (AppendPlainAscii(key, name.GetData(), length, escape)) return;
  for (Corbane::UIndex i = 0; i < length; ++i) {
    Corbane::UInt32 c = name[i];
    if (c < 0x80) {
      AppendKeyAscii(key, static_cast<char>(c), escape);
    } else if (c < 0x800) {
      AppendKeyByte(key, 0xC0 | (c >> 6));
      AppendKeyByte(key, 0x80 | (c & 0x3F));
    } else if (IsHighSurrogate(c) && i + 1 < length && IsLowSurrogate(name[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (name[++i] - 0xDC00u);
      AppendKeyByte(key, 0xF0 | (c >> 18));
      AppendKeyByte(key, 0x80 | ((c >> 12) & 0x3F));
      AppendKeyByte(key, 0x80 | ((c >> 6) & 0x3F));
      AppendKeyByte(key, 0x80 | (c & 0x3F));
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      AppendKeyByte(key, 0xFF);
      AppendKeyByte(key, c >> 8);
      AppendKeyByte(key, c & 0xFF);
    } else {
      AppendKeyByte(key, 0xE0 | (c >> 12));
      AppendKeyByte(key, 0x80 | ((c >> 6) & 0x3F));
      AppendKeyByte(key, 0x80 | (c & 0x3F));
    }
  }
}

// Plain ASCII, as nearly every name is, is its own key text; anything else is
// read as text first, so that bytes the text reading replaces key as it does.
void AppendKeyName(Bytes& key, std::string_view name, Escape escape) {
  static constexpr ByteSet groupStops = WideBytesAnd(":\\");
  static constexpr ByteSet propertyStops = WideBytesAnd("");
  const ByteSet& stops = escape == Escape::GroupName ? groupStops : propertyStops;
  const auto stop = std::find_if(name.begin(), name.end(), [&stops](char c) { return stops.Holds(c); });
  if (stop == name.end()) {
    key.append(name);
    return;
  }
  if (!IsAscii(name.substr(static_cast<std::size_t>(stop - name.begin())))) {
    AppendKeyName(key, UniString(name.data(), static_cast<Corbane::UIndex>(name.size()), Corbane::CC_Default), escape);
    return;
  }
  for (const char c : name) AppendKeyAscii(key, c, escape);
}

template <class Name>
void BuildRowKey(Bytes& key, const Name& groupName, const Name& propertyName) {
  key.clear();
  AppendKeyName(key, groupName, Escape::GroupName);
  key.push_back(':');
  AppendKeyName(key, propertyName, Escape::None);
}

}  // namespace

void SetRowKey(Bytes& key, std::string_view groupName, std::string_view propertyName) {
  BuildRowKey(key, groupName, propertyName);
}

void SetRowKey(Bytes& key, const UniString& groupName, const UniString& propertyName) {
  BuildRowKey(key, groupName, propertyName);
}

void SetRowKey(Bytes& key, const UniString& rowKey) {
  key.clear();
  AppendKeyName(key, rowKey, Escape::None);
}

void SplitRowKey(std::string_view key, Bytes& groupName, Bytes& propertyName) {
  groupName.clear();
  std::size_t at = 0;
  for (; at < key.size() && key[at] != ':'; ++at) {
    if (key[at] == '\\' && at + 1 < key.size()) ++at;
    groupName.push_back(key[at]);
  }
  propertyName.assign(key.substr(std::min(at + 1, key.size())));
}

Corbane::CStr Narrow(const UniString& text) { return text.ToCStr(0, Corbane::MaxUIndex, Corbane::CC_Default, 0); }

void NarrowInto(Bytes& out, const UniString& text) {
  out.clear();
  if (AppendPlainAscii(out, text.GetData(), text.GetLength(), Escape::None)) return;
  const Corbane::CStr bytes = Narrow(text);
  out.assign(bytes.Get(), bytes.GetLength());
}

Corbane::CStr PathText(const Nostrel::Location& location) { return Narrow(location.ToDisplayText()); }

void AppendCsvField(Bytes& record, std::string_view field, bool quote) {
  static constexpr ByteSet quoted(",\"\r\n");
  if (!quote && std::none_of(field.begin(), field.end(), [](char byte) { return quoted.Holds(byte); })) {
    record.append(field);
    return;
  }
  record.push_back('"');
  for (char c : field) {
    if (c == '"') record.push_back('"');
    record.push_back(c);
  }
  record.push_back('"');
}

void SetDefinitionFields(Bytes& out, std::string_view groupName, std::string_view propertyName,
                         std::string_view valueTypeWord, std::string_view measureWord, std::string_view collectionWord) {
  out.clear();
  AppendCsvField(out, groupName);
  for (const std::string_view field : {propertyName, valueTypeWord, measureWord, collectionWord}) {
    out.push_back(',');
    AppendCsvField(out, field);
  }
}

void AppendNestedItem(Bytes& record, std::string_view item) {
  // The record's first item follows nothing; every later one a comma. An
  // empty first item is written "" and so never looks like no item.
  if (!record.empty()) record.push_back(',');
  AppendCsvField(record, item, item.empty());
}

bool SplitNestedRecord(std::string_view record, Array<Bytes>& items, Corbane::UIndex& count) {
  count = 0;
  if (record.empty()) return true;
  for (std::size_t at = 0;;) {
    if (count == items.GetSize()) items.PushNew();
    Bytes& item = items[count++];
    item.clear();
    if (at < record.size() && record[at] == '"') {
      for (++at;; ++at) {
        if (at >= record.size()) return false;
        if (record[at] == '"') {
          if (at + 1 < record.size() && record[at + 1] == '"') {
            ++at;
          } else {
            ++at;
            break;
          }
        }
        item.push_back(record[at]);
      }
    }
    const std::size_t comma = std::min(record.find(',', at), record.size());
    item.append(record.substr(at, comma - at));  // text after a closing quote is kept, as in the file
    if (comma == record.size()) return true;
    at = comma + 1;
  }
}

// ---- writer ----

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

// ---- reader ----

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

UniString DataFileReader::FieldText(Corbane::UIndex i) const {
  return UniString(views_[i].data(), static_cast<Corbane::UIndex>(views_[i].size()), Corbane::CC_Default);
}

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
