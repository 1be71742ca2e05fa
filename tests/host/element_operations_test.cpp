// Elements and their property values through the entry table.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "host_test_support.hpp"

namespace {

using host_test::HostWithAddOn;
using host_test::Utf8;
using testing::ElementsAre;
using testing_support::ProjectBuilder;

// A wall classified below IfcWall, a slab, and definitions for walls only, for
// partitions only, for slabs only and for every element.
struct BuildingProject {
  ProjectBuilder b;
  fvhost::Guid group = b.Group("Pset_Common");
  fvhost::Guid forWalls = b.Definition(group, "WallOnly");
  fvhost::Guid forPartitions = b.Definition(group, "PartitionOnly");
  fvhost::Guid forSlabs = b.Definition(group, "SlabOnly");
  fvhost::Guid height = b.Definition(group, "Height", API_VariantReal, API_MeasureLength);
  fvhost::Guid count = b.Definition(group, "Count", API_VariantInteger);
  fvhost::Guid loadBearing = b.Definition(group, "LoadBearing", API_VariantBoolean);
  fvhost::Guid finish = b.Options(b.Definition(group, "Finish"), {"Paint", "Tile"}, "Paint");
  fvhost::Guid tags = b.Definition(group, "Tags", API_VariantString, API_MeasureDefault, API_ListCollection);
  fvhost::Guid wall;
  fvhost::Guid slab;
  fvhost::Guid linked;

