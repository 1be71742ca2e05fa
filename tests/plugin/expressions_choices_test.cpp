// Choices through the re-import: a multiple-choice default is found again by
// the texts of its options, and option sets of every value type come back
// with their defaults.
#include <gmock/gmock.h>

#include "expressions_fixture.hpp"

namespace expressions_test {
namespace {

using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using ::testing::SizeIs;
using quarnel::importExpressionsStatus;

class Choices : public SnapshotThenRestore {
 protected:
  // Status with a multiple-choice default of NEW and DEMOLISH, in that order.
  void SnapshotStatus() {
    ProjectBuilder before;
    auto status = before.Definition(before.Group("Pset_WallCommon"), "Status");
    Choice(before, status, API_MultipleChoiceCollection, TextOptions({"DEMOLISH", "EXISTING", "NEW", "TEMPORARY"}),
           {2, 0});
    ASSERT_EQ(Snapshot(before.Build()), 1);
  }
};

struct ReofferedCase {
  const char* what;
  std::vector<std::string> offered;  // by the configuration, with keys of its own
  std::vector<std::size_t> importedDefault;
  std::vector<std::string> kept;
  std::vector<std::string> lines;
  std::size_t changes;
};

TEST_F(Choices, AMultipleChoiceDefaultKeepsEachOptionStillOfferedAndNamesTheOthers) {
  const std::string gone = "Import Default Values: option \"";
  const std::string ofStatus = "\" of Pset_WallCommon:Status is no longer offered; it is not restored in the "
                               "default value";
  const ReofferedCase cases[] = {
      {"all offered again", {"EXISTING", "NEW", "OTHER", "DEMOLISH"}, {}, {"NEW", "DEMOLISH"}, {}, 1},
      {"DEMOLISH withdrawn", {"EXISTING", "NEW", "OTHER"}, {}, {"NEW"}, {gone + "DEMOLISH" + ofStatus}, 1},
      {"both withdrawn: the configuration's default stays",
       {"EXISTING", "OTHER"},
       {1},
       {"OTHER"},
       {gone + "NEW" + ofStatus, gone + "DEMOLISH" + ofStatus,
        "Import Default Values: no option of the default value of Pset_WallCommon:Status is offered any more; the "
        "default value stays as the configuration made it"},
       0},
  };
  for (const ReofferedCase& c : cases) {
    SCOPED_TRACE(c.what);
    SnapshotStatus();
    ProjectBuilder after;
    auto status = after.Definition(after.Group("Pset_WallCommon"), "Status");
    Choice(after, status, API_MultipleChoiceCollection, TextOptions(c.offered), c.importedDefault);

    EXPECT_EQ(Restore(after.Build()), FvErr_NoError);

    const fvhost::Definition& restored = Definition("Pset_WallCommon", "Status");
    EXPECT_THAT(ChosenOptions(restored), ElementsAreArray(c.kept));
    EXPECT_EQ(restored.defaultValue.status, API_ValueNormal);
    EXPECT_THAT(Report(), ElementsAreArray(c.lines));
    EXPECT_THAT(Calls("ChangePropertyDefinition"), SizeIs(c.changes));
    EXPECT_EQ(importExpressionsStatus, c.lines.empty() ? quarnel::Outcome::Done : quarnel::Outcome::Partial);
  }
}

std::vector<fvhost::Value> Reals(std::initializer_list<double> reals) {
  std::vector<fvhost::Value> values;
  for (double real : reals) values.push_back(ProjectBuilder::Real(real));
  return values;
}

struct TypedChoiceCase {
  const char* what;
  std::int32_t collectionType;
  std::vector<fvhost::Value> options;
  std::vector<std::size_t> chosen;
  std::int32_t remadeType;  // the value type the configuration gives the definition
};

TEST_F(Choices, OptionsOfRealsAndBooleansComeBackWithTheirDefaultUnlessTheHostRefusesTheirType) {
  const std::vector<fvhost::Value> booleans = {ProjectBuilder::Boolean(true), ProjectBuilder::Boolean(false)};
  const TypedChoiceCase cases[] = {
      {"real, single choice", API_SingleChoiceCollection, Reals({0.5, 1.25, 2}), {1}, API_VariantReal},
      {"boolean, single choice", API_SingleChoiceCollection, booleans, {1}, API_VariantBoolean},
      {"real, multiple choice", API_MultipleChoiceCollection, Reals({0.5, 1.25, 2}), {2, 0}, API_VariantReal},
      {"boolean, multiple choice", API_MultipleChoiceCollection, booleans, {1}, API_VariantBoolean},
      {"reals, now integers", API_SingleChoiceCollection, Reals({0.5, 1.25}), {1}, API_VariantInteger},
  };
  for (const TypedChoiceCase& c : cases) {
    SCOPED_TRACE(c.what);
    ProjectBuilder before;
    auto rating = before.Definition(before.Group("Pset_DoorCommon"), "Rating", c.options[0].type);
    const auto chosen = ChosenOptions(Choice(before, rating, c.collectionType, c.options, c.chosen));
    ASSERT_EQ(Snapshot(before.Build()), 1);
    // A single choice takes its options from the snapshot; a multiple choice
    // has the configuration's options, with keys of their own.
    ProjectBuilder after;
    auto remade = after.Definition(after.Group("Pset_DoorCommon"), "Rating", c.remadeType);
    if (c.collectionType == API_MultipleChoiceCollection) Choice(after, remade, c.collectionType, c.options, {});
    const fvhost::Project imported = after.Build();

    EXPECT_EQ(Restore(imported), FvErr_NoError);

    if (c.remadeType == c.options[0].type) {
      EXPECT_THAT(ChosenOptions(Definition("Pset_DoorCommon", "Rating")), ElementsAreArray(chosen));
      EXPECT_THAT(Report(), IsEmpty());
    } else {
      EXPECT_THAT(Report(), ElementsAreArray({"Import Expressions and Option Sets: ChangePropertyDefinition (Option "
                                              "Set) for property Pset_DoorCommon:Rating failed with error code " +
                                              Code(FvErr_ValueDoesNotFit)}));
      EXPECT_TRUE(project() == imported);
    }
  }
}

}  // namespace
}  // namespace expressions_test
