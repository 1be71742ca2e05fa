// The restore: what each saved setting becomes on the re-created definition,
// what the host's checker decides, and every failure line.
#include <gmock/gmock.h>

#include <map>

#include "expressions/ExpressionCheckForm.hpp"
#include "expressions_fixture.hpp"

namespace expressions_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;
using quarnel::importExpressionsStatus;

const char* const WidthTimesTwo = "###Property:Pset_WallCommon/Width### * 2";
const char* const DroppedPlusOne = "###Property:Pset_WallCommon/Dropped### + 1";

TEST(ExpressionCheckForm, MarkersTurnIntoOpeningAndClosingBracesInTurn) {
  const std::pair<const char*, const char*> cases[] = {
      {"12 * 3", "12 * 3"},
      {"###Property:G/A###", "{Property:G/A}"},
      {"###Property:G/A### + ###Property:G/B###", "{Property:G/A} + {Property:G/B}"},
      {"###Property:G/A### + ###", "{Property:G/A} + {"},
      {"####", "{#"},
      {"######", "{}"},
      {"", ""},
  };
  for (const auto& [stored, checked] : cases)
    EXPECT_EQ(S(quarnel::ExpressionCheckForm(U(stored))), checked) << stored;
}

class ExpressionRestore : public SnapshotThenRestore {
 protected:
  // The project before the run: one definition of each kind in Pset_WallCommon.
  static fvhost::Project WallBefore() {
    ProjectBuilder b;
    auto wall = b.Group("Pset_WallCommon");
    b.DefaultValue(b.Definition(wall, "Width", API_VariantReal, API_MeasureLength), ProjectBuilder::Real(0.1));
    b.Definition(wall, "Dropped", API_VariantReal, API_MeasureLength);
    b.Expressions(b.Definition(wall, "Height", API_VariantReal, API_MeasureLength), {WidthTimesTwo});
    b.Options(b.Definition(wall, "Finish"), {"Paint", "Tile", "Plaster"}, "Tile");
    return b.Build();
  }
  // The same group as the configuration import re-creates it: new guids, no
  // Dropped, the definitions as the configuration file says.
  static fvhost::Project WallAfter() {
    ProjectBuilder b;
    auto wall = b.Group("Pset_WallCommon");
    b.Definition(wall, "Width", API_VariantReal, API_MeasureLength);
    b.Definition(wall, "Height", API_VariantReal, API_MeasureLength);
    b.Definition(wall, "Finish");
    return b.Build();
  }

  void SnapshotWall() { ASSERT_EQ(Snapshot(WallBefore()), 1); }

  void ExpectWallRestoredExcept(const std::string& notRestored) {
    if (notRestored != "Width") {
      EXPECT_EQ(Definition("Pset_WallCommon", "Width").defaultValue.status, API_ValueNormal);
      EXPECT_DOUBLE_EQ(Definition("Pset_WallCommon", "Width").defaultValue.single.realValue, 0.1);
    }
    if (notRestored != "Height") {
      EXPECT_THAT(Definition("Pset_WallCommon", "Height").expressions, ElementsAre(WidthTimesTwo));
    }
    if (notRestored != "Finish") {
      EXPECT_THAT(Definition("Pset_WallCommon", "Finish").options, SizeIs(3));
    }
  }
};

TEST_F(ExpressionRestore, AnExpressionIsCheckedInBraceFormAndStoredWithItsMarkers) {
  SnapshotWall();
  EXPECT_EQ(Restore(WallAfter()), FvErr_NoError);

  EXPECT_THAT(Calls("CheckPropertyExpressionString"), ElementsAre("{Property:Pset_WallCommon/Width} * 2"));
  const fvhost::Definition& height = Definition("Pset_WallCommon", "Height");
  EXPECT_TRUE(height.hasExpression);
  EXPECT_THAT(height.expressions, ElementsAre(WidthTimesTwo));
  EXPECT_EQ(importExpressionsStatus, quarnel::Outcome::Done);
  EXPECT_THAT(Report(), IsEmpty());
}