  BuildingProject() {
    b.Classification("IFC+SG", {"IfcSlab"});
    fvhost::ClassificationItem wallItem{fvhost::NewGuid(), "IfcWall", "Wall", {}};
    wallItem.children.push_back({fvhost::NewGuid(), "IfcWall.PARTITIONING", "Partition", {}});
    b.project().classificationSystems[0].items.push_back(wallItem);
    b.AvailableFor(forWalls, {"IfcWall"});
    b.AvailableFor(forPartitions, {"IfcWall.PARTITIONING"});
    b.AvailableFor(forSlabs, {"IfcSlab"});
    wall = b.Element("Wall", {"IfcWall.PARTITIONING"});
    slab = b.Element("Slab", {"IfcSlab"});
    linked = b.Element("Wall", {"IfcWall"});
    b.Link(linked, wall);
    b.Set(wall, height, 2.75);
    b.Set(wall, forWalls, "yes");
  }
};

std::vector<std::string> Names(const Corbane::Array<API_PropertyDefinition>& definitions) {
  std::vector<std::string> names;
  for (const auto& d : definitions) names.push_back(Utf8(d.name));
  return names;
}

TEST(Elements, AreListedInProjectOrderAllOrByType) {
  BuildingProject p;
  HostWithAddOn h(p.b.Build());
  Corbane::Array<API_Guid> elements;
  API_ElemType any;
  ASSERT_EQ(OP(h.host, GetElemList)(h.token, &any, &elements, 0, &APINullGuid), FvErr_NoError);
  ASSERT_EQ(elements.GetSize(), 3u);
  EXPECT_EQ(elements[0], p.wall);
  EXPECT_EQ(elements[2], p.linked);

  API_ElementHeader header;
  header.guid = p.slab;
  ASSERT_EQ(OP(h.host, GetElementHeader)(h.token, &header, 0), FvErr_NoError);
  API_ElemType slabs = header.type;
  ASSERT_EQ(OP(h.host, GetElemList)(h.token, &slabs, &elements, 0, nullptr), FvErr_NoError);
  ASSERT_EQ(elements.GetSize(), 1u);
  EXPECT_EQ(elements[0], p.slab);
  EXPECT_EQ(OP(h.host, GetElemList)(h.token, &any, nullptr, 0, nullptr), FvErr_BadParameter);
}

TEST(Elements, HeadersCarryTheLinkAndUnknownGuidsAreRefused) {
  BuildingProject p;
  HostWithAddOn h(p.b.Build());
  API_ElementHeader header;
  header.guid = p.linked;
  ASSERT_EQ(OP(h.host, GetElementHeader)(h.token, &header, 0), FvErr_NoError);
  EXPECT_EQ(header.linkGuid, p.wall);
  header.guid = p.wall;
  ASSERT_EQ(OP(h.host, GetElementHeader)(h.token, &header, 0), FvErr_NoError);
  EXPECT_TRUE(header.linkGuid.IsNull());
  header.guid = APINullGuid;
  EXPECT_EQ(OP(h.host, GetElementHeader)(h.token, &header, 0), FvErr_BadId);
  header.guid = fvhost::NewGuid();
  EXPECT_EQ(OP(h.host, GetElementHeader)(h.token, &header, 0), FvErr_NoSuchElement);
  EXPECT_EQ(OP(h.host, GetElementHeader)(h.token, nullptr, 0), FvErr_BadParameter);
}

TEST(Elements, CarryTheDefinitionsAvailableForTheirItemsOrItemsAboveThem) {
  BuildingProject p;
  HostWithAddOn h(p.b.Build());
  Corbane::Array<API_PropertyDefinition> definitions;
  ASSERT_EQ(OP(h.host, GetElementPropertyDefinitions)(h.token, &p.wall, 0, &definitions), FvErr_NoError);
  EXPECT_THAT(Names(definitions),
              ElementsAre("WallOnly", "PartitionOnly", "Height", "Count", "LoadBearing", "Finish", "Tags"));
  ASSERT_EQ(OP(h.host, GetElementPropertyDefinitions)(h.token, &p.linked, 0, &definitions), FvErr_NoError);
  EXPECT_THAT(Names(definitions), ElementsAre("WallOnly", "Height", "Count", "LoadBearing", "Finish", "Tags"));
  ASSERT_EQ(OP(h.host, GetElementPropertyDefinitions)(h.token, &p.slab, 0, &definitions), FvErr_NoError);
  EXPECT_EQ(definitions.GetSize(), 6u);
  EXPECT_EQ(Utf8(definitions[0].name), "SlabOnly");
  ASSERT_EQ(definitions[0].availability.GetSize(), 1u);
  fvhost::Guid unknown = fvhost::NewGuid();
  EXPECT_EQ(OP(h.host, GetElementPropertyDefinitions)(h.token, &unknown, 0, &definitions), FvErr_NoSuchElement);
}

TEST(PropertyValues, AreTheUserValueOrTheDefaultOrNotAvailable) {
  BuildingProject p;
  HostWithAddOn h(p.b.Build());
  ElementPropertyRecord record;
  ASSERT_EQ(OP(h.host, GetPropertyValue)(h.token, &p.wall, &p.height, &record), FvErr_NoError);
  EXPECT_EQ(record.status, API_PropertyKnown);
  EXPECT_FALSE(record.isDefault);
  EXPECT_EQ(record.value.singleVariant.doubleValue, 2.75);
  EXPECT_EQ(Utf8(record.definition.name), "Height");

  ElementPropertyRecord finish;
  ASSERT_EQ(OP(h.host, GetPropertyValue)(h.token, &p.wall, &p.finish, &finish), FvErr_NoError);
  EXPECT_EQ(finish.status, API_PropertyKnown);
  EXPECT_TRUE(finish.isDefault);
  EXPECT_EQ(finish.value.singleVariant.guidValue, finish.definition.possibleEnumValues[0].keyVariant.guidValue);

  ElementPropertyRecord slabOnly;
  ASSERT_EQ(OP(h.host, GetPropertyValue)(h.token, &p.wall, &p.forSlabs, &slabOnly), FvErr_NoError);
  EXPECT_EQ(slabOnly.status, API_PropertyNotAvailable);

  fvhost::Guid unknown = fvhost::NewGuid();
  EXPECT_EQ(OP(h.host, GetPropertyValue)(h.token, &unknown, &p.height, &record), FvErr_NoSuchElement);
  EXPECT_EQ(OP(h.host, GetPropertyValue)(h.token, &p.wall, &unknown, &record), FvErr_NoSuchDefinition);
  EXPECT_EQ(OP(h.host, GetPropertyValue)(h.token, &p.wall, &APINullGuid, &record), FvErr_BadId);
}

ElementPropertyRecord ValueRecord(HostWithAddOn& h, const fvhost::Guid& element, const fvhost::Guid& definition) {
  ElementPropertyRecord record;
  EXPECT_EQ(OP(h.host, GetPropertyValue)(h.token, &element, &definition, &record), FvErr_NoError);
  return record;
}

std::string Shown(HostWithAddOn& h, const ElementPropertyRecord& record) {
  Corbane::UniString text("left over");
  EXPECT_EQ(OP(h.host, GetPropertyValueString)(h.token, &record, &text), FvErr_NoError);
  return Utf8(text);
}

TEST(PropertyValueString, ShowsValuesAsTheHostDisplaysThem) {
  BuildingProject p;
  p.b.Set(p.wall, p.count, 1250);
  p.b.SetBool(p.wall, p.loadBearing, true);
  p.b.SetOption(p.wall, p.finish, "Tile");
  fvhost::PropertyValue tags;
  tags.status = API_ValueNormal;
  tags.list = {ProjectBuilder::Text("a"), ProjectBuilder::Text("b, c")};
  p.b.SetValue(p.wall, p.tags, tags);
  HostWithAddOn h(p.b.Build());
  EXPECT_EQ(Shown(h, ValueRecord(h, p.wall, p.height)), "2,750");
  EXPECT_EQ(Shown(h, ValueRecord(h, p.wall, p.count)), "1250");
  EXPECT_EQ(Shown(h, ValueRecord(h, p.wall, p.loadBearing)), "True");
  EXPECT_EQ(Shown(h, ValueRecord(h, p.wall, p.finish)), "Tile");
  EXPECT_EQ(Shown(h, ValueRecord(h, p.wall, p.tags)), "a; b, c");
  EXPECT_EQ(Shown(h, ValueRecord(h, p.slab, p.forSlabs)), "");  // undefined default

  ElementPropertyRecord spoiled = ValueRecord(h, p.wall, p.finish);
  spoiled.value.singleVariant.guidValue = fvhost::NewGuid();
  Corbane::UniString text;
  EXPECT_EQ(OP(h.host, GetPropertyValueString)(h.token, &spoiled, &text), FvErr_NotAnOption);
  spoiled = ValueRecord(h, p.wall, p.height);
  spoiled.value.singleVariant.type = API_VariantString;
  EXPECT_EQ(OP(h.host, GetPropertyValueString)(h.token, &spoiled, &text), FvErr_ValueDoesNotFit);
  EXPECT_EQ(OP(h.host, GetPropertyValueString)(h.token, nullptr, &text), FvErr_BadParameter);
}

TEST(SetProperty, StoresAFittingValueAndADefaultFlagRemovesTheUserValue) {
  BuildingProject p;
  HostWithAddOn h(p.b.Build());
  ElementPropertyRecord height = ValueRecord(h, p.wall, p.height);
  height.value.singleVariant.doubleValue = 3.5;
  ElementPropertyRecord finish = ValueRecord(h, p.slab, p.finish);
  finish.isDefault = false;
  finish.value.singleVariant.guidValue = finish.definition.possibleEnumValues[1].keyVariant.guidValue;
  ElementPropertyRecord walls = ValueRecord(h, p.wall, p.forWalls);
  walls.isDefault = true;
  ASSERT_EQ(h.InCommand("Set", [&] {
    HostError a = OP(h.host, SetProperty)(h.token, &p.wall, &height);
    HostError b = OP(h.host, SetProperty)(h.token, &p.slab, &finish);
    HostError c = OP(h.host, SetProperty)(h.token, &p.wall, &walls);
    return a ? a : b ? b : c;
  }), FvErr_NoError);
  EXPECT_EQ(ValueRecord(h, p.wall, p.height).value.singleVariant.doubleValue, 3.5);
  EXPECT_FALSE(ValueRecord(h, p.slab, p.finish).isDefault);
  EXPECT_EQ(Shown(h, ValueRecord(h, p.slab, p.finish)), "Tile");
  EXPECT_TRUE(ValueRecord(h, p.wall, p.forWalls).isDefault);
  EXPECT_EQ(h.project().elements[0]->values.size(), 1u);
}

TEST(SetProperty, RefusesValuesThatDoNotFitAndChangesNothing) {
  BuildingProject p;
  HostWithAddOn h(p.b.Build());
  auto before = h.project();
  struct Case {
    const char* what;
    fvhost::Guid element;
    fvhost::Guid definition;
    std::function<void(ElementPropertyRecord&)> spoil;
    HostError expected;
  };
  std::vector<Case> cases = {
      {"text for a real", p.wall, p.height, [](auto& r) { r.value.singleVariant.type = API_VariantString; },
       FvErr_ValueDoesNotFit},
      {"not a number", p.wall, p.height,
       [](auto& r) { r.value.singleVariant.doubleValue = std::numeric_limits<double>::quiet_NaN(); },
       FvErr_ValueDoesNotFit},
      {"infinite", p.wall, p.height,
       [](auto& r) { r.value.singleVariant.doubleValue = -std::numeric_limits<double>::infinity(); },
       FvErr_ValueDoesNotFit},
      {"a key that is no option", p.wall, p.finish,
       [](auto& r) { r.value.singleVariant.guidValue = fvhost::NewGuid(); }, FvErr_NotAnOption},
      {"a text for a choice", p.wall, p.finish, [](auto& r) { r.value.singleVariant.type = API_VariantString; },
       FvErr_ValueDoesNotFit},
      {"a list item of another type", p.wall, p.tags,
       [](auto& r) {
         API_Variant item;
         item.type = API_VariantInteger;
         r.value.variantStatus = API_ValueNormal;
         r.value.listVariant.Push(item);
       },
       FvErr_ValueDoesNotFit},
      {"not available", p.wall, p.forSlabs, [](auto&) {}, FvErr_NotAvailable},
      {"unknown element", fvhost::NewGuid(), p.height, [](auto&) {}, FvErr_NoSuchElement},
      {"unknown definition", p.wall, p.height, [](auto& r) { r.definition.guid = fvhost::NewGuid(); },
       FvErr_NoSuchDefinition},
      {"status out of range", p.wall, p.height, [](auto& r) { r.value.variantStatus = 7; }, FvErr_BadParameter},
  };
  for (auto& c : cases) {
    ElementPropertyRecord record = ValueRecord(h, p.wall, c.definition);
    record.isDefault = false;
    c.spoil(record);
    HostError result = 0;
    h.InCommand("Set", [&] {
      result = OP(h.host, SetProperty)(h.token, &c.element, &record);
      return FvErr_NoError;
    });
    EXPECT_EQ(result, c.expected) << c.what;
    EXPECT_EQ(h.project(), before) << c.what;
  }
  ElementPropertyRecord record = ValueRecord(h, p.wall, p.height);
  EXPECT_EQ(OP(h.host, SetProperty)(h.token, &p.wall, &record), FvErr_NotInCommand);
  EXPECT_EQ(h.project(), before);
}

TEST(SetProperty, RefusesValuesOfADefinitionThatIsNotEditable) {
  BuildingProject p;
  p.b.Def(p.height).editable = false;
  HostWithAddOn h(p.b.Build());
  auto before = h.project();
  ElementPropertyRecord record = ValueRecord(h, p.wall, p.height);
  HostError result = 0;
  h.InCommand("Set", [&] {
    result = OP(h.host, SetProperty)(h.token, &p.wall, &record);
    return FvErr_NoError;
  });
  EXPECT_EQ(result, FvErr_ReadOnly);
  EXPECT_EQ(h.project(), before);
}

TEST(Lookups, FollowAProjectChangedBehindTheHostsBack) {
  BuildingProject p;
  HostWithAddOn h(p.b.Build());
  ElementPropertyRecord record;
  ASSERT_EQ(OP(h.host, GetPropertyValue)(h.token, &p.slab, &p.height, &record), FvErr_NoError);
  // The same storage and size, but a new element where the slab was.
  auto replacement = std::make_shared<fvhost::Element>(*h.project().elements[1]);
  replacement->guid = fvhost::NewGuid();
  h.project().elements[1] = replacement;
  EXPECT_EQ(OP(h.host, GetPropertyValue)(h.token, &p.slab, &p.height, &record), FvErr_NoSuchElement);
  EXPECT_EQ(OP(h.host, GetPropertyValue)(h.token, &replacement->guid, &p.height, &record), FvErr_NoError);
}

}  // namespace
