// The data file's text form: what the writer puts down, the reader gives back
// field for field, whatever the names and texts hold.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

#include "values/DataFileReader.hpp"
#include "values/DataFileWriter.hpp"
#include "values_fixture.hpp"

namespace {

using Corbane::UniString;
using quarnel::DataFileReader;
using quarnel::DataFileWriter;
using testing_support::ReadText;
using testing_support::ScratchFolder;
using testing_support::WriteText;
using Record = std::vector<std::string>;

Nostrel::Location At(const values_test::fs::path& file) { return Nostrel::Location(UniString(file.string().c_str())); }

Record Row(const std::string& group, const std::string& property, const std::string& value) {
  return {"0A1B2C3D-0000-4000-8000-00000000000F", group, property, "String", "Default", "SingleValue", value};
}

bool Write(DataFileWriter& writer, const Record& row) {
  quarnel::Bytes definition;
  quarnel::SetDefinitionFields(definition, row[1], row[2], row[3], row[4], row[5]);
  return writer.Write(row[0], definition, row[6]);
}

// Each record's fields; a record the reader finds flawed gets a last field
// that says how, with the count of its whole fields.
std::vector<Record> ReadAll(const values_test::fs::path& file) {
  DataFileReader reader;
  EXPECT_EQ(reader.Open(At(file)), DataFileReader::Opened::Yes);
  std::vector<Record> records;
  while (reader.Next()) {
    Record record;
    for (Corbane::UIndex i = 0; i < reader.FieldCount(); ++i) record.emplace_back(reader.Field(i));
    if (reader.State() != DataFileReader::Record::Whole)
      record.push_back((reader.State() == DataFileReader::Record::Cut ? "<cut after " : "<too long after ") +
                       std::to_string(reader.WholeFieldCount()) + ">");
    records.push_back(record);
  }
  return records;
}

std::string CsvField(std::string_view field) {
  quarnel::Bytes record;
  quarnel::AppendCsvField(record, field);
  return std::string(record.data(), record.size());
}

TEST(DataFileForm, FieldsAreQuotedOnlyWhenTheyHoldSeparatorsQuotesOrLineEnds) {
  EXPECT_EQ(CsvField("Pset_WallCommon"), "Pset_WallCommon");
  EXPECT_EQ(CsvField(""), "");
  EXPECT_EQ(CsvField("a; b"), "a; b");
  EXPECT_EQ(CsvField("a, b"), "\"a, b\"");
  EXPECT_EQ(CsvField("2\" pipe"), "\"2\"\" pipe\"");
  EXPECT_EQ(CsvField("one\ntwo"), "\"one\ntwo\"");
  EXPECT_EQ(CsvField("one\rtwo"), "\"one\rtwo\"");
  ScratchFolder folder;
  {
    DataFileWriter writer;
    ASSERT_TRUE(writer.Open(At(values_test::DataFileIn(folder))));
    EXPECT_TRUE(Write(writer, Row("Pset_X", "Name", "1,250")));
  }
  EXPECT_EQ(ReadText(values_test::DataFileIn(folder)),
            "0A1B2C3D-0000-4000-8000-00000000000F,Pset_X,Name,String,Default,SingleValue,\"1,250\"\n");
}

TEST(DataFileForm, EveryRowReadsBackFieldForField) {
  ScratchFolder folder;
  const std::vector<Record> rows = {
      Row("Pset_WallCommon", "FireRating", "a, b"),
      Row("Pset_Odd, Group", "Name \"quoted\"", "\"starts with a quote"),
      Row("SGPset_Lines", "Two\nlines", "CR\r\nLF and \r alone"),
      Row("Pset_Empty", "", ""),
      Row("Pset_Übersicht", "Größe", "直径 ∅ 😀"),
      Row("Pset_Long", "Text", std::string(10000, 'x') + ",\"" + std::string(10, 'y')),
      Row("Pset_Commas", ",,,", ",,,,,,,,"),
  };
  {
    DataFileWriter writer;
    ASSERT_TRUE(writer.Open(At(values_test::DataFileIn(folder))));
    for (const Record& row : rows) EXPECT_TRUE(Write(writer, row));
  }
  const auto records = ReadAll(values_test::DataFileIn(folder));
  ASSERT_EQ(records.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(records[i], rows[i]) << "row " << i;
}

TEST(DataFileForm, ReaderAcceptsWhatOtherHandsMayLeaveButNoRecordCutShort) {
  ScratchFolder folder;
  using R = Record;
  const std::vector<std::pair<std::string, std::vector<Record>>> cases = {
      {"a,b\r\n\nc,\"d\"\"\",e\r\n\"unterminated,f\ng",
       {R{"a", "b"}, R{""}, R{"c", "d\"", "e"}, R{"unterminated,f\ng", "<cut after 0>"}}},
      {"", {}},
      {"last,record,without,line,end", {R{"last", "record", "without", "line", "end", "<cut after 4>"}}},
      {"a,\"b\"", {R{"a", "b", "<cut after 1>"}}},
      {"a,b,", {R{"a", "b", "", "<cut after 2>"}}},
      {"a,b\r", {R{"a", "b\r", "<cut after 1>"}}},
  };
  for (const auto& [text, records] : cases) {
    WriteText(values_test::DataFileIn(folder), text);
    EXPECT_EQ(ReadAll(values_test::DataFileIn(folder)), records) << text;
  }
}

// The writer writes a record of exactly the longest length and refuses a
// longer one, and goes on with the next.
TEST(DataFileForm, ARecordLongerThanTheWriterWritesIsRefusedOnBothSides) {
  struct Told final : DataFileWriter::LostRecords {
    void Lost(std::string_view record, DataFileWriter::Loss why) noexcept override {
      lost.push_back({record.size(), why});
    }
    std::vector<std::pair<std::size_t, DataFileWriter::Loss>> lost;
  } told;
  ScratchFolder folder;
  Record longest = Row("Pset_X", "Y", "");
  std::size_t rest = 0;
  for (const std::string& field : longest) rest += field.size() + 1;
  longest[6] = std::string(quarnel::maxRecordBytes - (rest - 1), 'v');
  Record longer = longest;
  longer[6] += "w";
  {
    DataFileWriter writer(&told);
    ASSERT_TRUE(writer.Open(At(values_test::DataFileIn(folder))));
    EXPECT_TRUE(Write(writer, longest));
    EXPECT_FALSE(Write(writer, longer));
    EXPECT_TRUE(Write(writer, Row("Pset_X", "Z", "after")));
    EXPECT_FALSE(writer.Close());
  }
  EXPECT_THAT(told.lost, testing::ElementsAre(std::pair{quarnel::maxRecordBytes + 1, DataFileWriter::Loss::TooLong}));
  EXPECT_THAT(ReadAll(values_test::DataFileIn(folder)), testing::ElementsAre(longest, Row("Pset_X", "Z", "after")));
}

// The reader takes the file in blocks: records, quotes, doubled quotes and
// CR LF pairs that straddle a block's end read as any other.
TEST(DataFileForm, RecordsReadTheSameWhereverTheyFallInTheReadersBlocks) {
  ScratchFolder folder;
  std::string text;
  std::vector<Record> expected;
  for (int i = 0; i < 3000; ++i) {
    const std::string plain(static_cast<std::size_t>(i % 23), static_cast<char>('a' + i % 26));
    Record record{std::to_string(i), plain, "Pset_" + std::to_string(i * 7)};
    text += record[0] + "," + record[1] + "," + record[2];
    if (i % 5 == 0) {
      record.push_back("q\"" + plain + "\n,");
      text += ",\"q\"\"" + plain + "\n,\"";
    }
    text += i % 3 == 0 ? "\r\n" : "\n";
    expected.push_back(record);
  }
  WriteText(values_test::DataFileIn(folder), text);
  const auto records = ReadAll(values_test::DataFileIn(folder));
  ASSERT_EQ(records.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(records[i], expected[i]) << "record " << i;
}

TEST(DataFileForm, OpeningFailsCleanly) {
  ScratchFolder folder;
  DataFileReader reader;
  EXPECT_EQ(reader.Open(At(folder.path() / "missing.csv")), DataFileReader::Opened::No);
  EXPECT_FALSE(reader.Next());
  EXPECT_EQ(reader.Open(Nostrel::Location()), DataFileReader::Opened::No);

  DataFileWriter writer;
  EXPECT_FALSE(writer.Open(At(folder.path() / "no" / "such.csv")));
  EXPECT_FALSE(Write(writer, Row("Pset_X", "Y", "z")));
  EXPECT_FALSE(writer.Open(Nostrel::Location()));
}

// Whatever stands at the name is taken away without following it, and the
// file is a new regular file of its owner's alone; the reader reads nothing
// but a regular file, and never waits on a FIFO or reads a device.
TEST(DataFileSafety, TheFileIsAlwaysANewRegularFileAndNothingElseIsRead) {
  namespace fs = values_test::fs;
  ScratchFolder folder;
  const fs::path victim = folder.path() / "victim.txt";
  struct Case {
    const char* what;
    std::function<void(const fs::path&)> place;
    DataFileReader::Opened read;
  };
  const std::vector<Case> cases = {
      {"symbolic link", [&](const fs::path& at) { fs::create_symlink(victim, at); }, DataFileReader::Opened::NotRegular},
      {"hard link", [&](const fs::path& at) { fs::create_hard_link(victim, at); }, DataFileReader::Opened::Yes},
      {"dangling link", [&](const fs::path& at) { fs::create_symlink(folder.path() / "made.txt", at); },
       DataFileReader::Opened::NotRegular},
      {"FIFO", [](const fs::path& at) { ASSERT_EQ(::mkfifo(at.c_str(), 0600), 0); }, DataFileReader::Opened::NotRegular},
      {"link to /dev/zero", [](const fs::path& at) { fs::create_symlink("/dev/zero", at); },
       DataFileReader::Opened::NotRegular},
      {"link to /dev/full", [](const fs::path& at) { fs::create_symlink("/dev/full", at); },
       DataFileReader::Opened::NotRegular},
  };
  for (const Case& c : cases) {
    WriteText(victim, "the user's own\n");
    fs::remove(values_test::DataFileIn(folder));
    c.place(values_test::DataFileIn(folder));
    DataFileReader reader;
    EXPECT_EQ(reader.Open(At(values_test::DataFileIn(folder))), c.read) << c.what;
    reader.Close();

    DataFileWriter writer;
    ASSERT_TRUE(writer.Open(At(values_test::DataFileIn(folder)))) << c.what;
    EXPECT_TRUE(Write(writer, Row("Pset_X", "Y", "z")));
    EXPECT_TRUE(writer.Close());
    struct stat info {};
    ASSERT_EQ(::lstat(values_test::DataFileIn(folder).c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode)) << c.what;
    EXPECT_EQ(info.st_mode & 0777, 0600u) << c.what;
    EXPECT_EQ(info.st_nlink, 1u) << c.what;
    EXPECT_EQ(writer.Identity(), quarnel::IdentityAt(values_test::DataFileIn(folder).c_str())) << c.what;
    EXPECT_EQ(ReadText(victim), "the user's own\n") << c.what;
    EXPECT_FALSE(fs::exists(folder.path() / "made.txt")) << c.what;
  }
  EXPECT_EQ(ReadAll(values_test::DataFileIn(folder)), std::vector<Record>{Row("Pset_X", "Y", "z")});
}

TEST(DataFileForm, WriterEmptiesAnOlderFile) {
  ScratchFolder folder;
  WriteText(values_test::DataFileIn(folder), "old,content\n");
  DataFileWriter writer;
  ASSERT_TRUE(writer.Open(At(values_test::DataFileIn(folder))));
  EXPECT_TRUE(writer.Close());
  EXPECT_EQ(ReadText(values_test::DataFileIn(folder)), "");
}

}  // namespace
