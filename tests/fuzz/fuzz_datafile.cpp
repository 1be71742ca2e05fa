// The property-value data file, from both sides.
//
// The input is first taken as a data file that anyone may have left in the
// data folder: the reader must get through it, only its last record may be
// cut short, and the whole records of seven fields that it reads must come
// back unchanged when written and read again.
// Then the input is taken as a list of records to write: whatever the fields
// hold (separators, quotes, line ends, zero bytes, broken UTF-8), the reader
// gives back exactly the bytes the writer wrote, record for record.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.hpp"
#include "values/DataFileReader.hpp"
#include "values/DataFileWriter.hpp"

namespace {

using Record = std::vector<std::string>;

constexpr std::size_t maxRecordsPerInput = 64;

// One scratch file per fuzzing process, made and removed by every input
// (libFuzzer ends the process without running exit handlers).
const std::string& ScratchPath() {
  static const std::string path = [] {
    const char* folder = std::getenv("TMPDIR");
    return std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") + "/quarnel_fuzz_datafile_" +
           std::to_string(::getpid()) + ".csv";
  }();
  return path;
}

Nostrel::Location ScratchFile() { return Nostrel::Location(Corbane::UniString(ScratchPath().c_str())); }

void WriteBytes(const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(ScratchPath().c_str(), "wb");
  FUZZ_CHECK(file != nullptr, "the scratch file cannot be written");
  if (size > 0) FUZZ_CHECK(std::fwrite(data, 1, size, file) == size, "the scratch file is short");
  std::fclose(file);
}

// The whole records; `cut` tells whether the last one read was cut short.
std::vector<Record> ReadAll(bool& cut) {
  quarnel::DataFileReader reader;
  FUZZ_CHECK(reader.Open(ScratchFile()) == quarnel::DataFileReader::Opened::Yes,
             "the reader cannot open a file that exists");
  std::vector<Record> records;
  cut = false;
  while (reader.Next()) {
    FUZZ_CHECK(!cut, "a record cut short is not the last");
    FUZZ_CHECK(reader.FieldCount() >= 1, "a record without a field");
    FUZZ_CHECK(reader.State() != quarnel::DataFileReader::Record::TooLong, "a record too long from a short input");
    cut = reader.State() == quarnel::DataFileReader::Record::Cut;
    FUZZ_CHECK(reader.WholeFieldCount() <= reader.FieldCount(), "more whole fields than fields");
    if (cut) continue;
    Record record;
    for (Corbane::UIndex i = 0; i < reader.FieldCount(); ++i) {
      record.emplace_back(reader.Field(i));
      // Whatever the bytes, they turn into text (broken UTF-8 as U+FFFD).
      FUZZ_CHECK(reader.FieldText(i).GetLength() <= record.back().size(), "a field's text is longer than its bytes");
    }
    records.push_back(std::move(record));
  }
  return records;
}

void WriteAll(const std::vector<Record>& records) {
  quarnel::DataFileWriter writer;
  FUZZ_CHECK(writer.Open(ScratchFile()), "the writer cannot create the scratch file");
  for (const Record& record : records) {
    quarnel::Bytes definition;
    quarnel::SetDefinitionFields(definition, record[1], record[2], record[3], record[4], record[5]);
    FUZZ_CHECK(writer.Write(record[0], definition, record[6]), "the writer refused a record");
  }
  FUZZ_CHECK(writer.Close(), "the writer lost what it wrote");
}

void ExpectReadBack(const std::vector<Record>& written) {
  bool cut = false;
  const std::vector<Record> records = ReadAll(cut);
  FUZZ_CHECK(!cut, "a record the writer wrote reads as cut short");
  FUZZ_CHECK(records.size() == written.size(), "the reader did not give back as many records as were written");
  for (std::size_t i = 0; i < written.size(); ++i)
    FUZZ_CHECK(records[i] == written[i], "a record read back differs from the one written");
}

void ReadsWhateverIsLeftInItsPlace(const std::uint8_t* data, std::size_t size) {
  WriteBytes(data, size);
  bool cut = false;
  const std::vector<Record> records = ReadAll(cut);
  FUZZ_CHECK(records.size() <= size, "more records than bytes");
  std::vector<Record> rows;
  for (const Record& record : records)
    if (record.size() == quarnel::valueRowFieldCount) rows.push_back(record);
  WriteAll(rows);
  ExpectReadBack(rows);
}

void GivesBackWhatWasWritten(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  std::vector<Record> records;
  while (input.remaining_bytes() > 0 && records.size() < maxRecordsPerInput) {
    Record fields;
    for (Corbane::UIndex i = 0; i < quarnel::valueRowFieldCount; ++i)
      fields.push_back(input.ConsumeRandomLengthString(256));
    records.push_back(std::move(fields));
  }
  WriteAll(records);
  ExpectReadBack(records);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ReadsWhateverIsLeftInItsPlace(data, size);
  GivesBackWhatWasWritten(data, size);
  std::remove(ScratchPath().c_str());
  return 0;
}
