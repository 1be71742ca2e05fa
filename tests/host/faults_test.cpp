// Injected faults: by operation, by its Nth call, by subject, by the call
// index of the run, and the call events of a traced run.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host_test_support.hpp"

namespace {

using host_test::HostWithAddOn;
using testing_support::Quiet;
using testing::ElementsAre;
using testing_support::Fail;
using testing_support::FailFor;
using testing_support::ProjectBuilder;

struct TwoGroups {
  ProjectBuilder b;
  fvhost::Guid wall = b.Group("Pset_WallCommon");
  fvhost::Guid slab = b.Group("Pset_SlabCommon");
  fvhost::Guid fire = b.Definition(wall, "FireRating");
  fvhost::Guid depth = b.Definition(slab, "Depth", API_VariantReal, API_MeasureLength);
  fvhost::Guid element = b.Element("Wall");
};

fvhost::HostOptions WithFault(fvhost::FaultRule rule) { return Quiet({.faults = {std::move(rule)}}); }

HostError GetGroup(HostWithAddOn& h, const fvhost::Guid& guid) {
  API_PropertyGroup group;
  group.guid = guid;
  return OP(h.host, GetPropertyGroup)(h.token, &group);
}

TEST(Faults, ARuleForAnOperationFailsEveryCallOfItAndOnlyThose) {
  TwoGroups p;
  HostWithAddOn h(p.b.Build(), WithFault(Fail("GetPropertyGroup", FvErr_ReadOnly)));
  EXPECT_EQ(GetGroup(h, p.wall), FvErr_ReadOnly);
  EXPECT_EQ(GetGroup(h, p.slab), FvErr_ReadOnly);
  Corbane::Array<API_PropertyGroup> groups;
  EXPECT_EQ(OP(h.host, GetPropertyGroups)(h.token, &groups), FvErr_NoError);
}

TEST(Faults, ARuleForTheNthCallFailsOnlyThatCall) {
  TwoGroups p;
  HostWithAddOn h(p.b.Build(), WithFault(Fail("GetPropertyGroup", FvErr_General, 2)));
  EXPECT_EQ(GetGroup(h, p.wall), FvErr_NoError);
  EXPECT_EQ(GetGroup(h, p.wall), FvErr_General);
  EXPECT_EQ(GetGroup(h, p.wall), FvErr_NoError);
}

TEST(Faults, ARuleForASubjectFailsTheCallsAboutIt) {
  TwoGroups p;
  HostWithAddOn h(p.b.Build(), WithFault(FailFor("DeletePropertyGroup", "Pset_SlabCommon", FvErr_General)));
  auto before = h.project();
  HostError wall = 0, slab = 0;
  h.InCommand("Delete", [&] {
    slab = OP(h.host, DeletePropertyGroup)(h.token, &p.slab);
    wall = OP(h.host, DeletePropertyGroup)(h.token, &p.wall);
    return FvErr_NoError;
  });
  EXPECT_EQ(slab, FvErr_General);
  EXPECT_EQ(wall, FvErr_NoError);
  ASSERT_EQ(h.project().groups.size(), 1u);
  EXPECT_EQ(h.project().groups[0].name, "Pset_SlabCommon");
}

TEST(Faults, ASubjectRuleMatchesAnyOfTheCallsSubjects) {
  TwoGroups p;
  HostWithAddOn byElement(p.b.Build(), WithFault(FailFor("GetPropertyValue", fvhost::GuidText(p.element), FvErr_BadId)));
  ElementPropertyRecord record;
  EXPECT_EQ(OP(byElement.host, GetPropertyValue)(byElement.token, &p.element, &p.fire, &record), FvErr_BadId);
  HostWithAddOn byName(p.b.Build(), WithFault(FailFor("GetPropertyValue", "Depth", FvErr_BadId)));
  EXPECT_EQ(OP(byName.host, GetPropertyValue)(byName.token, &p.element, &p.fire, &record), FvErr_NoError);
  EXPECT_EQ(OP(byName.host, GetPropertyValue)(byName.token, &p.element, &p.depth, &record), FvErr_BadId);
  HostWithAddOn byCommand(p.b.Build(), WithFault(FailFor("CallUndoableCommand", "Import Expressions", FvErr_General)));
  bool ran = false;
  EXPECT_EQ(byCommand.InCommand("Import Expressions", [&] {
    ran = true;
    return FvErr_NoError;
  }), FvErr_General);
  EXPECT_FALSE(ran);
  EXPECT_TRUE(byCommand.host.UndoStepNames().empty());
}

TEST(Faults, ACallFaultFailsTheNthCallOfTheRunWhateverItIs) {
  TwoGroups p;
  fvhost::HostOptions options = Quiet();
  options.callFaults.push_back({3, FvErr_NotAvailable});
  HostWithAddOn h(p.b.Build(), options);
  Corbane::Array<API_PropertyGroup> groups;
  EXPECT_EQ(OP(h.host, GetPropertyGroups)(h.token, &groups), FvErr_NoError);
  EXPECT_EQ(GetGroup(h, p.wall), FvErr_NoError);
  EXPECT_EQ(OP(h.host, QueryAddOnEnvironment)(0, FvQuery_MayLoad), FvErr_NotAvailable);
  EXPECT_EQ(GetGroup(h, p.wall), FvErr_NoError);
  EXPECT_EQ(h.host.OperationCalls(), 4);
}

TEST(Faults, ATracedRunHasACallEventWithTheFirstSubjectAndTheResult) {
  TwoGroups p;
  fvhost::HostOptions options = WithFault(Fail("GetPropertyGroup", FvErr_General, 2));
  options.traceCalls = true;
  HostWithAddOn h(p.b.Build(), options);
  GetGroup(h, p.wall);
  GetGroup(h, p.slab);
  Corbane::Array<API_PropertyGroup> groups;
  OP(h.host, GetPropertyGroups)(h.token, &groups);
  EXPECT_THAT(testing_support::EventLines(h.host, "call"),
              ElementsAre("{\"event\":\"call\",\"op\":\"GetPropertyGroup\",\"subject\":\"Pset_WallCommon\",\"result\":0}",
                          "{\"event\":\"call\",\"op\":\"GetPropertyGroup\",\"subject\":\"Pset_SlabCommon\",\"result\":" +
                              std::to_string(FvErr_General) + "}",
                          "{\"event\":\"call\",\"op\":\"GetPropertyGroups\",\"subject\":null,\"result\":0}"));
}

TEST(Faults, AFailedReportWritesNoLine) {
  fvhost::HostOptions options = WithFault(FailFor("WriteReport", "Line %d", FvErr_General));
  HostWithAddOn h({}, options);
  Corbane::UniString format("Line %d"), other("Other %d");
  EXPECT_EQ(OP(h.host, WriteReport)(h.token, &format, false, 1), FvErr_General);
  EXPECT_EQ(OP(h.host, WriteReport)(h.token, &other, false, 2), FvErr_NoError);
  EXPECT_THAT(h.host.ReportLines(), ElementsAre("Other 2"));
}

}  // namespace
