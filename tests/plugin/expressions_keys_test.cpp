// Pairs of group and definition names that read the same once joined with a
// ";" or a ":": each definition gets back its own settings from every table.
#include <gmock/gmock.h>

#include <map>

#include "expressions_fixture.hpp"

namespace expressions_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Side 0 has the separator in its group name, side 1 in its definition name.
std::string GroupOf(int side, char separator) {
  return side == 0 ? std::string("Pset_A") + separator + "B" : std::string("Pset_A");
}
std::string NameOf(int side, char separator, const std::string& kind) {
  return side == 0 ? "C" + kind : std::string("B") + separator + "C" + kind;
}

// Before the run each definition has its side's setting; after it the
// configuration has made the same definitions anew, without them.
fvhost::Project AlikeNames(bool withSettings) {
  ProjectBuilder b;
  std::map<std::string, fvhost::Guid> groups;
  for (char separator : {';', ':'}) {
    for (int side : {0, 1}) {
      const std::string groupName = GroupOf(side, separator);
      if (!groups.contains(groupName)) groups[groupName] = b.Group(groupName);
      auto definition = [&](const char* kind) {
        return b.Definition(groups[groupName], NameOf(side, separator, kind));
      };
      const auto expression = definition("Expression"), optionSet = definition("OptionSet");
      const auto plain = definition("Default"), choices = definition("Choices");
      Choice(b, choices, API_MultipleChoiceCollection, TextOptions({"M", "N"}),
             withSettings ? std::vector<std::size_t>{static_cast<std::size_t>(side)} : std::vector<std::size_t>{});
      if (!withSettings) continue;
      b.Expressions(expression, {side == 0 ? "1" : "2"});
      if (side == 0)
        b.Options(optionSet, {"X", "Y"}, "Y");
      else
        b.Options(optionSet, {"P", "Q", "R"}, "P");
      b.DefaultValue(plain, ProjectBuilder::Text(side == 0 ? "first" : "second"));
    }
  }
  return b.Build();
}

class SavedSettingKeys : public SnapshotThenRestore {};

TEST_F(SavedSettingKeys, NamesThatReadAlikeOnceJoinedKeepTheirOwnSettingsInEveryTable) {
  ASSERT_EQ(Snapshot(AlikeNames(true)), 1);
  EXPECT_EQ(quarnel::savedExpressions.GetSize(), 4u);
  EXPECT_EQ(quarnel::savedOptionSets.GetSize(), 4u);
  EXPECT_EQ(quarnel::savedDefaultOptions.GetSize(), 4u);
  EXPECT_EQ(quarnel::savedDefaultValues.GetSize(), 8u);  // the plain and the multiple-choice defaults

  EXPECT_EQ(Restore(AlikeNames(false)), FvErr_NoError);

  EXPECT_THAT(Report(), IsEmpty());
  for (char separator : {';', ':'}) {
    for (int side : {0, 1}) {
      auto restored = [&](const char* kind) -> const fvhost::Definition& {
        return Definition(GroupOf(side, separator), NameOf(side, separator, kind));
      };
      SCOPED_TRACE(GroupOf(side, separator) + " / " + NameOf(side, separator, ""));
      EXPECT_THAT(restored("Expression").expressions, ElementsAre(side == 0 ? "1" : "2"));
      EXPECT_THAT(ChosenOptions(restored("OptionSet")), ElementsAre(side == 0 ? "Y" : "P"));
      EXPECT_EQ(restored("Default").defaultValue.single.text, side == 0 ? "first" : "second");
      EXPECT_THAT(ChosenOptions(restored("Choices")), ElementsAre(side == 0 ? "M" : "N"));
    }
  }
}

}  // namespace
}  // namespace expressions_test
