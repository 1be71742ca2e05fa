// The data file's reader: records in the form DataFile.hpp gives, field by
// field, with a record that the file cuts short or that is too long told
// apart from a whole one.
#pragma once

#include <cstddef>
#include <string_view>

#include "Corbane/Corbane.hpp"
#include "Nostrel/Nostrel.hpp"
#include "values/DataFile.hpp"
#include "values/DataFileHold.hpp"
#include "values/Narrow.hpp"

namespace quarnel {

// Reads the file record by record; a quoted field may span lines. The fields
// of the last record read stay valid until the next one is read. Runs of
// plain bytes are found in the buffer and taken whole, since the file holds
// one record per element property of the whole project.
class DataFileReader {
 public:
  enum class Opened { Yes, No, NotRegular };
  // A record is whole when it ends with its line end and is no longer than
  // maxRecordBytes. A cut one (the file ends inside it) or a longer one is
  // given with the fields read up to its flaw, so that it can be named.
  enum class Record { Whole, Cut, TooLong };

  DataFileReader() = default;
  DataFileReader(const DataFileReader&) = delete;
  DataFileReader& operator=(const DataFileReader&) = delete;
  ~DataFileReader() { Close(); }

  // Opens without following a link and without waiting on a FIFO or a
  // device; only a regular file is read.
  Opened Open(const Nostrel::Location& location);
  const FileIdentity& Identity() const noexcept { return identity_; }
  // Reads the next record; false at the end of the file.
  bool Next();
  Record State() const noexcept { return state_; }
  // How many of the fields, from the first, the record holds unharmed.
  Corbane::UIndex WholeFieldCount() const noexcept { return state_ == Record::Whole ? count_ : wholeFields_; }
  // False when reading stopped at a failure before the end of the file.
  bool ReadToTheEnd() const noexcept { return !readFailed_; }
  Corbane::UIndex FieldCount() const noexcept { return count_; }
  std::string_view Field(Corbane::UIndex i) const noexcept { return views_[i]; }
  // Whether the field stood in quotes: an empty quoted field is an empty text,
  // an empty unquoted one no text at all.
  bool FieldQuoted(Corbane::UIndex i) const noexcept { return quoted_[i]; }
  UniString FieldText(Corbane::UIndex i) const;
  void Close() noexcept;

 private:
  enum class FieldEnd { Comma, RecordEnd, FileEnd };

  // Makes sure an unread byte is in the buffer; false at the end of the file.
  bool Fill();
  Bytes& NewField();
  void ViewField(std::string_view field) {
    if (count_ == views_.GetSize()) {
      views_.Push(field);
      quoted_.Push(false);
    } else {
      views_[count_] = field;
      quoted_[count_] = false;
    }
    ++count_;
  }
  bool TakeRecordInBuffer();
  void ReadRecord();
  bool ReadQuoted(Bytes& field);
  FieldEnd ReadPlain(Bytes& field);
  bool Count(std::size_t size) noexcept;
  void Keep(Bytes& field, const char* bytes, std::size_t size);
  void Flaw(Record state) noexcept;

  int file_ = -1;
  FileIdentity identity_;
  bool atEnd_ = false;
  bool readFailed_ = false;
  char buffer_[16384] = {};
  // A record read in place is never one too long to take.
  static_assert(sizeof buffer_ <= maxRecordBytes);
  std::size_t filled_ = 0;
  std::size_t position_ = 0;
  // A record that lies whole in the buffer is read in place; any other is
  // copied into fields_, kept from record to record so that their storage is
  // reused. views_ and quoted_ hold every field of the record read last.
  Array<Bytes> fields_;
  Array<std::string_view> views_;
  Array<bool> quoted_;
  Corbane::UIndex count_ = 0;
  Record state_ = Record::Whole;
  Corbane::UIndex wholeFields_ = 0;
  std::size_t recordBytes_ = 0;  // of the record being copied, as the file holds them
};

}  // namespace quarnel