TEST_F(ExpressionRestore, RejectedTextsAreReportedAndTheAcceptedOnesKeptInOrder) {
  ProjectBuilder before;
  auto wall = before.Group("Pset_WallCommon");
  before.Definition(wall, "Width", API_VariantReal, API_MeasureLength);
  before.Definition(wall, "Dropped", API_VariantReal, API_MeasureLength);
  before.Expressions(before.Definition(wall, "Height", API_VariantReal, API_MeasureLength),
                     {"1 +", WidthTimesTwo, DroppedPlusOne, "4"});
  ASSERT_EQ(Snapshot(before.Build()), 1);

  EXPECT_EQ(Restore(WallAfter()), FvErr_NoError);

  // The dropped property exists no more, so the host's checker refuses it.
  const std::string error = Code(FvErr_BadExpression);
  EXPECT_THAT(Report(), ElementsAre("Import Expressions and Option Sets: Expression check 1 + for propertry "
                                    "Pset_WallCommon:Heightfailed with error " + error,
                                    std::string("Import Expressions and Option Sets: Expression check ") +
                                        DroppedPlusOne + " for propertry Pset_WallCommon:Heightfailed with error " +
                                        error));
  EXPECT_THAT(Definition("Pset_WallCommon", "Height").expressions, ElementsAre(WidthTimesTwo, "4"));
  EXPECT_EQ(importExpressionsStatus, quarnel::Outcome::Partial);
}

TEST_F(ExpressionRestore, WhenEveryTextIsRejectedTheDefinitionIsNotChanged) {
  ProjectBuilder before;
  auto wall = before.Group("Pset_WallCommon");
  before.Definition(wall, "Dropped");
  before.Expressions(before.Definition(wall, "Height"), {DroppedPlusOne, "(2"});
  ASSERT_EQ(Snapshot(before.Build()), 1);
  // An option set under the same key does not stand in for rejected expressions.
  quarnel::savedOptionSets.Add(Key("Pset_WallCommon", "Height"), {API_SingleEnumerationVariant{}});
  const fvhost::Project after = WallAfter();

  EXPECT_EQ(Restore(after), FvErr_NoError);

  EXPECT_THAT(Report(), SizeIs(2));
  EXPECT_TRUE(Definition("Pset_WallCommon", "Height") == *FindDefinition(after, "Pset_WallCommon", "Height"));
  EXPECT_THAT(Calls("ChangePropertyDefinition"), IsEmpty());
  EXPECT_EQ(importExpressionsStatus, quarnel::Outcome::Partial);
}

TEST_F(ExpressionRestore, ExpressionsOutrankAnOptionSetSavedUnderTheSameKey) {
  SnapshotWall();
  quarnel::savedOptionSets.Add(Key("Pset_WallCommon", "Height"),
                               quarnel::savedOptionSets.Get(Key("Pset_WallCommon", "Finish")));

  EXPECT_EQ(Restore(WallAfter()), FvErr_NoError);

  const fvhost::Definition& height = Definition("Pset_WallCommon", "Height");
  EXPECT_THAT(height.expressions, ElementsAre(WidthTimesTwo));
  EXPECT_EQ(height.collectionType, API_SingleCollection);
  EXPECT_THAT(height.options, IsEmpty());
}

TEST_F(ExpressionRestore, AnOptionSetComesBackWithItsDefaultFoundByDisplayText) {
  ProjectBuilder before;
  before.Options(before.Definition(before.Group("SGPset_Door"), "Rating"), {"Low", "Medium", "High"}, "Medium");
  ASSERT_EQ(Snapshot(before.Build()), 1);
  ProjectBuilder after;  // the configuration had other options
  after.Options(after.Definition(after.Group("SGPset_Door"), "Rating"), {"1", "2"}, "2");

  EXPECT_EQ(Restore(after.Build()), FvErr_NoError);

  const fvhost::Definition& rating = Definition("SGPset_Door", "Rating");
  EXPECT_EQ(rating.collectionType, API_SingleChoiceCollection);
  ASSERT_THAT(rating.options, SizeIs(3));
  EXPECT_EQ(rating.options[0].display.text, "Low");
  EXPECT_EQ(rating.options[2].display.text, "High");
  EXPECT_EQ(rating.defaultValue.status, API_ValueNormal);
  EXPECT_EQ(rating.defaultValue.single.guid, FindOption(rating, "Medium")->key);
  EXPECT_THAT(Calls("ChangePropertyDefinition"), SizeIs(2));
  EXPECT_EQ(importExpressionsStatus, quarnel::Outcome::Done);
}

