// Undoable commands: one step per command that succeeds, exact rollback of
// one that fails, and undo and redo of whole projects.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host_test_support.hpp"

namespace {

using host_test::HostWithAddOn;
using testing::ElementsAre;
using testing::HasSubstr;
using testing_support::ProjectBuilder;

struct SmallProject {
  ProjectBuilder b;
  fvhost::Guid group = b.Group("Pset_WallCommon");
  fvhost::Guid fire = b.Definition(group, "FireRating");
  fvhost::Guid first = b.Element("Wall");
  fvhost::Guid second = b.Element("Wall");
  SmallProject() { b.Set(first, fire, "1HR"); }
};

HostError SetFire(HostWithAddOn& h, const fvhost::Guid& element, const char* text) {
  ElementPropertyRecord record;
  fvhost::Guid definition = h.project().definitions[0].guid;
  if (HostError e = OP(h.host, GetPropertyValue)(h.token, &element, &definition, &record)) return e;
  record.isDefault = false;
  record.value.singleVariant.type = API_VariantString;
  record.value.singleVariant.uniStringValue = text;
  record.value.variantStatus = API_ValueNormal;
  return OP(h.host, SetProperty)(h.token, &element, &record);
}

TEST(UndoableCommand, LeavesOneNamedStepThatUndoesAndRedoesTheWholeProject) {
  SmallProject p;
  HostWithAddOn h(p.b.Build());
  fvhost::Project before = h.project();
  ASSERT_EQ(h.InCommand("Set Fire Ratings", [&] {
    HostError a = SetFire(h, p.first, "2HR");
    return a ? a : SetFire(h, p.second, "3HR");
  }), FvErr_NoError);
  fvhost::Project after = h.project();
  EXPECT_FALSE(after == before);
  EXPECT_THAT(h.host.UndoStepNames(), ElementsAre("Set Fire Ratings"));

  ASSERT_TRUE(h.host.Undo());
  EXPECT_EQ(h.project(), before);
  EXPECT_FALSE(h.host.Undo());
  ASSERT_TRUE(h.host.Redo());
  EXPECT_EQ(h.project(), after);
  EXPECT_FALSE(h.host.Redo());
  EXPECT_THAT(testing_support::EventLines(h.host, "command"),
              ElementsAre("{\"event\":\"command\",\"name\":\"Set Fire Ratings\",\"result\":0,\"undoStep\":true}"));
  EXPECT_THAT(testing_support::EventLines(h.host, "undo"), ElementsAre(HasSubstr("\"name\":\"Set Fire Ratings\"")));
  EXPECT_THAT(testing_support::EventLines(h.host, "redo"), ElementsAre(HasSubstr("\"name\":\"Set Fire Ratings\"")));
}

TEST(UndoableCommand, ThatFailsIsRolledBackExactlyAndLeavesNoStep) {
  SmallProject p;
  HostWithAddOn h(p.b.Build());
  fvhost::Project before = h.project();
  fvhost::Guid group = p.group;
  EXPECT_EQ(h.InCommand("Half Done", [&] {
    EXPECT_EQ(SetFire(h, p.second, "2HR"), FvErr_NoError);
    EXPECT_EQ(OP(h.host, DeletePropertyGroup)(h.token, &group), FvErr_NoError);
    return FvErr_General;
  }), FvErr_General);
  EXPECT_EQ(h.project(), before);
  EXPECT_TRUE(h.host.UndoStepNames().empty());
  EXPECT_THAT(testing_support::EventLines(h.host, "command"), ElementsAre(HasSubstr("\"undoStep\":false")));
}

TEST(UndoableCommand, ThatChangesNothingLeavesNoStepAndANewStepClearsRedo) {
  SmallProject p;
  HostWithAddOn h(p.b.Build());
  ASSERT_EQ(h.InCommand("First", [&] { return SetFire(h, p.second, "2HR"); }), FvErr_NoError);
  ASSERT_EQ(h.InCommand("Nothing", [] { return FvErr_NoError; }), FvErr_NoError);
  EXPECT_THAT(h.host.UndoStepNames(), ElementsAre("First"));
  EXPECT_THAT(testing_support::EventLines(h.host, "command").back(), HasSubstr("\"undoStep\":false"));
  ASSERT_TRUE(h.host.Undo());
  ASSERT_EQ(h.InCommand("Nothing again", [] { return FvErr_NoError; }), FvErr_NoError);
  EXPECT_THAT(h.host.UndoStepNames(), ElementsAre());
  ASSERT_EQ(h.InCommand("Third", [&] { return SetFire(h, p.second, "3HR"); }), FvErr_NoError);
  EXPECT_FALSE(h.host.Redo());
  EXPECT_THAT(h.host.UndoStepNames(), ElementsAre("Third"));
}

TEST(UndoableCommand, CannotBeNestedNorUndoneFromInside) {
  HostWithAddOn h;
  HostError inner = 0;
  bool undone = true;
  ASSERT_EQ(h.InCommand("Outer", [&] {
    inner = h.InCommand("Inner", [] { return FvErr_NoError; });
    undone = h.host.Undo();
    return FvErr_NoError;
  }), FvErr_NoError);
  EXPECT_EQ(inner, FvErr_CommandRunning);
  EXPECT_FALSE(undone);
  EXPECT_THAT(h.host.UndoStepNames(), ElementsAre());  // Outer changed nothing
  EXPECT_FALSE(h.host.InCommand());
  Corbane::UniString name("No Callback");
  EXPECT_EQ(OP(h.host, CallUndoableCommand)(h.token, &name, nullptr, nullptr), FvErr_BadParameter);
  EXPECT_EQ(OP(h.host, CallUndoableCommand)(h.token, nullptr, nullptr, nullptr), FvErr_BadParameter);
}

TEST(UndoableCommand, SharesTheElementsItDidNotChangeWithItsSnapshot) {
  ProjectBuilder b;
  auto group = b.Group("Pset_WallCommon");
  auto fire = b.Definition(group, "FireRating");
  std::vector<fvhost::Guid> elements;
  for (int i = 0; i < 1000; ++i) elements.push_back(b.Element("Wall"));
  HostWithAddOn h(b.Build());
  std::vector<const fvhost::Element*> before;
  for (const auto& e : h.project().elements) before.push_back(e.get());
  ASSERT_EQ(h.InCommand("One", [&] { return SetFire(h, elements[10], "2HR"); }), FvErr_NoError);
  for (std::size_t i = 0; i < before.size(); ++i)
    EXPECT_EQ(h.project().elements[i].get() == before[i], i != 10) << i;
  ASSERT_TRUE(h.host.Undo());
  EXPECT_EQ(h.project().elements[10].get(), before[10]);
  EXPECT_TRUE(h.project().elements[10]->values.empty());
  (void)fire;
}

TEST(UndoableCommand, SetProjectClearsTheHistory) {
  HostWithAddOn h;
  ASSERT_EQ(h.InCommand("Step", [] { return FvErr_NoError; }), FvErr_NoError);
  h.host.SetProject({});
  EXPECT_TRUE(h.host.UndoStepNames().empty());
  EXPECT_FALSE(h.host.Undo());
}

}  // namespace
