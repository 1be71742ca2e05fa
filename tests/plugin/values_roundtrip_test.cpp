// Steps 2 and 6 together, around a re-import of the IFC groups: every value a
// user set comes back exactly, whatever its type, measure or text, and the
// values of other groups are never touched.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include "ForvaneHost/DisplayText.hpp"
#include "values_fixture.hpp"

namespace {

using testing::ElementsAre;
using testing::IsEmpty;
using testing_support::InProcessHost;
using testing_support::ProjectBuilder;
using values_test::ChosenText;
using values_test::DefinitionNamed;
using values_test::GuidText;
using testing_support::OptionsFor;
using values_test::Reimport;
using values_test::RunRestore;
using testing_support::ScratchFolder;
using values_test::UserValue;

struct RoundTrip {
  int exported = -1;  // the outcome codes
  int restored = -1;
};

// Export, the re-import (with `change` applied to the new configuration), restore.
template <class Change>
RoundTrip ExportReimportRestore(InProcessHost& host, Change change) {
  RoundTrip result;
  result.exported = static_cast<int>(host.AsAddOn([] { return quarnel::Config().exportPropertyValues(); }));
  Reimport(host, change);
  result.restored = host.AsAddOn([] { return RunRestore(); });
  return result;
}
RoundTrip ExportReimportRestore(InProcessHost& host) {
  return ExportReimportRestore(host, [](fvhost::Project&) {});
}

// A round trip in which both steps are done and nothing is reported.
void ExpectEveryValueBack(InProcessHost& host) {
  const RoundTrip result = ExportReimportRestore(host);
  EXPECT_EQ(result.exported, 1);
  EXPECT_EQ(result.restored, 1);
  EXPECT_THAT(host.Report(), IsEmpty());
}

TEST(ValueRoundTrip, RealsOfEveryMeasureComeBackBitForBit) {
  const std::vector<double> samples = {1.25,  0.1,    1.0 / 3.0, -2.5e-7,   123456789.125, 1e15,
                                       1e-12, 0.0,    -0.0,      6.02e23,   std::nextafter(1.0, 2.0),
                                       std::numbers::pi, 0.3 - 0.1, 1234.5678, 90.0, 38.3451,
                                       1e-300, 1.8e305, 3e306, 5e-324};
  const std::vector<std::int32_t> measures = {API_MeasureDefault, API_MeasureLength, API_MeasureArea,
                                              API_MeasureVolume, API_MeasureAngle};
  ProjectBuilder b;
  const auto group = b.Group("Pset_Quantities");
  std::vector<fvhost::Guid> definitions;
  for (auto measure : measures)
    definitions.push_back(b.Definition(group, "M" + std::to_string(measure), API_VariantReal, measure));
  std::vector<fvhost::Guid> elements;
  for (double sample : samples) {
    elements.push_back(b.Element("Slab"));
    for (const auto& definition : definitions) b.Set(elements.back(), definition, sample);
  }
  ScratchFolder folder;
  InProcessHost host(b.Build(), OptionsFor(folder));

  ExpectEveryValueBack(host);
  for (std::size_t e = 0; e < elements.size(); ++e)
    for (auto measure : measures) {
      const fvhost::PropertyValue* value =
          UserValue(host.project(), elements[e], "Pset_Quantities", "M" + std::to_string(measure));
      ASSERT_NE(value, nullptr);
      EXPECT_EQ(std::bit_cast<std::uint64_t>(value->single.realValue), std::bit_cast<std::uint64_t>(samples[e]))
          << "measure " << measure << ", sample " << samples[e];
    }
}

TEST(ValueRoundTrip, IntegersBooleansAndTextsComeBackExactly) {
  const std::vector<std::string> texts = {"a, b",          "2\" thick, \"fire\" rated", "line one\nline two",
                                          "ends with CR\r", "",                          "Größe ∅ 直径 😀",
                                          std::string(10000, 'L'), " padded ",           ";semi;colons;",
                                          "%d %s %n",      ",,,,,,,"};
  ProjectBuilder b;
  const auto group = b.Group("SGPset_Element");
  const auto text = b.Definition(group, "Text");
  const auto number = b.Definition(group, "Number", API_VariantInteger);
  const auto flag = b.Definition(group, "Flag", API_VariantBoolean);
  std::vector<fvhost::Guid> elements;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    elements.push_back(b.Element("Wall"));
    b.Set(elements.back(), text, texts[i]);
    b.Set(elements.back(), number, static_cast<std::int32_t>(i) * 1000003 - 5000000);
    b.SetBool(elements.back(), flag, i % 2 == 0);
  }
  const auto extremes = b.Element("Wall");
  b.Set(extremes, number, std::numeric_limits<std::int32_t>::min());
  ScratchFolder folder;
  InProcessHost host(b.Build(), OptionsFor(folder));