TEST_F(ExpressionRestore, ANumberOptionSetKeepsItsDefaultAndDoesNotFallBackToTheFirstOption) {
  ProjectBuilder before;
  auto count = before.Definition(before.Group("Pset_StairCommon"), "RiserCount", API_VariantInteger);
  fvhost::Definition& riser = before.Def(count);
  riser.collectionType = API_SingleChoiceCollection;
  for (int number : {12, 14, 16}) {
    fvhost::Option option;
    option.key = fvhost::NewGuid();
    option.display = ProjectBuilder::Integer(number);
    riser.options.push_back(option);
  }
  riser.defaultValue.single = {};
  riser.defaultValue.single.type = API_VariantGuid;
  riser.defaultValue.single.guid = riser.options[1].key;
  riser.defaultValue.status = API_ValueNormal;
  ASSERT_EQ(Snapshot(before.Build()), 1);
  ProjectBuilder after;
  after.Definition(after.Group("Pset_StairCommon"), "RiserCount", API_VariantInteger);

  EXPECT_EQ(Restore(after.Build()), FvErr_NoError);

  const fvhost::Definition& restored = Definition("Pset_StairCommon", "RiserCount");
  ASSERT_THAT(restored.options, SizeIs(3));
  EXPECT_EQ(restored.defaultValue.single.guid, restored.options[1].key);
  EXPECT_EQ(restored.defaultValue.status, API_ValueNormal);
  EXPECT_THAT(Report(), IsEmpty());
}

TEST_F(ExpressionRestore, AnOptionSetWithoutSavedDefaultPointsAtTheFirstOptionWithTheImportedStatus) {
  ProjectBuilder before;
  before.Options(before.Definition(before.Group("Pset_DoorCommon"), "Handing"), {"Left", "Right"});
  ASSERT_EQ(Snapshot(before.Build()), 1);
  ProjectBuilder after;
  after.DefaultValue(after.Definition(after.Group("Pset_DoorCommon"), "Handing"), ProjectBuilder::Text(""),
                     API_ValueUndefined);

  EXPECT_EQ(Restore(after.Build()), FvErr_NoError);

  const fvhost::Definition& handing = Definition("Pset_DoorCommon", "Handing");
  ASSERT_THAT(handing.options, SizeIs(2));
  EXPECT_EQ(handing.defaultValue.single.guid, handing.options[0].key);
  EXPECT_EQ(handing.defaultValue.status, API_ValueUndefined);
  EXPECT_THAT(Calls("ChangePropertyDefinition"), SizeIs(1));
  EXPECT_THAT(Report(), IsEmpty());
}

TEST_F(ExpressionRestore, AnEmptySavedOptionListLeavesTheImportedDefaultAsItWas) {
  quarnel::savedOptionSets.Add(Key("Pset_DoorCommon", "Handing"), {});
  ProjectBuilder after;
  after.DefaultValue(after.Definition(after.Group("Pset_DoorCommon"), "Handing"), ProjectBuilder::Text("Left"),
                     API_ValueUndefined);
  const fvhost::Project imported = after.Build();

  EXPECT_EQ(Restore(imported), FvErr_NoError);

  const fvhost::Definition& handing = Definition("Pset_DoorCommon", "Handing");
  EXPECT_EQ(handing.collectionType, API_SingleChoiceCollection);
  EXPECT_THAT(handing.options, IsEmpty());
  EXPECT_TRUE(handing.defaultValue == FindDefinition(imported, "Pset_DoorCommon", "Handing")->defaultValue);
  EXPECT_THAT(Report(), IsEmpty());
}

TEST_F(ExpressionRestore, ASavedDefaultValueReplacesTheWholeImportedOneNullStatusIncluded) {
  ProjectBuilder before;
  auto slab = before.Group("Pset_SlabCommon");
  before.DefaultValue(before.Definition(slab, "LoadBearing", API_VariantBoolean), ProjectBuilder::Boolean(false),
                      API_ValueNull);
  before.DefaultValue(before.Definition(slab, "Thickness", API_VariantReal, API_MeasureLength),
                      ProjectBuilder::Real(0.25));
  ASSERT_EQ(Snapshot(before.Build()), 1);
  ProjectBuilder after;
  auto newSlab = after.Group("Pset_SlabCommon");
  after.DefaultValue(after.Definition(newSlab, "LoadBearing", API_VariantBoolean), ProjectBuilder::Boolean(true));
  after.DefaultValue(after.Definition(newSlab, "Thickness", API_VariantReal, API_MeasureLength),
                     ProjectBuilder::Real(0.2));

  EXPECT_EQ(Restore(after.Build()), FvErr_NoError);

  EXPECT_EQ(Definition("Pset_SlabCommon", "LoadBearing").defaultValue.status, API_ValueNull);
  EXPECT_DOUBLE_EQ(Definition("Pset_SlabCommon", "Thickness").defaultValue.single.realValue, 0.25);
  EXPECT_THAT(Calls("ChangePropertyDefinition"), SizeIs(2));
  EXPECT_EQ(importExpressionsStatus, quarnel::Outcome::Done);
}

