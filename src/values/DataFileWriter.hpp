// The data file's writer: records in the form DataFile.hpp gives, gathered
// and written in large blocks, with every record that may not have reached
// the file told to the caller.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "Corbane/Corbane.hpp"
#include "Nostrel/Nostrel.hpp"
#include "values/DataFile.hpp"
#include "values/DataFileHold.hpp"
#include "values/Narrow.hpp"

namespace quarnel {

// Creates the file afresh and writes records. Records are gathered in a
// buffer and written in large blocks; each record's end in the buffer is
// kept, so that when a write fails the records that may not be in the file
// are known exactly. The file is then cut back to its last whole record, and
// nothing more is written to it.
class DataFileWriter {
 public:
  enum class Loss { WriteFailed, TooLong };
  // Told of every record that may not be in the file, in file order, with
  // its text without the line end.
  class LostRecords {
   public:
    virtual ~LostRecords() = default;
    virtual void Lost(std::string_view record, Loss why) noexcept = 0;
  };

  explicit DataFileWriter(LostRecords* lost = nullptr) noexcept : lost_(lost) {}
  DataFileWriter(const DataFileWriter&) = delete;
  DataFileWriter& operator=(const DataFileWriter&) = delete;
  ~DataFileWriter() { Close(); }

  // Removes whatever stands at the location without following it, and
  // creates a new regular file there, exclusively, without following a link,
  // readable and writable by its owner alone.
  bool Open(const Nostrel::Location& location);
  // The file that Open created, while it is open; -1 before and after.
  int Descriptor() const noexcept { return file_; }
  const FileIdentity& Identity() const noexcept { return identity_; }
  // One record and its line end: the element guid text, the definition's five
  // fields in their CSV form (DefinitionFields), and the value field;
  // `quoteValue` puts the value field in quotes whatever it holds. False when
  // the record is refused at once (told to LostRecords too, when the file is open).
  bool Write(std::string_view elementGuidText, std::string_view definitionFields, std::string_view value,
             bool quoteValue = false);
  // False when the file may lack a record that LostRecords was not told of.
  bool Close() noexcept;

 private:
  void Flush() noexcept;

  int file_ = -1;
  FileIdentity identity_;
  LostRecords* lost_;
  Bytes buffer_;
  // The end, just past its line end, of each record in the buffer.
  std::vector<std::size_t, Corbane::Allocator<std::size_t>> ends_;
  std::size_t flushed_ = 0;  // bytes of whole records in the file
  bool failed_ = false;   // a write failed: nothing more goes to the file
  bool lostAny_ = false;  // something handed in may not be in the file
};

}  // namespace quarnel
