// The property-value data file: the plug-in's own scratch file that carries
// the values elements hold for their IFC properties across the deletion and
// re-import of the IFC property groups, within one run.
//
// One record per element property, seven fields: element guid text, group
// name, property name, value type word, measure word, collection word, value.
// Records are CSV: a field that holds a comma, a double quote, a CR or an LF
// is put in double quotes with each inner quote doubled, so that any name or
// text travels unchanged; a record ends with one LF. All records of an element
// are consecutive. No header, no blank records; an empty file is valid.
//
// The value field carries the value as the host stores it: an integer in
// decimal, a real as the shortest text that reads back to the same double (in
// the stored unit, whatever the measure word says), a boolean as True or
// False, a text as it is, a choice as its option's shown value. The items of
// a list or a multiple choice form a record of their own, nested in the field.
// Three forms tell the value's status: an unquoted empty field is a value the
// user cleared, the bare word Undefined a value left undefined, and anything
// else, quoted or not, a value; so an empty text, an empty list and a text
// that reads Undefined are written in quotes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "Corbane/Corbane.hpp"
#include "Nostrel/Nostrel.hpp"
#include "values/DataFileHold.hpp"

namespace quarnel {

using Corbane::Array;
using Corbane::Int32;
using Corbane::UniString;

// Where the data file lives. Set by the export on every run (special folder 4,
// then the file name); the import reads and deletes the file at the place the
// export of the same run set.
extern Nostrel::Location dataFileLocation;
inline constexpr const char* dataFileName = "IFC+SG_Properties.csv";

// The words of a record, by the definition's codes; "" for a code without a word.
const char* ValueTypeWord(Int32 valueType) noexcept;
const char* MeasureWord(Int32 measureType) noexcept;
const char* CollectionWord(Int32 collectionType) noexcept;

inline constexpr const char* singleValueWord = "SingleValue";
inline constexpr const char* singleChoiceWord = "SingleValueFromCollection";
inline constexpr const char* listWord = "ListValue";
inline constexpr const char* multipleChoiceWord = "MultipleValuesFromCollection";
// The unquoted value field of a value the user left undefined.
inline constexpr std::string_view undefinedValueWord = "Undefined";

// Exact comparison of a text with a word of plain ASCII, without a conversion.
bool IsWord(const UniString& text, const char* word) noexcept;

// 8-bit text as the file holds it (the default character code).
using Bytes = std::basic_string<char, std::char_traits<char>, Corbane::Allocator<char>>;
Corbane::CStr Narrow(const UniString& text);
// The same 8-bit form written into `out`, which keeps its storage.
void NarrowInto(Bytes& out, const UniString& text);
bool IsAscii(std::string_view bytes) noexcept;
// Whether `text` is `bytes` of plain ASCII, one code unit per byte.
bool IsAsciiText(const UniString& text, std::string_view bytes) noexcept;

// The key that finds a record's property again after the re-import: group
// name + ":" + property name, with a backslash written before each ":" and
// each backslash of the group name, so that the first bare ":" ends the group
// name and two different pairs of names never share a key. Names without
// either character give plain group + ":" + property.
UniString RowKey(const UniString& groupName, const UniString& propertyName);

// The same key in the 8-bit form in which the import compares it, made from a
// record's names as the file holds them or from a definition's names as the
// host gives them; both sides build it with one function. A name is written
// in the default character code as its text reads, so bytes that are not
// plain ASCII are read as text first. A lone surrogate of a host name, which
// no text read from the file holds, becomes the byte 0xFF and the unit's two
// bytes, so that it matches only itself. `key` keeps its storage.
void SetRowKey(Bytes& key, std::string_view groupName, std::string_view propertyName);
void SetRowKey(Bytes& key, const UniString& groupName, const UniString& propertyName);
// A whole key made by RowKey, in that 8-bit form.
void SetRowKey(Bytes& key, const UniString& rowKey);
// The group and property names back from a key in its 8-bit form.
void SplitRowKey(std::string_view key, Bytes& groupName, Bytes& propertyName);

inline constexpr Corbane::UIndex valueRowFieldCount = 7;

// Appends one field in its CSV form: in double quotes, inner quotes doubled,
// when it holds a comma, a double quote, a CR or an LF, or when `quote` asks
// for it. All four are ASCII, so quoting the 8-bit form is quoting the text.
void AppendCsvField(Bytes& record, std::string_view field, bool quote = false);

// The five fields that a record's definition gives it, in their CSV form and
// joined by commas: group name, property name, value type word, measure word,
// collection word. The same for every record of the definition, so the export
// makes them once.
void SetDefinitionFields(Bytes& out, std::string_view groupName, std::string_view propertyName,
                         std::string_view valueTypeWord, std::string_view measureWord, std::string_view collectionWord);

// The items of a list or a multiple choice as one nested record: CSV fields
// joined by commas, an empty item always in quotes, so that no items at all
// (an empty record) and one empty item ("") stay apart.
void AppendNestedItem(Bytes& record, std::string_view item);
// Splits a nested record into its items, kept in `items` (whose storage is
// reused); false, with `count` undefined, when a quote is left open.
bool SplitNestedRecord(std::string_view record, Array<Bytes>& items, Corbane::UIndex& count);

// The 8-bit path text of a location, as both sides open the file.
Corbane::CStr PathText(const Nostrel::Location& location);

// The longest record, its line end not counted, that the writer writes and
// the reader takes: far beyond any value a person sets, and short enough that
// a file that never ends a record cannot exhaust the host's memory.
inline constexpr std::size_t maxRecordBytes = 8u << 20;

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