TEST_F(ExpressionRestore, DefinitionsWithNothingSavedAndGroupsThatAreNotIfcAreLeftAlone) {
  quarnel::savedExpressions.Add(Key("Other", "Depth"), {U("1")});
  quarnel::savedDefaultValues.Add(Key("Other", "Count"), API_PropertyValue{});
  ProjectBuilder after;
  auto wall = after.Group("Pset_WallCommon");
  after.Definition(wall, "FireRating");
  auto other = after.Group("Other");
  after.Definition(other, "Depth");
  after.DefaultValue(after.Definition(other, "Count", API_VariantInteger), ProjectBuilder::Integer(3));
  const fvhost::Project untouched = after.Build();

  EXPECT_EQ(Restore(untouched), FvErr_NoError);

  EXPECT_TRUE(project() == untouched);
  EXPECT_THAT(Calls("ChangePropertyDefinition"), IsEmpty());
  EXPECT_THAT(Report(), IsEmpty());
  EXPECT_EQ(importExpressionsStatus, quarnel::Outcome::Done);
}

struct FailureCase {
  const char* operation;
  int nth;
  std::string line;
  std::string notRestored;
};

TEST_F(ExpressionRestore, EveryFailureIsReportedWithItsOwnLineAndTheWalkGoesOn) {
  // The restore walks Width, Height, Finish and changes them in that order;
  // Finish twice (its option set, then its default).
  const FailureCase cases[] = {
      {"GetPropertyGroup", 2, "Import Expressions and Option Sets: GetPropertyGroup for Height failed with Error Code: 7",
       "Height"},
      {"ChangePropertyDefinition", 1,
       "Import Default Values: ChangePropertyDefinition (Default Value) for property Pset_WallCommon:Width failed with "
       "error code 7",
       "Width"},
      {"ChangePropertyDefinition", 2,
       "Import Expressions and Option Sets: ChangePropertyDefinition (Expression) for property Pset_WallCommon:Height "
       "failed with error code 7",
       "Height"},
      {"ChangePropertyDefinition", 3,
       "Import Expressions and Option Sets: ChangePropertyDefinition (Option Set) for property Pset_WallCommon:Finish "
       "failed with error code 7",
       "Finish"},
      {"ChangePropertyDefinition", 4,
       "Import Expressions and Option Sets: ChangePropertyDefinition (Option Set) to set default property for property "
       "Pset_WallCommon:Finish failed with error code 7",
       "FinishDefault"},
  };
  for (const FailureCase& failure : cases) {
    SCOPED_TRACE(failure.line);
    SnapshotWall();
    EXPECT_EQ(Restore(WallAfter(), Failing({Fail(failure.operation, 7, failure.nth)})), FvErr_NoError);

    EXPECT_THAT(Report(), ElementsAre(failure.line));
    EXPECT_EQ(importExpressionsStatus, quarnel::Outcome::Partial);
    ExpectWallRestoredExcept(failure.notRestored);
    EXPECT_TRUE(quarnel::SnapshotStoreIsEmpty());
  }
}

TEST_F(ExpressionRestore, AFailedOptionSetChangeLeavesNoSecondChange) {
  SnapshotWall();
  EXPECT_EQ(Restore(WallAfter(), Failing({Fail("ChangePropertyDefinition", 7, 3)})), FvErr_NoError);

  EXPECT_THAT(Calls("ChangePropertyDefinition"), SizeIs(3));
  const fvhost::Definition& finish = Definition("Pset_WallCommon", "Finish");
  EXPECT_EQ(finish.collectionType, API_SingleCollection);
  EXPECT_THAT(finish.options, IsEmpty());
}