  ExpectEveryValueBack(host);
  auto& project = host.project();
  for (std::size_t i = 0; i < texts.size(); ++i) {
    EXPECT_EQ(UserValue(project, elements[i], "SGPset_Element", "Text")->single.text, texts[i]) << "text " << i;
    EXPECT_EQ(UserValue(project, elements[i], "SGPset_Element", "Number")->single.intValue,
              static_cast<std::int32_t>(i) * 1000003 - 5000000);
    EXPECT_EQ(UserValue(project, elements[i], "SGPset_Element", "Flag")->single.boolValue, i % 2 == 0);
  }
  EXPECT_EQ(UserValue(project, extremes, "SGPset_Element", "Number")->single.intValue,
            std::numeric_limits<std::int32_t>::min());
}

// A cleared value, an undefined one and an empty text or list are three
// things to the user; each comes back as what it was, whatever its kind.
TEST(ValueRoundTrip, EveryValueComesBackWithTheStatusItHad) {
  ProjectBuilder b;
  const auto group = b.Group("Pset_Cleared");
  const auto real = b.Definition(group, "Width", API_VariantReal, API_MeasureLength);
  const auto number = b.Definition(group, "Count", API_VariantInteger);
  const auto flag = b.Definition(group, "Flag", API_VariantBoolean);
  const auto text = b.Definition(group, "Note");
  const auto choice = b.Options(b.Definition(group, "Finish"), {"Paint", "Tile"});
  const auto list = b.Definition(group, "Marks", API_VariantString, API_MeasureDefault, API_ListCollection);
  const std::vector<fvhost::Guid> definitions = {real, number, flag, text, choice, list};
  std::vector<fvhost::Guid> elements;
  for (std::int32_t status : {API_ValueNull, API_ValueUndefined}) {
    elements.push_back(b.Element("Wall"));
    for (const auto& definition : definitions) {
      fvhost::PropertyValue value;
      value.single.type = definition == choice ? API_VariantGuid : b.Def(definition).valueType;
      value.status = status;
      b.SetValue(elements.back(), definition, value);
    }
  }
  const auto empty = b.Element("Wall");
  b.Set(empty, text, "");
  b.SetValue(empty, list, fvhost::PropertyValue{});
  ScratchFolder folder;
  InProcessHost host(b.Build(), OptionsFor(folder));

  const RoundTrip result = ExportReimportRestore(host);
  EXPECT_EQ(result.restored, 1);
  EXPECT_THAT(host.Report(), IsEmpty());
  for (std::size_t e = 0; e < elements.size(); ++e)
    for (const char* name : {"Width", "Count", "Flag", "Note", "Finish", "Marks"}) {
      const fvhost::PropertyValue* value = UserValue(host.project(), elements[e], "Pset_Cleared", name);
      ASSERT_NE(value, nullptr) << name;
      EXPECT_EQ(value->status, e == 0 ? API_ValueNull : API_ValueUndefined) << name;
    }
  const fvhost::PropertyValue* emptyText = UserValue(host.project(), empty, "Pset_Cleared", "Note");
  const fvhost::PropertyValue* emptyList = UserValue(host.project(), empty, "Pset_Cleared", "Marks");
  ASSERT_TRUE(emptyText != nullptr && emptyList != nullptr);
  EXPECT_EQ(emptyText->status, API_ValueNormal);
  EXPECT_EQ(emptyText->single.text, "");
  EXPECT_EQ(emptyList->status, API_ValueNormal);
  EXPECT_TRUE(emptyList->list.empty());
}

