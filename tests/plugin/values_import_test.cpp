// Step 6 from a data file written by hand: how records group into elements,
// how each value is converted and set, and what every failure reports.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "ForvaneHost/DisplayText.hpp"
#include "support/transcript_events.hpp"
#include "values_fixture.hpp"

namespace {

using testing::ElementsAre;
using testing::IsEmpty;
using testing_support::InProcessHost;
using testing_support::ProjectBuilder;
using testing_support::Code;
using testing_support::Fail;
using values_test::GuidText;
using testing_support::OptionsFor;
using values_test::RunRestore;
using testing_support::ScratchFolder;
using values_test::UserValue;

// A project after the re-import: the IFC definitions are new and carry no values yet.
struct Reimported {
  ProjectBuilder b;
  fvhost::Guid common = b.Group("Pset_WallCommon");
  fvhost::Guid custom = b.Group("Custom");
  fvhost::Guid fire = b.Definition(common, "FireRating", API_VariantString);
  fvhost::Guid width = b.Definition(common, "Width", API_VariantReal, API_MeasureLength);
  fvhost::Guid slope = b.Definition(common, "Slope", API_VariantReal, API_MeasureAngle);
  fvhost::Guid area = b.Definition(common, "Area", API_VariantReal, API_MeasureArea);
  fvhost::Guid load = b.Definition(common, "LoadBearing", API_VariantBoolean);
  fvhost::Guid storeys = b.Definition(common, "Storeys", API_VariantInteger);
  fvhost::Guid finish = b.Options(b.Definition(common, "Finish", API_VariantString), {"Paint", "Tile", "Tile"});
  fvhost::Guid note = b.Definition(custom, "FireRating", API_VariantString);
  fvhost::Guid wall = b.Element("Wall");
  fvhost::Guid other = b.Element("Wall");
  std::string w = GuidText(wall);
  std::string o = GuidText(other);
};

class ValueImport : public testing::Test {
 protected:
  // Writes the data file and points the import at it, as the export of the run would have.
  void DataFile(const std::string& text) {
    testing_support::WriteText(values_test::DataFileIn(folder_), text);
    quarnel::dataFileLocation = Nostrel::Location(Corbane::UniString(values_test::DataFileIn(folder_).string().c_str()));
  }
  std::string Row(const std::string& element, const std::string& property, const std::string& type,
                  const std::string& measure, const std::string& value, const std::string& collection = "SingleValue",
                  const std::string& group = "Pset_WallCommon") {
    return element + "," + group + "," + property + "," + type + "," + measure + "," + collection + "," + value + "\n";
  }
  static std::string Text(fvhost::Project& project, const fvhost::Guid& element, const std::string& property,
                          const std::string& group = "Pset_WallCommon") {
    const fvhost::PropertyValue* value = UserValue(project, element, group, property);
    return value == nullptr ? "<default>" : value->single.text;
  }
  static long Calls(InProcessHost& host, const std::string& op) {
    const auto calls = testing_support::Events(host.Transcript(), "call");
    return std::count_if(calls.begin(), calls.end(), [&](const nlohmann::json& call) { return call.value("op", "") == op; });
  }
  fvhost::HostOptions Traced(std::vector<fvhost::FaultRule> faults = {}) {
    fvhost::HostOptions options = OptionsFor(folder_, std::move(faults));
    options.traceCalls = true;
    return options;
  }

