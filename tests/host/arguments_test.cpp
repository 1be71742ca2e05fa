// The arguments an add-on must pass exactly: every value this host does not
// offer is refused with BadParameter, so that a caller passing a wrong one
// fails at once instead of getting a quiet answer to a question it did not ask.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host_test_support.hpp"

namespace {

using host_test::HostWithAddOn;
using testing::ElementsAre;
using testing::HasSubstr;
using testing_support::ProjectBuilder;

TEST(Arguments, ValuesTheHostDoesNotOfferAreRefused) {
  ProjectBuilder b;
  b.Classification("IFC+SG", {"IfcWall"});
  const fvhost::Guid wall = b.Element("Wall", {"IfcWall"});
  HostWithAddOn h(b.Build());
  const fvhost::Project before = h.project();
  Corbane::Array<API_Guid> elements;
  API_ElemType variation;
  variation.variationID = 1;
  const API_Guid renovation = fvhost::NewGuid();
  EXPECT_EQ(OP(h.host, GetElemList)(h.token, &variation, &elements, 0, nullptr), FvErr_BadParameter);
  EXPECT_EQ(OP(h.host, GetElemList)(h.token, nullptr, &elements, 1, nullptr), FvErr_BadParameter);
  EXPECT_EQ(OP(h.host, GetElemList)(h.token, nullptr, &elements, 0, &renovation), FvErr_BadParameter);
  API_ElementHeader header;
  header.guid = wall;
  EXPECT_EQ(OP(h.host, GetElementHeader)(h.token, &header, 1), FvErr_BadParameter);
  Corbane::Array<API_PropertyDefinition> definitions;
  EXPECT_EQ(OP(h.host, GetElementPropertyDefinitions)(h.token, &wall, 1, &definitions), FvErr_BadParameter);
  // A document both importers take, so that only the mode can refuse it.
  const Corbane::UniString xml("<Configuration/>");
  h.InCommand("Import", [&] {
    EXPECT_EQ(OP(h.host, ImportClassifications)(h.token, &xml, 0, 0), FvErr_BadParameter);
    EXPECT_EQ(OP(h.host, ImportClassifications)(h.token, &xml, 1, 1), FvErr_BadParameter);
    EXPECT_EQ(OP(h.host, ImportProperties)(h.token, &xml, 1), FvErr_BadParameter);
    EXPECT_EQ(OP(h.host, ImportProperties)(h.token, &xml, 0), FvErr_NoError);
    return FvErr_NoError;
  });
  EXPECT_TRUE(h.project() == before);
}

TEST(Arguments, AnElementTypeWithAClassificationListsTheElementsOfThatItem) {
  ProjectBuilder b;
  b.Classification("IFC+SG", {"IfcWall", "IfcSlab"});
  b.Element("Wall", {"IfcWall"});
  const fvhost::Guid slab = b.Element("Slab", {"IfcSlab"});
  HostWithAddOn h(b.Build());
  API_ElementHeader header;
  header.guid = slab;
  ASSERT_EQ(OP(h.host, GetElementHeader)(h.token, &header, 0), FvErr_NoError);
  API_ElemType byItem;
  byItem.classificationID = header.type.classificationID;
  Corbane::Array<API_Guid> elements;
  ASSERT_EQ(OP(h.host, GetElemList)(h.token, &byItem, &elements, 0, &APINullGuid), FvErr_NoError);
  ASSERT_EQ(elements.GetSize(), 1u);
  EXPECT_EQ(elements[0], slab);
  byItem.classificationID = fvhost::NewGuid();
  EXPECT_EQ(OP(h.host, GetElemList)(h.token, &byItem, &elements, 0, nullptr), FvErr_BadId);
}

TEST(Arguments, AReportLineWithItsDialogFlagIsShownAtOnceAndSaysSo) {
  HostWithAddOn h;
  std::string shown;
  h.host.showAlert = [&shown](int, const std::string& title, const std::string& message) {
    shown = title + ": " + message;
  };
  const Corbane::UniString quiet("quiet %d");
  const Corbane::UniString loud("loud %d");
  ASSERT_EQ(OP(h.host, WriteReport)(h.token, &quiet, false, 1), FvErr_NoError);
  EXPECT_EQ(shown, "");
  ASSERT_EQ(OP(h.host, WriteReport)(h.token, &loud, true, 2), FvErr_NoError);
  EXPECT_EQ(shown, "Session Report: loud 2");
  EXPECT_THAT(testing_support::EventLines(h.host, "report"),
              ElementsAre(HasSubstr("\"dialog\":false"), HasSubstr("\"dialog\":true")));
}

}  // namespace