// Options are found again by their shown value, whatever the value type; and
// of a multiple choice, each option the new configuration still offers.
TEST(ValueRoundTrip, ChoicesOfEveryValueTypeAndListsComeBack) {
  ProjectBuilder b;
  const auto group = b.Group("SGPset_Choices");
  auto options = [&](const char* name, std::int32_t type, std::vector<fvhost::Value> values) {
    const auto definition = b.Options(b.Definition(group, name, type), {});
    for (auto& v : values) b.Def(definition).options.push_back({fvhost::NewGuid(), v});
    return definition;
  };
  const auto count = options("Count", API_VariantInteger, {ProjectBuilder::Integer(1), ProjectBuilder::Integer(-40)});
  const auto size = options("Size", API_VariantReal, {ProjectBuilder::Real(0.1), ProjectBuilder::Real(1.0 / 3.0)});
  const auto flag = options("Flag", API_VariantBoolean, {ProjectBuilder::Boolean(false), ProjectBuilder::Boolean(true)});
  const auto status = b.Options(b.Definition(group, "Status"), {"NEW", "EXISTING, kept", "DEMOLISH"});
  b.Def(status).collectionType = API_MultipleChoiceCollection;
  b.Def(status).defaultValue = {};
  const auto widths = b.Definition(group, "Widths", API_VariantReal, API_MeasureLength, API_ListCollection);
  const auto marks = b.Definition(group, "Marks", API_VariantString, API_MeasureDefault, API_ListCollection);
  auto keys = [&](const fvhost::Guid& definition, std::vector<std::size_t> chosen) {
    fvhost::PropertyValue value;
    for (std::size_t o : chosen) value.list.push_back({API_VariantGuid, 0, 0, false, "", b.Def(definition).options[o].key});
    return value;
  };
  auto listOf = [](std::vector<fvhost::Value> items) {
    fvhost::PropertyValue value;
    value.list = std::move(items);
    return value;
  };
  const auto element = b.Element("Wall");
  b.SetValue(element, count, ProjectBuilder::Single({API_VariantGuid, 0, 0, false, "", b.Def(count).options[1].key}));
  b.SetValue(element, size, ProjectBuilder::Single({API_VariantGuid, 0, 0, false, "", b.Def(size).options[1].key}));
  b.SetValue(element, flag, ProjectBuilder::Single({API_VariantGuid, 0, 0, false, "", b.Def(flag).options[1].key}));
  b.SetValue(element, status, keys(status, {2, 1, 0}));
  b.SetValue(element, widths, listOf({ProjectBuilder::Real(38.3451), ProjectBuilder::Real(1e-300), ProjectBuilder::Real(0.9)}));
  b.SetValue(element, marks, listOf({ProjectBuilder::Text("a, \"b\""), ProjectBuilder::Text(""), ProjectBuilder::Text("c\nd")}));
  const auto gone = b.Element("Wall");
  b.SetValue(gone, status, keys(status, {2}));
  ScratchFolder folder;
  InProcessHost host(b.Build(), OptionsFor(folder));

  const RoundTrip result = ExportReimportRestore(host, [](fvhost::Project& project) {
    auto& offered = DefinitionNamed(project, "SGPset_Choices", "Status").options;
    offered.erase(offered.begin() + 2);  // DEMOLISH is no longer offered
  });
  EXPECT_EQ(result.restored, 2);
  const std::string line = "Import Property Values: option \"DEMOLISH\" of SGPset_Choices:Status is no longer offered; "
                           "it is not restored on element ";
  EXPECT_THAT(host.Report(), ElementsAre(line + GuidText(element), line + GuidText(gone)));
  auto& project = host.project();
  auto chosen = [&](const char* name, const fvhost::Value& key) {
    for (const auto& option : DefinitionNamed(project, "SGPset_Choices", name).options)
      if (option.key == key.guid) return option.display;
    return fvhost::Value{};
  };
  EXPECT_EQ(chosen("Count", UserValue(project, element, "SGPset_Choices", "Count")->single).intValue, -40);
  EXPECT_EQ(chosen("Size", UserValue(project, element, "SGPset_Choices", "Size")->single).realValue, 1.0 / 3.0);
  EXPECT_TRUE(chosen("Flag", UserValue(project, element, "SGPset_Choices", "Flag")->single).boolValue);
  const auto& statuses = UserValue(project, element, "SGPset_Choices", "Status")->list;
  ASSERT_EQ(statuses.size(), 2u);
  EXPECT_EQ(chosen("Status", statuses[0]).text, "EXISTING, kept");
  EXPECT_EQ(chosen("Status", statuses[1]).text, "NEW");
  EXPECT_EQ(UserValue(project, gone, "SGPset_Choices", "Status"), nullptr);
  const auto& lengths = UserValue(project, element, "SGPset_Choices", "Widths")->list;
  ASSERT_EQ(lengths.size(), 3u);
  EXPECT_EQ(lengths[0].realValue, 38.3451);
  EXPECT_EQ(lengths[1].realValue, 1e-300);
  EXPECT_EQ(lengths[2].realValue, 0.9);
  const auto& texts = UserValue(project, element, "SGPset_Choices", "Marks")->list;
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0].text, "a, \"b\"");
  EXPECT_EQ(texts[1].text, "");
  EXPECT_EQ(texts[2].text, "c\nd");
}