TEST_F(ExpressionRestore, AFailedDefaultRebindLeavesTheFirstOption) {
  SnapshotWall();
  EXPECT_EQ(Restore(WallAfter(), Failing({Fail("ChangePropertyDefinition", 7, 4)})), FvErr_NoError);

  const fvhost::Definition& finish = Definition("Pset_WallCommon", "Finish");
  ASSERT_THAT(finish.options, SizeIs(3));
  EXPECT_EQ(finish.defaultValue.single.guid, FindOption(finish, "Paint")->key);
}

TEST_F(ExpressionRestore, AFailedListingIsReturnedToTheCommandAndKeepsTheStore) {
  SnapshotWall();
  EXPECT_EQ(Restore(WallAfter(), Failing({Fail("GetPropertyDefinitions", FvErr_General)})),
            FvErr_General);

  EXPECT_THAT(Report(), ElementsAre("Import Expressions and Options Sets: GetPropertyDefinitions failed Error Code: " +
                                    Code(FvErr_General)));
  EXPECT_EQ(importExpressionsStatus, quarnel::Outcome::Failed);
  EXPECT_TRUE(quarnel::savedExpressions.ContainsKey(Key("Pset_WallCommon", "Height")));
  EXPECT_TRUE(quarnel::savedOptionSets.ContainsKey(Key("Pset_WallCommon", "Finish")));
  EXPECT_TRUE(quarnel::savedDefaultOptions.ContainsKey(Key("Pset_WallCommon", "Finish")));
  EXPECT_TRUE(quarnel::savedDefaultValues.ContainsKey(Key("Pset_WallCommon", "Width")));
}

TEST_F(ExpressionRestore, NamesAndTextsWithPercentSignsArePrintedAsTheyStand) {
  ProjectBuilder before;
  before.Expressions(before.Definition(before.Group("Pset_100%d"), "Share %s"), {"###Property:Pset_100%d/Gone %n###"});
  ASSERT_EQ(Snapshot(before.Build()), 1);
  ProjectBuilder after;
  after.Definition(after.Group("Pset_100%d"), "Share %s");

  EXPECT_EQ(Restore(after.Build()), FvErr_NoError);

  EXPECT_THAT(Report(), ElementsAre("Import Expressions and Option Sets: Expression check ###Property:Pset_100%d/Gone "
                                    "%n### for propertry Pset_100%d:Share %sfailed with error " +
                                    Code(FvErr_BadExpression)));
}

// Side 0 of a pair has the separator in its group name, side 1 in its
// definition name; joined with the separator, both read the same.
std::string GroupOf(int side, char separator) { return side == 0 ? std::string("Pset_A") + separator + "B" : "Pset_A"; }
std::string NameOf(int side, char separator, const std::string& kind) {
  return side == 0 ? "C" + kind : std::string("B") + separator + "C" + kind;
}

// Every definition with its side's setting, or made anew without it.
fvhost::Project AlikeNames(bool withSettings) {
  ProjectBuilder b;
  std::map<std::string, fvhost::Guid> groups;
  for (char separator : {';', ':'}) {
    for (std::size_t side : {0, 1}) {
      const std::string group = GroupOf(side, separator);
      if (!groups.contains(group)) groups[group] = b.Group(group);
      auto definition = [&](const char* kind) { return b.Definition(groups[group], NameOf(side, separator, kind)); };
      const auto expression = definition("Expression"), optionSet = definition("OptionSet");
      const auto plain = definition("Default"), choices = definition("Choices");
      Choice(b, choices, API_MultipleChoiceCollection, TextOptions({"M", "N"}),
             withSettings ? std::vector<std::size_t>{side} : std::vector<std::size_t>{});
      if (!withSettings) continue;
      b.Expressions(expression, {side == 0 ? "1" : "2"});
      b.Options(optionSet, side == 0 ? std::vector<std::string>{"X", "Y"} : std::vector<std::string>{"P", "Q"},
                side == 0 ? "Y" : "P");
      b.DefaultValue(plain, ProjectBuilder::Text(side == 0 ? "first" : "second"));
    }
  }
  return b.Build();
}