  ScratchFolder folder_;
};

TEST_F(ValueImport, EachElementsRowsAreSetOnItsNewDefinitions) {
  Reimported p;
  DataFile(Row(p.w, "FireRating", "String", "Default", "2HR") + Row(p.w, "Storeys", "Integer", "Default", "-12") +
           Row(p.o, "FireRating", "String", "Default", "1HR") + Row(p.o, "Finish", "String", "Default", "Tile",
                                                                    "SingleValueFromCollection"));
  InProcessHost host(p.b.Build(), Traced());

  EXPECT_EQ(RunRestore(), 1);
  EXPECT_THAT(host.Report(), IsEmpty());
  auto& project = host.project();
  EXPECT_EQ(Text(project, p.wall, "FireRating"), "2HR");
  EXPECT_EQ(UserValue(project, p.wall, "Pset_WallCommon", "Storeys")->single.intValue, -12);
  EXPECT_EQ(Text(project, p.other, "FireRating"), "1HR");
  // Of two options with one display text, the last is chosen.
  EXPECT_EQ(UserValue(project, p.other, "Pset_WallCommon", "Finish")->single.guid,
            values_test::DefinitionNamed(project, "Pset_WallCommon", "Finish").options[2].key);
  EXPECT_EQ(Text(project, p.wall, "FireRating", "Custom"), "<default>");
  EXPECT_EQ(Calls(host, "GetElementPropertyDefinitions"), 2);
  EXPECT_EQ(Calls(host, "SetProperty"), 4);
  EXPECT_FALSE(values_test::fs::exists(values_test::DataFileIn(folder_)));
  EXPECT_THAT(host.host().UndoStepNames(), ElementsAre("Import Property Values"));
}

TEST_F(ValueImport, TheFirstRowOfAKeyWinsWithinOneRunOfRecords) {
  Reimported p;
  DataFile(Row(p.w, "FireRating", "String", "Default", "first") + Row(p.w, "FireRating", "String", "Default", "second"));
  InProcessHost host(p.b.Build(), Traced());

  EXPECT_EQ(RunRestore(), 1);
  EXPECT_EQ(Text(host.project(), p.wall, "FireRating"), "first");
  EXPECT_EQ(Calls(host, "SetProperty"), 1);
}

TEST_F(ValueImport, TwoSeparateRunsOfOneElementAreAppliedTwiceInFileOrder) {
  Reimported p;
  DataFile(Row(p.w, "FireRating", "String", "Default", "first") + Row(p.o, "FireRating", "String", "Default", "x") +
           Row(p.w, "FireRating", "String", "Default", "second"));
  InProcessHost host(p.b.Build(), Traced());

  EXPECT_EQ(RunRestore(), 1);
  EXPECT_EQ(Text(host.project(), p.wall, "FireRating"), "second");
  EXPECT_EQ(Calls(host, "GetElementPropertyDefinitions"), 3);
  EXPECT_EQ(Calls(host, "SetProperty"), 3);
}

// A row that no definition of its element takes is named with its value, and
// the line says whether the configuration lost the property or the element did.
TEST_F(ValueImport, RowsWithoutADefinitionAreNamedWithTheirValue) {
  Reimported p;
  p.b.AvailableFor(p.b.Definition(p.common, "SlabOnly"), {"IfcSlab"});
  DataFile(Row(p.w, "Gone", "String", "Default", "\"x\ny\"") +
           Row(p.w, "FireRating", "String", "Default", "y", "SingleValue", "Pset_Dropped") +
           Row(p.w, "SlabOnly", "Double", "Length", "1.5") + "short,row\n" +
           Row(p.w, "FireRating", "String", "Default", "2HR") +
           Row(p.w, "Long", "String", "Default", std::string(201, 'L')));
  InProcessHost host(p.b.Build(), Traced());

  EXPECT_EQ(RunRestore(), 2);
  const std::string line = "Import Property Values: property Pset_WallCommon:";
  EXPECT_THAT(host.Report(),
              ElementsAre(line + "Gone of element " + p.w + " is not in the new configuration; value \"x\\ny\" not restored",
                          "Import Property Values: property Pset_Dropped:FireRating of element " + p.w +
                              " is not in the new configuration; value \"y\" not restored",
                          line + "SlabOnly of element " + p.w +
                              " is no longer available for this element; value \"1.5 m\" not restored",
                          line + "Long of element " + p.w + " is not in the new configuration; value \"" +
                              std::string(200, 'L') + "...\" (201 characters) not restored"));
  EXPECT_EQ(Text(host.project(), p.wall, "FireRating"), "2HR");
  EXPECT_EQ(Calls(host, "SetProperty"), 1);
  EXPECT_EQ(Calls(host, "GetPropertyDefinitions"), 1);  // the configuration is listed once, for all rows
}

TEST_F(ValueImport, AMissingFileIsReportedAndAnEmptyOneIsNothingToDo) {
  Reimported p;
  InProcessHost host(p.b.Build(), OptionsFor(folder_));
  const fvhost::Project before = host.project();
  quarnel::dataFileLocation = Nostrel::Location(Corbane::UniString(values_test::DataFileIn(folder_).string().c_str()));

  EXPECT_EQ(RunRestore(), 0);
  EXPECT_THAT(host.Report(), ElementsAre("Import Property Values: IFC+SG Data file (csv) could not be opened!"));

  DataFile("");
  EXPECT_EQ(RunRestore(), 1);
  EXPECT_EQ(host.Report().size(), 1u);
  EXPECT_FALSE(values_test::fs::exists(values_test::DataFileIn(folder_)));
  EXPECT_TRUE(host.project() == before);
}

// The writer ends every record with its line end; one without it, or one
// longer than the writer writes, may hold a value cut short and is never set.
TEST_F(ValueImport, ARecordCutShortOrTooLongIsNeverAppliedAndIsNamed) {
  Reimported p;
  const std::string whole = Row(p.w, "FireRating", "String", "Default", "2HR");
  const std::string named = " of element " + p.o + " for property Pset_WallCommon:";
  std::string cutWidth = Row(p.o, "Width", "Double", "Length", "1234.5678");
  cutWidth.resize(cutWidth.find("1234") + 3);
  const struct {
    std::string rest;
    std::string line;
  } cases[] = {
      {cutWidth,
       "Import Property Values: value" + named + "Width is cut short in the data file; value not restored"},
      {p.o + ",Pset_WallCommon,FireRating,String,Default,SingleValue,\"4HR, tested",
       "Import Property Values: value" + named + "FireRating is cut short in the data file; value not restored"},
      {p.o + ",Pset_Wall", "Import Property Values: record 2 of the data file is cut short; it is not restored"},
      {Row(p.o, "FireRating", "String", "Default", std::string(quarnel::maxRecordBytes, 'x')) +
           Row(p.o, "Storeys", "Integer", "Default", "3"),
       "Import Property Values: value" + named + "FireRating is longer than the data file takes; value not restored"},
  };
  for (const auto& c : cases) {
    DataFile(whole + c.rest);
    InProcessHost host(p.b.Build(), OptionsFor(folder_));
    EXPECT_EQ(RunRestore(), 2);
    EXPECT_THAT(host.Report(), ElementsAre(c.line));
    EXPECT_EQ(Text(host.project(), p.wall, "FireRating"), "2HR");
    EXPECT_EQ(Text(host.project(), p.other, "FireRating"), "<default>");
    EXPECT_EQ(UserValue(host.project(), p.other, "Pset_WallCommon", "Width"), nullptr);
    // A record after a long one is read as any other.
    EXPECT_EQ(UserValue(host.project(), p.other, "Pset_WallCommon", "Storeys") != nullptr,
              c.rest.find("Storeys") != std::string::npos);
  }
}

// The import reads the file the export wrote and no other that came to stand
// at its name; it leaves that other thing, and what a link points to, as they are.
TEST_F(ValueImport, OnlyTheFileTheExportWroteIsReadAndDeleted) {
  namespace fs = values_test::fs;
  Reimported p;
  const fs::path victim = folder_.path() / "victim.csv";
  const std::string theirs = Row(p.w, "FireRating", "String", "Default", "not ours");
  const struct {
    const char* what;
    std::function<void(const fs::path&)> place;
    const char* why;
  } cases[] = {
      {"another file", [&](const fs::path& at) { testing_support::WriteText(at, theirs); }, "is not the file the export wrote"},
      {"hard link", [&](const fs::path& at) { fs::create_hard_link(victim, at); }, "is not the file the export wrote"},
      {"symbolic link", [&](const fs::path& at) { fs::create_symlink(victim, at); }, "is not a regular file"},
      {"FIFO", [](const fs::path& at) { ASSERT_EQ(::mkfifo(at.c_str(), 0600), 0); }, "is not a regular file"},
      {"link to /dev/zero", [](const fs::path& at) { fs::create_symlink("/dev/zero", at); }, "is not a regular file"},
  };
  for (const auto& c : cases) {
    fs::remove(values_test::DataFileIn(folder_));
    DataFile(Row(p.w, "FireRating", "String", "Default", "2HR"));
    values_test::TakeAsWrittenByTheExport();
    testing_support::WriteText(victim, theirs);
    fs::remove(values_test::DataFileIn(folder_));
    c.place(values_test::DataFileIn(folder_));
    InProcessHost host(p.b.Build(), OptionsFor(folder_));

    EXPECT_EQ(RunRestore(values_test::DataFileFrom::Elsewhere), 0) << c.what;
    EXPECT_THAT(host.Report(), ElementsAre("Import Property Values: the data file " + values_test::DataFileIn(folder_).string() + " " +
                                           c.why + "; nothing is read from it"))
        << c.what;
    EXPECT_EQ(Text(host.project(), p.wall, "FireRating"), "<default>") << c.what;
    EXPECT_TRUE(fs::exists(fs::symlink_status(values_test::DataFileIn(folder_)))) << c.what;
    EXPECT_EQ(testing_support::ReadText(victim), theirs) << c.what;
  }
}

TEST_F(ValueImport, RealsAreSetAsStoredWhateverTheirMeasureAndAnUnreadableOneIsNamed) {
  Reimported p;
  DataFile(Row(p.w, "Width", "Double", "Length", "1.25") + Row(p.w, "Slope", "Double", "Angle", "1.5707963267948966") +
           Row(p.w, "Area", "Double", "Area", "1.8e+305") + Row(p.o, "Width", "Double", "Length", "1.2.5") +
           Row(p.o, "Storeys", "Integer", "Default", "4.5"));
  InProcessHost host(p.b.Build(), OptionsFor(folder_));

  EXPECT_EQ(RunRestore(), 2);
  auto& project = host.project();
  EXPECT_EQ(UserValue(project, p.wall, "Pset_WallCommon", "Width")->single.realValue, 1.25);
  EXPECT_EQ(UserValue(project, p.wall, "Pset_WallCommon", "Slope")->single.realValue, std::numbers::pi / 2);
  EXPECT_EQ(UserValue(project, p.wall, "Pset_WallCommon", "Area")->single.realValue, 1.8e305);
  const std::string of = " of element " + p.o + " for Pset_WallCommon - ";
  EXPECT_THAT(host.Report(), ElementsAre("Import Property Values: value \"1.2.5 m\"" + of + "Width cannot be read; value not restored",
                                         "Import Property Values: value \"4.5\"" + of + "Storeys cannot be read; value not restored"));
  EXPECT_EQ(UserValue(project, p.other, "Pset_WallCommon", "Width"), nullptr);
}

TEST_F(ValueImport, OnlyTheExactWordTrueSetsABooleanTrue) {
  Reimported p;
  const auto third = p.b.Element("Wall");
  DataFile(Row(p.w, "LoadBearing", "Boolean", "Default", "True") + Row(p.o, "LoadBearing", "Boolean", "Default", "true") +
           Row(GuidText(third), "LoadBearing", "Boolean", "Default", "TRUE"));
  InProcessHost host(p.b.Build(), OptionsFor(folder_));

  EXPECT_EQ(RunRestore(), 1);
  auto& project = host.project();
  EXPECT_TRUE(UserValue(project, p.wall, "Pset_WallCommon", "LoadBearing")->single.boolValue);
  EXPECT_FALSE(UserValue(project, p.other, "Pset_WallCommon", "LoadBearing")->single.boolValue);
  EXPECT_FALSE(UserValue(project, third, "Pset_WallCommon", "LoadBearing")->single.boolValue);
}

TEST_F(ValueImport, AChangedValueTypeOrCollectionIsReportedInsteadOfStoredWrongly) {
  Reimported p;
  DataFile(Row(p.w, "Storeys", "String", "Default", "three") + Row(p.w, "FireRating", "Integer", "Default", "2") +
           Row(p.w, "Finish", "String", "Default", "Tile") +
           Row(p.w, "Width", "Double", "Length", "Tile", "SingleValueFromCollection") +
           Row(p.w, "Area", "Double", "Area", "12.5", "") + Row(p.o, "FireRating", "String", "Default", "kept"));
  InProcessHost host(p.b.Build(), OptionsFor(folder_));

  EXPECT_EQ(RunRestore(), 2);
  const std::string line = "Import Property Values: ";
  const std::string of = " of element " + p.w + " for Pset_WallCommon - ";
  // In the order of the element's definitions.
  EXPECT_THAT(host.Report(), ElementsAre(line + "value type" + of + "FireRating changed; value not restored",
                                         line + "collection type" + of + "Width changed; value not restored",
                                         line + "collection type" + of + "Area changed; value not restored",
                                         line + "value type" + of + "Storeys changed; value not restored",
                                         line + "collection type" + of + "Finish changed; value not restored"));
  auto& project = host.project();
  for (const char* name : {"FireRating", "Width", "Area", "Storeys", "Finish"})
    EXPECT_EQ(UserValue(project, p.wall, "Pset_WallCommon", name), nullptr) << name;
  EXPECT_EQ(Text(project, p.other, "FireRating"), "kept");
}

TEST_F(ValueImport, AChoiceWhoseOptionIsGoneIsNamedWithItsOption) {
  Reimported p;
  DataFile(Row(p.w, "Finish", "String", "Default", "Stone", "SingleValueFromCollection") +
           Row(p.w, "FireRating", "String", "Default", "2HR"));
  InProcessHost host(p.b.Build(), Traced());

  EXPECT_EQ(RunRestore(), 2);
  EXPECT_THAT(host.Report(), ElementsAre("Import Property Values: option \"Stone\" of Pset_WallCommon:Finish is no "
                                         "longer offered; it is not restored on element " + p.w));
  EXPECT_EQ(UserValue(host.project(), p.wall, "Pset_WallCommon", "Finish"), nullptr);
  EXPECT_EQ(Text(host.project(), p.wall, "FireRating"), "2HR");
  EXPECT_EQ(Calls(host, "SetProperty"), 1);
}

TEST_F(ValueImport, AnElementThatIsGoneIsReportedAndTheOthersAreRestored) {
  Reimported p;
  const std::string gone = GuidText(fvhost::NewGuid());
  DataFile(Row(gone, "FireRating", "String", "Default", "x") + Row("not a guid", "FireRating", "String", "Default", "y") +
           Row(p.w, "FireRating", "String", "Default", "2HR"));
  InProcessHost host(p.b.Build(), OptionsFor(folder_));

  EXPECT_EQ(RunRestore(), 2);
  ASSERT_EQ(host.Report().size(), 2u);
  EXPECT_THAT(host.Report()[0],
              testing::StartsWith("Import Property Values: GetPropertyDefinitions of element " + gone + " failed with error code "));
  EXPECT_THAT(host.Report()[1], testing::StartsWith(
                                    "Import Property Values: GetPropertyDefinitions of element not a guid failed with error code "));
  EXPECT_EQ(Text(host.project(), p.wall, "FireRating"), "2HR");
}

TEST_F(ValueImport, HostFailuresForOneDefinitionSkipOnlyThatDefinition) {
  Reimported p;
  DataFile(Row(p.w, "FireRating", "String", "Default", "2HR") + Row(p.w, "Storeys", "Integer", "Default", "4") +
           Row(p.w, "Width", "Double", "Length", "0.1"));
  // The wall's definitions in order: FireRating, Width, Slope, Area, LoadBearing, Storeys, Finish, then Custom's.
  InProcessHost host(p.b.Build(), Traced({Fail("GetPropertyGroup", FvErr_NoSuchGroup, 1),
                                          Fail("SetProperty", FvErr_ReadOnly, 2)}));

  EXPECT_EQ(RunRestore(), 2);
  EXPECT_THAT(host.Report(),
              ElementsAre("Import Property Values: GetPropertyGroup of element " + p.w +
                              " for property FireRating failed with error code " + Code(FvErr_NoSuchGroup),
                          "Import Property Values: SetProperty of element " + p.w +
                              " for Pset_WallCommon - Storeys failed with error code " + Code(FvErr_ReadOnly),
                          "Import Property Values: property Pset_WallCommon:FireRating of element " + p.w +
                              " could not be matched to its definition; value \"2HR\" not restored"));
  EXPECT_EQ(UserValue(host.project(), p.wall, "Pset_WallCommon", "Width")->single.realValue, 0.1);
  EXPECT_EQ(Calls(host, "GetPropertyGroup"), 8);  // also for the definitions without a row
  EXPECT_FALSE(values_test::fs::exists(values_test::DataFileIn(folder_)));
}

// The table form, for callers that hold an element's rows themselves: the same
// keys and texts as rows read from the file, applied the same way.
TEST_F(ValueImport, RowsHandedInATableAreAppliedAsRowsReadFromTheFile) {
  Reimported p;
  InProcessHost host(p.b.Build(), Traced());
  quarnel::RowTable rows;
  rows.Add(quarnel::RowKey("Pset_WallCommon", "FireRating"), {"String", "Default", "SingleValue", "2HR"});
  rows.Add(quarnel::RowKey("Pset_WallCommon", "Storeys"), {"Integer", "Default", "SingleValue", "7"});
  rows.Add(quarnel::RowKey("Pset_WallCommon", "Finish"), {"String", "Default", "SingleValueFromCollection", "Paint"});
  rows.Add(quarnel::RowKey("Pset_WallCommon", "Width"), {"Double", "Length"});  // too short to hold a value
  auto apply = [&] {
    quarnel::applyElementRows(Corbane::UniString(p.w.c_str()), rows);
    return FvErr_NoError;
  };
  quarnel::importPropertyValuesStatus = quarnel::Outcome::Failed;
  host.AsAddOn([&] { return quarnel::host::CallUndoableCommand(Corbane::UniString("Import Property Values"), apply); });

  EXPECT_EQ(quarnel::importPropertyValuesStatus, quarnel::Outcome::Failed);
  EXPECT_THAT(host.Report(), IsEmpty());
  EXPECT_EQ(Text(host.project(), p.wall, "FireRating"), "2HR");
  EXPECT_EQ(UserValue(host.project(), p.wall, "Pset_WallCommon", "Storeys")->single.intValue, 7);
  EXPECT_EQ(UserValue(host.project(), p.wall, "Pset_WallCommon", "Finish")->single.guid,
            values_test::DefinitionNamed(host.project(), "Pset_WallCommon", "Finish").options[0].key);
  EXPECT_EQ(Text(host.project(), p.wall, "Width"), "<default>");
  EXPECT_EQ(Calls(host, "SetProperty"), 3);
}

}  // namespace