TEST(ValueRoundTrip, NamesWithSeparatorsQuotesAndLineEndsFindTheirPropertyAgain) {
  ProjectBuilder b;
  const auto odd = b.Group("Pset_Odd, \"quoted\"\nname");
  const auto plain = b.Group("Pset_Plain");
  const auto first = b.Definition(odd, "A,B");
  const auto second = b.Definition(odd, "A");
  const auto third = b.Definition(plain, "B,A");
  const auto choice = b.Options(b.Definition(plain, "Finish, inner"), {"Paint, matt", "Tile \"large\"", "Two\nlines"});
  const auto wall = b.Element("Wall");
  b.Set(wall, first, "one");
  b.Set(wall, second, "two");
  b.Set(wall, third, "three");
  b.SetOption(wall, choice, "Tile \"large\"");
  const auto slab = b.Element("Slab");
  b.SetOption(slab, choice, "Paint, matt");
  const auto door = b.Element("Door");
  b.SetOption(door, choice, "Two\nlines");
  ScratchFolder folder;
  InProcessHost host(b.Build(), OptionsFor(folder));

  ExpectEveryValueBack(host);
  auto& project = host.project();
  EXPECT_EQ(UserValue(project, wall, "Pset_Odd, \"quoted\"\nname", "A,B")->single.text, "one");
  EXPECT_EQ(UserValue(project, wall, "Pset_Odd, \"quoted\"\nname", "A")->single.text, "two");
  EXPECT_EQ(UserValue(project, wall, "Pset_Plain", "B,A")->single.text, "three");
  EXPECT_EQ(ChosenText(project, wall, "Pset_Plain", "Finish, inner"), "Tile \"large\"");
  EXPECT_EQ(ChosenText(project, slab, "Pset_Plain", "Finish, inner"), "Paint, matt");
  EXPECT_EQ(ChosenText(project, door, "Pset_Plain", "Finish, inner"), "Two\nlines");
}

// Group "Pset_A:B" with property "C" and group "Pset_A" with property "B:C"
// both read "Pset_A:B:C" when the names are simply joined; so do the other
// pairs below, with a colon or a backslash at the seam.
TEST(ValueRoundTrip, NamesHoldingColonsOrBackslashesKeepTheirOwnProperties) {
  ProjectBuilder b;
  struct Pair {
    const char* group;
    const char* property;
    const char* value;
  };
  const std::vector<Pair> pairs{
      {"Pset_A:B", "C", "group with colon"},     {"Pset_A", "B:C", "property with colon"},
      {"Pset_A:", "D", "trailing colon"},        {"Pset_A", ":D", "leading colon"},
      {"Pset_A:", "F", "colon before the seam"}, {"Pset_A\\", ":F", "backslash before the seam"},
      {"Pset_A\\:", "G", "backslash colon"},    {"Pset_A\\", ":G", "backslash, colon after the seam"},
      {"Pset_A", "\\", "backslash property"},
  };
  const auto element = b.Element("Wall");
  std::map<std::string, fvhost::Guid> groups;
  for (const Pair& pair : pairs) {
    if (!groups.contains(pair.group)) groups[pair.group] = b.Group(pair.group);
    b.Set(element, b.Definition(groups[pair.group], pair.property), pair.value);
  }
  ScratchFolder folder;
  InProcessHost host(b.Build(), OptionsFor(folder));

  ExpectEveryValueBack(host);
  for (const Pair& pair : pairs) {
    const fvhost::PropertyValue* value = UserValue(host.project(), element, pair.group, pair.property);
    ASSERT_NE(value, nullptr) << pair.group << " / " << pair.property;
    EXPECT_EQ(value->single.text, pair.value) << pair.group << " / " << pair.property;
  }
}