TEST_F(ExpressionRestore, NamesThatReadAlikeOnceJoinedKeepTheirOwnSettingsFromEveryTable) {
  ASSERT_EQ(Snapshot(AlikeNames(true)), 1);
  EXPECT_EQ(Restore(AlikeNames(false)), FvErr_NoError);

  EXPECT_THAT(Report(), IsEmpty());
  for (char separator : {';', ':'}) {
    for (int side : {0, 1}) {
      SCOPED_TRACE(GroupOf(side, separator) + " / " + NameOf(side, separator, ""));
      auto restored = [&](const char* kind) -> const fvhost::Definition& {
        return Definition(GroupOf(side, separator), NameOf(side, separator, kind));
      };
      EXPECT_THAT(restored("Expression").expressions, ElementsAre(side == 0 ? "1" : "2"));
      EXPECT_THAT(ChosenOptions(restored("OptionSet")), ElementsAre(side == 0 ? "Y" : "P"));
      EXPECT_EQ(restored("Default").defaultValue.single.text, side == 0 ? "first" : "second");
      EXPECT_THAT(ChosenOptions(restored("Choices")), ElementsAre(side == 0 ? "M" : "N"));
    }
  }
}

TEST_F(ExpressionRestore, EachSettingOfADefinitionThatIsGoneIsNamedWithWhatWasSaved) {
  ProjectBuilder before;
  auto wall = before.Group("Pset_WallCommon");
  before.Expressions(before.Definition(wall, "Height"), {"1 + 2", "3"});
  before.Options(before.Definition(wall, "Finish"), {"Paint", "Tile", "Plaster"}, "Tile");
  before.DefaultValue(before.Definition(wall, "Width", API_VariantReal, API_MeasureLength), ProjectBuilder::Real(0.25));
  Choice(before, before.Definition(wall, "Status"), API_MultipleChoiceCollection, TextOptions({"NEW", "EXISTING"}),
         {1, 0});
  before.DefaultValue(before.Definition(wall, "Note"), ProjectBuilder::Text("two\nlines"));
  before.Options(before.Definition(before.Group("SGPset_100%d"), "Rating %s"), {"A"});
  ASSERT_EQ(Snapshot(before.Build()), 1);

  EXPECT_EQ(Restore(ProjectBuilder().Build()), FvErr_NoError);

  const std::string notIn = " is not in the new configuration; ";
  const std::string expressions = "Import Expressions and Option Sets: property ";
  const std::string defaults = "Import Default Values: property ";
  EXPECT_THAT(Report(), ElementsAre(expressions + "Pset_WallCommon:Height" + notIn +
                                        "expressions \"1 + 2\", \"3\" not restored",
                                    expressions + "Pset_WallCommon:Finish" + notIn + "option set of 3 options not restored",
                                    defaults + "Pset_WallCommon:Width" + notIn + "default value \"250\" not restored",
                                    defaults + "Pset_WallCommon:Status" + notIn +
                                        "default value \"EXISTING; NEW\" not restored",
                                    defaults + "Pset_WallCommon:Note" + notIn +
                                        "default value \"two\\nlines\" not restored",
                                    expressions + "SGPset_100%d:Rating %s" + notIn +
                                        "option set of 1 option not restored"));
  EXPECT_EQ(importExpressionsStatus, quarnel::Outcome::Partial);
}

TEST_F(ExpressionRestore, ADefinitionWhoseGroupCannotBeFetchedIsNotSaidToBeGone) {
  ProjectBuilder before;
  auto wall = before.Group("Pset_WallCommon");
  before.Expressions(before.Definition(wall, "Height"), {"1"});
  before.DefaultValue(before.Definition(wall, "Width", API_VariantReal), ProjectBuilder::Real(0.5));
  ASSERT_EQ(Snapshot(before.Build()), 1);
  ProjectBuilder after;
  after.Definition(after.Group("Pset_WallCommon"), "Height");

  // Width is gone, and the host cannot show its default either.
  EXPECT_EQ(Restore(after.Build(), Failing({Fail("GetPropertyGroup", 7, 1),
                                            Fail("GetPropertyValueString", 8, 1)})),
            FvErr_NoError);

  EXPECT_THAT(Report(), ElementsAre("Import Expressions and Option Sets: GetPropertyGroup for Height failed with Error "
                                    "Code: 7",
                                    "Import Default Values: property Pset_WallCommon:Width is not in the new "
                                    "configuration; its default value not restored (GetPropertyValueString failed "
                                    "with error code 8)"));
}

}  // namespace
}  // namespace expressions_test
