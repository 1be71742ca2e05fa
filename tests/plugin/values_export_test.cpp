// Step 2: which element values become rows of the data file, what each row
// holds, and what every failure reports and skips.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

#include "values_fixture.hpp"

namespace {

using testing::ElementsAre;
using testing::IsEmpty;
using testing_support::InProcessHost;
using testing_support::ProjectBuilder;
using testing_support::Code;
using testing_support::Fail;
using testing_support::FailFor;
using values_test::GuidText;
using testing_support::Lines;
using testing_support::OptionsFor;
using testing_support::ReadText;
using testing_support::ScratchFolder;

// The step's outcome code.
int Export(InProcessHost& host) {
  return static_cast<int>(host.AsAddOn([] { return quarnel::Config().exportPropertyValues(); }));
}

struct WallProject {
  ProjectBuilder b;
  fvhost::Guid common = b.Group("Pset_WallCommon");
  fvhost::Guid singapore = b.Group("SGPset_Wall");
  fvhost::Guid fire = b.Definition(common, "FireRating", API_VariantString);
  fvhost::Guid width = b.Definition(common, "Width", API_VariantReal, API_MeasureLength);
  fvhost::Guid load = b.Definition(common, "LoadBearing", API_VariantBoolean);
  fvhost::Guid finish = b.Options(b.Definition(singapore, "Finish", API_VariantString), {"Paint", "Tile"}, "Paint");
  fvhost::Guid storeys = b.Definition(singapore, "Storeys", API_VariantInteger);
  fvhost::Guid wall = b.Element("Wall");
  std::string wallText = GuidText(wall);
};

TEST(ValueExportRows, OneRowPerUserSetIfcValueInTheHostsOrder) {
  WallProject p;
  p.b.Set(p.wall, p.fire, "2HR");
  p.b.Set(p.wall, p.width, 0.25);
  p.b.SetBool(p.wall, p.load, true);
  p.b.SetOption(p.wall, p.finish, "Tile");
  p.b.Set(p.wall, p.storeys, 3);
  const auto bare = p.b.Element("Wall");  // shows only defaults: no rows
  (void)bare;
  ScratchFolder folder;
  InProcessHost host(p.b.Build(), OptionsFor(folder));

  EXPECT_EQ(Export(host), 1);
  EXPECT_THAT(host.Report(), IsEmpty());
  const std::string& w = p.wallText;
  EXPECT_THAT(Lines(ReadText(values_test::DataFileIn(folder))),
              ElementsAre(w + ",Pset_WallCommon,FireRating,String,Default,SingleValue,2HR",
                          w + ",Pset_WallCommon,Width,Double,Length,SingleValue,0.25",
                          w + ",Pset_WallCommon,LoadBearing,Boolean,Default,SingleValue,True",
                          w + ",SGPset_Wall,Finish,String,Default,SingleValueFromCollection,Tile",
                          w + ",SGPset_Wall,Storeys,Integer,Default,SingleValue,3"));
  EXPECT_EQ(quarnel::dataFileLocation.ToDisplayText(), Corbane::UniString(values_test::DataFileIn(folder).string().c_str()));
}

TEST(ValueExportRows, OnlyIfcGroupsByTheirExactPrefix) {
  ProjectBuilder b;
  const auto element = b.Element("Slab");
  for (const char* name : {"Pset_SlabCommon", "SGPset_Slab", "pset_lower", "IfcPset_Slab", "PSET_UPPER", "Custom"}) {
    const auto definition = b.Definition(b.Group(name), "Mark");
    b.Set(element, definition, std::string("in ") + name);
  }
  ScratchFolder folder;
  InProcessHost host(b.Build(), OptionsFor(folder));

  EXPECT_EQ(Export(host), 1);
  const std::string e = GuidText(element);
  EXPECT_THAT(Lines(ReadText(values_test::DataFileIn(folder))),
              ElementsAre(e + ",Pset_SlabCommon,Mark,String,Default,SingleValue,in Pset_SlabCommon",
                          e + ",SGPset_Slab,Mark,String,Default,SingleValue,in SGPset_Slab"));
}

// The value field holds the stored value, not the host's text of it: a real
// in its stored unit as the shortest text that reads back to it, and the
// three statuses of a value told apart by quotes.
TEST(ValueExportRows, ValuesTravelAsTheHostStoresThem) {
  ProjectBuilder b;
  const auto group = b.Group("Pset_Quantities");
  const auto length = b.Definition(group, "Length", API_VariantReal, API_MeasureLength);
  const auto angle = b.Definition(group, "Angle", API_VariantReal, API_MeasureAngle);
  const auto text = b.Definition(group, "Note", API_VariantString);
  const auto count = b.Options(b.Definition(group, "Count", API_VariantInteger), {});
  b.Def(count).options = {{fvhost::NewGuid(), ProjectBuilder::Integer(12)}, {fvhost::NewGuid(), ProjectBuilder::Integer(-3)}};
  struct Case {
    fvhost::Guid definition;
    fvhost::PropertyValue value;
    std::string field;
  };
  auto status = [](std::int32_t type, std::int32_t valueStatus) {
    fvhost::PropertyValue value;
    value.single.type = type;
    value.status = valueStatus;
    return value;
  };
  auto single = [](fvhost::Value v) { return ProjectBuilder::Single(v); };
  fvhost::PropertyValue chosen = single(fvhost::Value{});
  chosen.single.type = API_VariantGuid;
  chosen.single.guid = b.Def(count).options[1].key;
  const std::vector<Case> cases = {
      {length, single(ProjectBuilder::Real(38.3451)), "SingleValue,38.3451"},
      {length, single(ProjectBuilder::Real(1234.5678)), "SingleValue,1234.5678"},
      {length, single(ProjectBuilder::Real(1e-300)), "SingleValue,1e-300"},
      {length, single(ProjectBuilder::Real(1.8e305)), "SingleValue,1.8e+305"},
      {angle, single(ProjectBuilder::Real(3e306)), "SingleValue,3e+306"},
      {text, single(ProjectBuilder::Text("a, b")), "SingleValue,\"a, b\""},
      {text, single(ProjectBuilder::Text("")), "SingleValue,\"\""},
      {text, single(ProjectBuilder::Text("Undefined")), "SingleValue,\"Undefined\""},
      {text, status(API_VariantString, API_ValueNull), "SingleValue,"},
      {text, status(API_VariantString, API_ValueUndefined), "SingleValue,Undefined"},
      {count, chosen, "SingleValueFromCollection,-3"},
  };
  std::vector<fvhost::Guid> elements;
  for (const Case& c : cases) {
    elements.push_back(b.Element("Slab"));
    b.SetValue(elements.back(), c.definition, c.value);
  }
  ScratchFolder folder;
  InProcessHost host(b.Build(), OptionsFor(folder));

  EXPECT_EQ(Export(host), 1);
  EXPECT_THAT(host.Report(), IsEmpty());
  const auto lines = Lines(ReadText(values_test::DataFileIn(folder)));
  ASSERT_EQ(lines.size(), cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i)
    EXPECT_THAT(lines[i], testing::EndsWith("," + cases[i].field)) << "case " << i;
}

TEST(ValueExportRows, LinkedCopiesWriteNoRowsAndTheirOwnValuesAreReportedNotLostInSilence) {
  WallProject p;
  p.b.Set(p.wall, p.fire, "2HR");
  const auto copy = p.b.Element("Wall");
  p.b.Set(copy, p.fire, "1HR");
  p.b.Link(copy, p.wall);
  const auto bareCopy = p.b.Element("Wall");
  p.b.Link(bareCopy, p.wall);
  ScratchFolder folder;
  InProcessHost host(p.b.Build(), OptionsFor(folder));

  EXPECT_EQ(Export(host), 2);
  EXPECT_THAT(Lines(ReadText(values_test::DataFileIn(folder))),
              ElementsAre(p.wallText + ",Pset_WallCommon,FireRating,String,Default,SingleValue,2HR"));
  EXPECT_THAT(host.Report(), ElementsAre("Export Property Values: value of element " + GuidText(copy) +
                                         " for property Pset_WallCommon:FireRating is on a linked copy and is not kept"));
}

TEST(ValueExportRows, AProjectWithoutElementsGivesAnEmptyFileOverAnOlderOne) {
  ScratchFolder folder;
  testing_support::WriteText(values_test::DataFileIn(folder), "left,from,an,older,run,,\n");
  InProcessHost host(ProjectBuilder().Build(), OptionsFor(folder));

  EXPECT_EQ(Export(host), 1);
  EXPECT_TRUE(values_test::fs::exists(values_test::DataFileIn(folder)));
  EXPECT_EQ(ReadText(values_test::DataFileIn(folder)), "");
}

// The items of a list or a multiple choice form a record nested in the value
// field, so that an item may hold commas and quotes, and an empty list, one
// empty item and a cleared list stay apart.
TEST(ValueExportRows, ListsAndMultipleChoicesTravelAsNestedRecords) {
  ProjectBuilder b;
  const auto group = b.Group("Pset_DoorCommon");
  const auto marks = b.Definition(group, "Marks", API_VariantString, API_MeasureDefault, API_ListCollection);
  const auto widths = b.Definition(group, "Widths", API_VariantReal, API_MeasureLength, API_ListCollection);
  const auto hardware = b.Options(b.Definition(group, "Hardware"), {"Lock, keyed", "Closer", "2\" Hinge"});
  b.Def(hardware).collectionType = API_MultipleChoiceCollection;
  b.Def(hardware).defaultValue = {};
  auto list = [](std::vector<fvhost::Value> items) {
    fvhost::PropertyValue value;
    value.list = std::move(items);
    return value;
  };
  auto key = [&](int option) {
    fvhost::Value v;
    v.type = API_VariantGuid;
    v.guid = b.Def(hardware).options[static_cast<std::size_t>(option)].key;
    return v;
  };
  fvhost::PropertyValue cleared;
  cleared.status = API_ValueNull;
  const std::vector<std::pair<fvhost::Guid, fvhost::PropertyValue>> values = {
      {marks, list({ProjectBuilder::Text("A"), ProjectBuilder::Text("B, C")})},
      {marks, list({ProjectBuilder::Text("")})},
      {marks, list({})},
      {marks, cleared},
      {widths, list({ProjectBuilder::Real(0.9), ProjectBuilder::Real(1.25)})},
      {hardware, list({key(2), key(0)})},
  };
  for (const auto& [definition, value] : values) b.SetValue(b.Element("Door"), definition, value);
  ScratchFolder folder;
  InProcessHost host(b.Build(), OptionsFor(folder));

  EXPECT_EQ(Export(host), 1);
  EXPECT_THAT(host.Report(), IsEmpty());
  std::vector<std::string> tails;
  for (const std::string& line : Lines(ReadText(values_test::DataFileIn(folder)))) tails.push_back(line.substr(line.find(',') + 1));
  EXPECT_THAT(tails, ElementsAre("Pset_DoorCommon,Marks,String,Default,ListValue,\"A,\"\"B, C\"\"\"",
                                 "Pset_DoorCommon,Marks,String,Default,ListValue,\"\"\"\"\"\"",
                                 "Pset_DoorCommon,Marks,String,Default,ListValue,\"\"",
                                 "Pset_DoorCommon,Marks,String,Default,ListValue,",
                                 "Pset_DoorCommon,Widths,Double,Length,ListValue,\"0.9,1.25\"",
                                 "Pset_DoorCommon,Hardware,String,Default,MultipleValuesFromCollection,"
                                 "\"\"\"2\"\"\"\" Hinge\"\",\"\"Lock, keyed\"\"\""));
}

TEST(ValueExportFailures, NoElementListMeansNoFileAndAnOlderFileStays) {
  ScratchFolder folder;
  testing_support::WriteText(values_test::DataFileIn(folder), "kept\n");
  WallProject p;
  InProcessHost host(p.b.Build(), OptionsFor(folder, {Fail("GetElemList", FvErr_General)}));

  EXPECT_EQ(Export(host), 0);
  EXPECT_THAT(host.Report(),
              ElementsAre("Export Property Values: GetElemList failed with Error Code: " + Code(FvErr_General)));
  EXPECT_EQ(ReadText(values_test::DataFileIn(folder)), "kept\n");
}

TEST(ValueExportFailures, AFileThatCannotBeCreated) {
  ScratchFolder folder;
  values_test::fs::create_directory(values_test::DataFileIn(folder));  // a folder stands where the file should be
  WallProject p;
  p.b.Set(p.wall, p.fire, "2HR");
  InProcessHost host(p.b.Build(), OptionsFor(folder));

  EXPECT_EQ(Export(host), 0);
  EXPECT_THAT(host.Report(), ElementsAre("Export Property Values: CSV (data) File creation failed with Error Code: 0"));
}

TEST(ValueExportFailures, NoDataFolderMeansNoFileRatherThanOneInAnOddPlace) {
  WallProject p;
  p.b.Set(p.wall, p.fire, "2HR");
  ScratchFolder folder;
  quarnel::dataFileLocation = Nostrel::Location(Corbane::UniString(folder.path().string().c_str()));
  InProcessHost host(p.b.Build(), OptionsFor(folder, {Fail("GetSpecialFolder", FvErr_General)}));

  EXPECT_EQ(Export(host), 0);
  EXPECT_THAT(host.Report(), ElementsAre("Export Property Values: CSV (data) File creation failed with Error Code: 0"));
  EXPECT_FALSE(values_test::fs::exists(values_test::DataFileIn(folder)));
}

// The element's values are not written, and deleting the groups takes them:
// the run must not end with the success alert.
TEST(ValueExportFailures, AnUnreadableHeaderSkipsTheElementAndSaysSo) {
  WallProject p;
  p.b.Set(p.wall, p.fire, "2HR");
  const auto other = p.b.Element("Wall");
  p.b.Set(other, p.fire, "1HR");
  ScratchFolder folder;
  InProcessHost host(p.b.Build(), OptionsFor(folder, {FailFor("GetElementHeader", p.wallText, FvErr_NoSuchElement)}));

  EXPECT_EQ(Export(host), 2);
  EXPECT_THAT(host.Report(), ElementsAre("Export Property Values: GetElementHeader of element " + p.wallText +
                                         " failed with Error Code: " + Code(FvErr_NoSuchElement)));
  EXPECT_THAT(Lines(ReadText(values_test::DataFileIn(folder))),
              ElementsAre(GuidText(other) + ",Pset_WallCommon,FireRating,String,Default,SingleValue,1HR"));
}

TEST(ValueExportFailures, NoDefinitionsSkipsTheElementAndTheOthersAreWritten) {
  WallProject p;
  p.b.Set(p.wall, p.fire, "2HR");
  const auto other = p.b.Element("Wall");
  p.b.Set(other, p.fire, "1HR");
  ScratchFolder folder;
  InProcessHost host(p.b.Build(),
                     OptionsFor(folder, {FailFor("GetElementPropertyDefinitions", p.wallText, FvErr_NoSuchElement)}));

  EXPECT_EQ(Export(host), 2);
  EXPECT_THAT(host.Report(), ElementsAre("Export Property Values: GetPropertyDefinitions for element " + p.wallText +
                                         " failed with Error Code: " + Code(FvErr_NoSuchElement)));
  EXPECT_THAT(Lines(ReadText(values_test::DataFileIn(folder))),
              ElementsAre(GuidText(other) + ",Pset_WallCommon,FireRating,String,Default,SingleValue,1HR"));
}

TEST(ValueExportFailures, EachPropertyFailureSkipsOnlyThatProperty) {
  WallProject p;
  p.b.Set(p.wall, p.fire, "2HR");
  p.b.Set(p.wall, p.width, 0.25);
  p.b.SetBool(p.wall, p.load, false);
  p.b.Set(p.wall, p.storeys, 3);
  const std::string& w = p.wallText;
  ScratchFolder folder;
  // The definitions of the wall, in order: FireRating, Width, LoadBearing, Finish, Storeys.
  InProcessHost host(p.b.Build(), OptionsFor(folder, {Fail("GetPropertyGroup", FvErr_NoSuchGroup, 1),
                                                      Fail("GetPropertyValue", FvErr_General, 2),
                                                      Fail("GetPropertyValueString", FvErr_BadParameter, 2)}));

  EXPECT_EQ(Export(host), 2);
  EXPECT_THAT(host.Report(),
              ElementsAre("Export Property Values: GetPropertyGroup of element " + w +
                              " for property FireRating failed with Error Code : " + Code(FvErr_NoSuchGroup),
                          "Export Default Property Values: GetPropertyValue of element " + w +
                              " for property Pset_WallCommon:LoadBearing failed with Error Code : " +
                              Code(FvErr_General),
                          "Export Default Property Values: GetPropertyValueString of element " + w +
                              " for property SGPset_Wall:Storeys failed with Error Code : " +
                              Code(FvErr_BadParameter)));
  EXPECT_THAT(Lines(ReadText(values_test::DataFileIn(folder))), ElementsAre(w + ",Pset_WallCommon,Width,Double,Length,SingleValue,0.25"));
}

TEST(ValueExportFailures, NamesEnterReportLinesAsPlainText) {
  ProjectBuilder b;
  const auto definition = b.Definition(b.Group("Pset_100%"), "Ratio %d %s %n");
  const auto element = b.Element("Wall");
  b.Set(element, definition, "x");
  ScratchFolder folder;
  InProcessHost host(b.Build(), OptionsFor(folder, {Fail("GetPropertyValue", FvErr_General)}));

  EXPECT_EQ(Export(host), 2);
  EXPECT_THAT(host.Report(), ElementsAre("Export Default Property Values: GetPropertyValue of element " +
                                         GuidText(element) + " for property Pset_100%:Ratio %d %s %n" +
                                         " failed with Error Code : " + Code(FvErr_General)));
}

// A small file system for the data folder, mounted in a mount namespace of
// the test's own where it may, else a limit on the size of the files the
// process writes: either makes a real write fail part way, as a full disk does.
class SmallDisk {
 public:
  SmallDisk(const values_test::fs::path& folder, std::size_t bytes) {
    const std::string size = "size=" + std::to_string(bytes);
    if (::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
        ::mount("tmpfs", folder.c_str(), "tmpfs", 0, size.c_str()) == 0) {
      folder_ = folder;
      return;
    }
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit small = saved_;
    small.rlim_cur = bytes;
    std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &small);
  }
  ~SmallDisk() {
    if (!folder_.empty()) ::umount2(folder_.c_str(), MNT_DETACH);
    else ::setrlimit(RLIMIT_FSIZE, &saved_);
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

 private:
  values_test::fs::path folder_;
  rlimit saved_{};
};

// A write that fails names each row that is not wholly in the file, and
// only those; the file ends with its last whole row, and the import sets
// exactly the values the file holds, none of them cut short.
TEST(ValueExportFailures, AFullDiskNamesExactlyTheRowsThatAreNotInTheFile) {
  ProjectBuilder b;
  const auto group = b.Group("Pset_SpaceCommon");
  const auto note = b.Definition(group, "Note");
  const auto length = b.Definition(group, "Length", API_VariantReal, API_MeasureLength);
  std::vector<fvhost::Guid> elements;
  for (int e = 0; e < 400; ++e) {
    elements.push_back(b.Element("Space"));
    b.Set(elements.back(), note, e == 350 ? std::string(6010, 't') : std::to_string(e) + std::string(80, 'n'));
  }
  b.Set(elements[351], length, 1234.5678);
  ScratchFolder folder;
  SmallDisk disk(folder.path(), 40960);
  InProcessHost host(b.Build(), OptionsFor(folder));

  EXPECT_EQ(Export(host), 2);
  const std::string text = ReadText(values_test::DataFileIn(folder));
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.back(), '\n');
  const std::vector<std::string> lines = Lines(text);
  std::vector<std::string> named;
  for (std::size_t e = 0, row = 0; e < elements.size(); ++e)
    for (const char* property : {"Note", "Length"}) {
      if (property == std::string("Length") && e != 351) continue;
      const bool isNote = property == std::string("Note");
      const std::string whole = GuidText(elements[e]) + ",Pset_SpaceCommon," + property +
                                (isNote ? ",String,Default,SingleValue," : ",Double,Length,SingleValue,1234.5678") +
                                (!isNote ? "" : e == 350 ? std::string(6010, 't') : std::to_string(e) + std::string(80, 'n'));
      if (row < lines.size() && lines[row] == whole) {
        ++row;
        continue;
      }
      named.push_back("Export Property Values: value of element " + GuidText(elements[e]) +
                      " for property Pset_SpaceCommon:" + property + " could not be written to the data file");
    }
  EXPECT_GT(lines.size(), 100u);
  EXPECT_LT(lines.size(), 350u);
  EXPECT_EQ(host.Report(), named);

  values_test::Reimport(host);
  EXPECT_EQ(host.AsAddOn([] { return values_test::RunRestore(); }), 1);
  for (std::size_t e = 0; e < elements.size(); ++e) {
    const fvhost::PropertyValue* value = values_test::UserValue(host.project(), elements[e], "Pset_SpaceCommon", "Note");
    if (e < lines.size())
      EXPECT_EQ(value->single.text, e == 350 ? std::string(6010, 't') : std::to_string(e) + std::string(80, 'n'));
    else
      EXPECT_EQ(value, nullptr) << e;
  }
  EXPECT_EQ(values_test::UserValue(host.project(), elements[351], "Pset_SpaceCommon", "Length"), nullptr);
}

}  // namespace