TEST(ValueRoundTrip, DefaultsStayDefaultsAndOtherGroupsAreNeverTouched) {
  ProjectBuilder b;
  const auto ifc = b.Group("Pset_WallCommon");
  const auto own = b.Group("Office Data");
  const auto fire = b.Definition(ifc, "FireRating");
  const auto acoustic = b.Definition(ifc, "AcousticRating");
  b.DefaultValue(acoustic, ProjectBuilder::Text("none"));
  const auto cost = b.Definition(own, "Cost", API_VariantReal);
  const auto wall = b.Element("Wall");
  b.Set(wall, fire, "2HR");
  b.Set(wall, cost, 1234.5);
  const auto plainWall = b.Element("Wall");
  b.Set(plainWall, cost, 99.0);
  ScratchFolder folder;
  InProcessHost host(b.Build(), OptionsFor(folder));
  const auto ownDefinitionsBefore = DefinitionNamed(host.project(), "Office Data", "Cost");

  const RoundTrip result = ExportReimportRestore(host);
  EXPECT_EQ(result.exported, 1);
  EXPECT_EQ(result.restored, 1);
  auto& project = host.project();
  EXPECT_EQ(UserValue(project, wall, "Pset_WallCommon", "FireRating")->single.text, "2HR");
  EXPECT_EQ(UserValue(project, wall, "Pset_WallCommon", "AcousticRating"), nullptr);
  EXPECT_EQ(UserValue(project, plainWall, "Pset_WallCommon", "FireRating"), nullptr);
  EXPECT_EQ(UserValue(project, wall, "Office Data", "Cost")->single.realValue, 1234.5);
  EXPECT_EQ(UserValue(project, plainWall, "Office Data", "Cost")->single.realValue, 99.0);
  EXPECT_TRUE(DefinitionNamed(project, "Office Data", "Cost") == ownDefinitionsBefore);
  EXPECT_EQ(values_test::ElementOf(project, wall).values.size(), 2u);
}

TEST(ValueRoundTrip, WhatTheNewConfigurationNoLongerHoldsIsNamedWithItsValue) {
  ProjectBuilder b;
  b.Classification("IFC+SG", {"IfcDoor", "IfcWindow"});  // the configuration makes FireExit available for windows
  const auto group = b.Group("Pset_DoorCommon");
  const auto finish = b.Options(b.Definition(group, "Finish"), {"Paint", "Veneer", "Laminate"});
  const auto width = b.Definition(group, "Width", API_VariantReal, API_MeasureLength);
  const auto dropped = b.Definition(group, "Handing");
  const auto narrowed = b.Definition(group, "FireExit", API_VariantBoolean);
  const auto marks = b.Definition(group, "Marks", API_VariantString, API_MeasureDefault, API_ListCollection);
  const auto door = b.Element("Door", {"IfcDoor"});
  b.SetOption(door, finish, "Veneer");
  b.Set(door, width, 0.9);
  b.Set(door, dropped, "Left");
  b.SetBool(door, narrowed, true);
  fvhost::PropertyValue list;
  list.list = {ProjectBuilder::Text("M1"), ProjectBuilder::Text("M2")};
  b.SetValue(door, marks, list);
  const auto other = b.Element("Door");
  b.SetOption(other, finish, "Paint");
  ScratchFolder folder;
  InProcessHost host(b.Build(), OptionsFor(folder));
  const std::string d = GuidText(door);

  const RoundTrip result = ExportReimportRestore(host, [](fvhost::Project& project) {
    auto& options = DefinitionNamed(project, "Pset_DoorCommon", "Finish").options;
    options.erase(options.begin() + 1);  // Veneer is no longer offered
    DefinitionNamed(project, "Pset_DoorCommon", "Width").valueType = API_VariantString;
    DefinitionNamed(project, "Pset_DoorCommon", "Width").defaultValue.single.type = API_VariantString;
    DefinitionNamed(project, "Pset_DoorCommon", "Handing").name = "Swing";
    DefinitionNamed(project, "Pset_DoorCommon", "FireExit").availableFor = {"IfcWindow"};
  });

  EXPECT_EQ(result.exported, 1);
  EXPECT_EQ(result.restored, 2);
  EXPECT_THAT(host.Report(),
              ElementsAre("Import Property Values: option \"Veneer\" of Pset_DoorCommon:Finish is no longer offered; it is "
                          "not restored on element " + d,
                          "Import Property Values: value type of element " + d +
                              " for Pset_DoorCommon - Width changed; value not restored",
                          "Import Property Values: property Pset_DoorCommon:Handing of element " + d +
                              " is not in the new configuration; value \"Left\" not restored",
                          "Import Property Values: property Pset_DoorCommon:FireExit of element " + d +
                              " is no longer available for this element; value \"True\" not restored"));
  auto& project = host.project();
  EXPECT_EQ(ChosenText(project, door, "Pset_DoorCommon", "Finish"), "<default>");
  EXPECT_EQ(ChosenText(project, other, "Pset_DoorCommon", "Finish"), "Paint");
  EXPECT_EQ(UserValue(project, door, "Pset_DoorCommon", "Width"), nullptr);
  EXPECT_EQ(UserValue(project, door, "Pset_DoorCommon", "Swing"), nullptr);
  EXPECT_EQ(UserValue(project, door, "Pset_DoorCommon", "Marks")->list.size(), 2u);
}

