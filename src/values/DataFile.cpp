#include "values/DataFile.hpp"

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
    default: return "";
  }
}

bool IsWord(const UniString& text, const char* word) noexcept {
  Corbane::UIndex i = 0;
  for (; word[i] != '\0'; ++i)
    if (i >= text.GetLength() || text[i] != static_cast<char16_t>(static_cast<unsigned char>(word[i]))) return false;
  return i == text.GetLength();
}

void SetRowKey(UniString& key, const UniString& groupName, const UniString& propertyName) {
  key.Delete(0, key.GetLength());
  key.Append(groupName);
  key.Append(u':');
  key.Append(propertyName);
}

UniString RowKey(const UniString& groupName, const UniString& propertyName) {
  UniString key;
  SetRowKey(key, groupName, propertyName);
  return key;
}

Corbane::CStr Narrow(const UniString& text) { return text.ToCStr(0, Corbane::MaxUIndex, Corbane::CC_Default, 0); }

Corbane::CStr PathText(const Nostrel::Location& location) { return Narrow(location.ToDisplayText()); }

void AppendCsvField(Bytes& record, std::string_view field) {
  if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
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

// ---- writer ----

bool DataFileWriter::Open(const Nostrel::Location& location) {
  Close();
  failed_ = false;
  const Corbane::CStr path = PathText(location);
  if (path.GetLength() == 0) return false;
  file_ = std::fopen(path.Get(), "w");
  return file_ != nullptr;
}

bool DataFileWriter::Write(const std::string_view (&fields)[valueRowFieldCount]) {
  if (file_ == nullptr) return false;
  record_.clear();
  for (Corbane::UIndex i = 0; i < valueRowFieldCount; ++i) {
    if (i > 0) record_.push_back(',');
    AppendCsvField(record_, fields[i]);
  }
  record_.push_back('\n');
  // Not flushed per record: the file matters only once the export has
  // closed it, and Close reports anything that did not reach it.
  const bool written = std::fwrite(record_.data(), 1, record_.size(), file_) == record_.size();
  if (!written) failed_ = true;
  return written;
}

bool DataFileWriter::Close() noexcept {
  if (file_ != nullptr) {
    const bool lost = std::ferror(file_) != 0;
    if (std::fclose(file_) != 0 || lost) failed_ = true;
  }
  file_ = nullptr;
  return !failed_;
}

// ---- reader ----

bool DataFileReader::Open(const Nostrel::Location& location) {
  Close();
  const Corbane::CStr path = PathText(location);
  if (path.GetLength() == 0) return false;
  file_ = std::fopen(path.Get(), "r");
  return file_ != nullptr;
}

void DataFileReader::Close() noexcept {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  filled_ = position_ = 0;
  count_ = 0;
}

UniString DataFileReader::FieldText(Corbane::UIndex i) const {
  return UniString(fields_[i].data(), static_cast<Corbane::UIndex>(fields_[i].size()), Corbane::CC_Default);
}

int DataFileReader::PeekByte() {
  if (position_ == filled_) {
    if (file_ == nullptr) return EOF;
    filled_ = std::fread(buffer_, 1, sizeof buffer_, file_);
    position_ = 0;
    if (filled_ == 0) return EOF;
  }
  return static_cast<unsigned char>(buffer_[position_]);
}

int DataFileReader::NextByte() {
  const int c = PeekByte();
  if (c != EOF) ++position_;
  return c;
}

Bytes& DataFileReader::NewField() {
  if (count_ == fields_.GetSize()) fields_.PushNew();
  Bytes& field = fields_[count_++];
  field.clear();
  return field;
}

// RFC 4180 records. Lenient where the writer is strict: a CR before the LF
// that ends a record is dropped, text after a closing quote is kept, and an
// unterminated quoted field at the end of the file keeps what it holds.
bool DataFileReader::Next() {
  count_ = 0;
  int c = NextByte();
  if (c == EOF) return false;
  Bytes* field = &NewField();
  bool quoted = false;
  for (; c != EOF; c = NextByte()) {
    if (quoted) {
      if (c != '"') {
        field->push_back(static_cast<char>(c));
      } else if (PeekByte() == '"') {
        field->push_back('"');
        NextByte();
      } else {
        quoted = false;
      }
    } else if (c == '"' && field->empty()) {
      quoted = true;
    } else if (c == ',') {
      field = &NewField();
    } else if (c == '\n') {
      break;
    } else if (c == '\r' && PeekByte() == '\n') {
      NextByte();
      break;
    } else {
      field->push_back(static_cast<char>(c));
    }
  }
  return true;
}

}  // namespace quarnel
