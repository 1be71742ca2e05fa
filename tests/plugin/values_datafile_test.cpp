// The data file's text form: what the writer puts down, the reader gives back
// field for field, whatever the names and texts hold.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "values_fixture.hpp"

namespace {

using Corbane::UniString;
using quarnel::DataFileReader;
using quarnel::DataFileWriter;
using values_test::ReadText;
using values_test::ScratchFolder;
using values_test::WriteText;
using Record = std::vector<std::string>;

Nostrel::Location At(const values_test::fs::path& file) { return Nostrel::Location(UniString(file.string().c_str())); }

Record Row(const std::string& group, const std::string& property, const std::string& value) {
  return {"0A1B2C3D-0000-4000-8000-00000000000F", group, property, "String", "Default", "SingleValue", value};
}

bool Write(DataFileWriter& writer, const Record& row) {
  std::string_view fields[quarnel::valueRowFieldCount];
  for (std::size_t i = 0; i < quarnel::valueRowFieldCount; ++i) fields[i] = row[i];
  return writer.Write(fields);
}

std::vector<Record> ReadAll(const values_test::fs::path& file) {
  DataFileReader reader;
  EXPECT_TRUE(reader.Open(At(file)));
  std::vector<Record> records;
  while (reader.Next()) {
    Record record;
    for (Corbane::UIndex i = 0; i < reader.FieldCount(); ++i) record.emplace_back(reader.Field(i));
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
    ASSERT_TRUE(writer.Open(At(folder.DataFile())));
    EXPECT_TRUE(Write(writer, Row("Pset_X", "Name", "1,250")));
  }
  EXPECT_EQ(ReadText(folder.DataFile()),
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
    ASSERT_TRUE(writer.Open(At(folder.DataFile())));
    for (const Record& row : rows) EXPECT_TRUE(Write(writer, row));
  }
  const auto records = ReadAll(folder.DataFile());
  ASSERT_EQ(records.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(records[i], rows[i]) << "row " << i;
}

TEST(DataFileForm, ReaderAcceptsWhatOtherHandsMayLeave) {
  ScratchFolder folder;
  WriteText(folder.DataFile(), "a,b\r\n\nc,\"d\"\"\",e\r\n\"unterminated,f\ng");
  using R = Record;
  EXPECT_THAT(ReadAll(folder.DataFile()),
              testing::ElementsAre(R{"a", "b"}, R{""}, R{"c", "d\"", "e"}, R{"unterminated,f\ng"}));

  WriteText(folder.DataFile(), "");
  EXPECT_TRUE(ReadAll(folder.DataFile()).empty());

  WriteText(folder.DataFile(), "last,record,without,line,end");
  EXPECT_THAT(ReadAll(folder.DataFile()), testing::ElementsAre(R{"last", "record", "without", "line", "end"}));
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
  WriteText(folder.DataFile(), text);
  const auto records = ReadAll(folder.DataFile());
  ASSERT_EQ(records.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(records[i], expected[i]) << "record " << i;
}

// Keys of different pairs of names never meet, and a record's names key as
// the host's names do: by their text, whatever bytes the file held.
TEST(RowKeys, DifferentPairsOfNamesNeverShareAKey) {
  using quarnel::RowKey;
  EXPECT_EQ(RowKey("Pset_WallCommon", "FireRating"), UniString("Pset_WallCommon:FireRating"));
  EXPECT_EQ(RowKey("Pset_A:B", "C"), UniString("Pset_A\\:B:C"));
  EXPECT_EQ(RowKey("Pset_A", "B:C"), UniString("Pset_A:B:C"));
  EXPECT_EQ(RowKey("Pset_A\\", ":C"), UniString("Pset_A\\\\::C"));
  EXPECT_NE(RowKey("Pset_A:", "C"), RowKey("Pset_A\\", ":C"));
}

TEST(RowKeys, FileBytesAndHostNamesGiveOneKeyForOneText) {
  auto fromFile = [](std::string_view group, std::string_view property) {
    quarnel::Bytes key;
    quarnel::SetRowKey(key, group, property);
    return std::string(key.data(), key.size());
  };
  auto fromHost = [](const UniString& group, const UniString& property) {
    quarnel::Bytes key;
    quarnel::SetRowKey(key, group, property);
    return std::string(key.data(), key.size());
  };
  auto fromRowKey = [](const UniString& group, const UniString& property) {
    quarnel::Bytes key;
    quarnel::SetRowKey(key, quarnel::RowKey(group, property));
    return std::string(key.data(), key.size());
  };
  for (const auto& [group, property] : std::vector<std::pair<std::string, std::string>>{
           {"Pset_WallCommon", "FireRating"}, {"Pset_A:B\\", "C:\\"}, {"Pset_Übersicht", "Größe ∅ 😀"}, {"Pset_", ""}}) {
    const UniString g(group.c_str()), p(property.c_str());
    EXPECT_EQ(fromFile(group, property), fromHost(g, p)) << group;
    EXPECT_EQ(fromRowKey(g, p), fromHost(g, p)) << group;
  }
  // A byte the text reading replaces keys as the replacement character does.
  const UniString replaced(u"Pset_\uFFFD");
  EXPECT_EQ(fromFile("Pset_\xFF", "X"), fromHost(replaced, "X"));
  // A lone surrogate, which no text read from the file holds, matches only itself.
  const Corbane::UniChar lone[] = {u'P', u's', u'e', u't', u'_', 0xD800, 0};
  EXPECT_NE(fromHost(UniString(lone), "X"), fromHost(replaced, "X"));
  EXPECT_NE(fromHost(UniString(lone), "X"), fromFile(quarnel::Narrow(UniString(lone)).Get(), "X"));
  EXPECT_EQ(fromRowKey(UniString(lone), "X"), fromHost(UniString(lone), "X"));
}

TEST(DataFileForm, OpeningFailsCleanly) {
  ScratchFolder folder;
  DataFileReader reader;
  EXPECT_FALSE(reader.Open(At(folder.path() / "missing.csv")));
  EXPECT_FALSE(reader.Next());
  EXPECT_FALSE(reader.Open(Nostrel::Location()));

  DataFileWriter writer;
  EXPECT_FALSE(writer.Open(At(folder.path() / "no" / "such.csv")));
  EXPECT_FALSE(Write(writer, Row("Pset_X", "Y", "z")));
  EXPECT_FALSE(writer.Open(Nostrel::Location()));
}

TEST(DataFileForm, WriterEmptiesAnOlderFile) {
  ScratchFolder folder;
  WriteText(folder.DataFile(), "old,content\n");
  DataFileWriter writer;
  ASSERT_TRUE(writer.Open(At(folder.DataFile())));
  EXPECT_TRUE(writer.Close());
  EXPECT_EQ(ReadText(folder.DataFile()), "");
}

}  // namespace