// Each step finds what it made of a definition by the definition's place in
// the element's list; elements of other classes list other definitions there.
TEST(ValueRoundTrip, ElementsThatListOtherDefinitionsInTurnKeepTheirOwnValues) {
  ProjectBuilder b;
  b.Classification("IFC+SG", {"IfcDoor", "IfcWindow"});
  const auto group = b.Group("Pset_OpeningCommon");
  const auto doorOnly = b.Definition(group, "Swing");
  b.AvailableFor(doorOnly, {"IfcDoor"});
  const auto mark = b.Definition(group, "Mark");
  const auto height = b.Definition(group, "Height", API_VariantReal, API_MeasureLength);
  std::vector<fvhost::Guid> elements;
  for (int i = 0; i < 4; ++i) {
    const bool door = i % 2 == 0;
    elements.push_back(b.Element(door ? "Door" : "Window", {door ? "IfcDoor" : "IfcWindow"}));
    if (door) b.Set(elements.back(), doorOnly, "S" + std::to_string(i));
    b.Set(elements.back(), mark, "M" + std::to_string(i));
    b.Set(elements.back(), height, 2.0 + i);
  }
  ScratchFolder folder;
  InProcessHost host(b.Build(), OptionsFor(folder));

  ExpectEveryValueBack(host);
  for (int i = 0; i < 4; ++i) {
    const fvhost::PropertyValue* swing = UserValue(host.project(), elements[i], "Pset_OpeningCommon", "Swing");
    EXPECT_EQ(swing ? swing->single.text : "(none)", i % 2 == 0 ? "S" + std::to_string(i) : "(none)");
    EXPECT_EQ(UserValue(host.project(), elements[i], "Pset_OpeningCommon", "Mark")->single.text, "M" + std::to_string(i));
    EXPECT_EQ(UserValue(host.project(), elements[i], "Pset_OpeningCommon", "Height")->single.realValue, 2.0 + i);
  }
}

TEST(ValueRoundTrip, ThePluginsPeakDoesNotGrowWithTheProjectBeyondTheHostsElementList) {
  ProjectBuilder b;
  const auto group = b.Group("Pset_SpaceCommon");
  std::vector<fvhost::Guid> definitions;
  for (int d = 0; d < 8; ++d) definitions.push_back(b.Definition(group, "P" + std::to_string(d)));
  struct Peaks {
    std::int64_t exported = 0;
    std::int64_t restored = 0;
  };
  auto peaksOf = [&](int elementCount) {
    ProjectBuilder copy = b;
    for (int e = 0; e < elementCount; ++e) {
      const auto element = copy.Element("Space");
      for (const auto& definition : definitions) copy.Set(element, definition, std::string(40, 'v'));
    }
    ScratchFolder folder;
    InProcessHost host(copy.Build(), OptionsFor(folder));
    const Corbane::OwnerId owner = host.host().addOns().back().owner;
    auto peakDuring = [owner](auto step) {
      const std::int64_t live = Corbane::OwnerStats(owner).liveBytes;
      Corbane::ResetPeak(owner);
      step();
      return Corbane::OwnerStats(owner).peakBytes - live;
    };
    Peaks peaks;
    peaks.exported = peakDuring([&] {
      EXPECT_EQ(host.AsAddOn([] { return quarnel::Config().exportPropertyValues(); }), quarnel::Outcome::Done);
    });
    Reimport(host);
    peaks.restored = peakDuring([&] { EXPECT_EQ(host.AsAddOn([] { return RunRestore(); }), 1); });
    EXPECT_EQ(values_test::ElementOf(host.project(), host.project().elements.back()->guid).values.size(), 8u);
    return peaks;
  };
  const Peaks small = peaksOf(20);
  const Peaks large = peaksOf(400);
  // The element list that the host hands over is the one thing that grows (by doubling).
  EXPECT_LE(large.exported - small.exported, static_cast<std::int64_t>(2 * sizeof(API_Guid) * 400));
  EXPECT_LE(large.restored, small.restored + small.restored / 8);
}

}  // namespace
