// The arguments an add-on must pass exactly: every value this host does not
// offer is refused with BadParameter, so that a caller passing a wrong one
// fails at once instead of getting a quiet answer to a question it did not ask.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "HostTestSupport.hpp"

namespace {

using host_test::HostWithAddOn;
using testing::ElementsAre;
using testing::HasSubstr;
using testing_support::ProjectBuilder;

struct ArgumentCase {
  const char* what;
  std::function<HostError(HostWithAddOn&, const fvhost::Guid& element)> call;
};

TEST(Arguments, ValuesTheHostDoesNotOfferAreRefused) {
  const API_Guid someGuid = fvhost::NewGuid();
  const Corbane::UniString xml("<Configuration/>");
  const ArgumentCase cases[] = {
      {"GetElemList with a type variation",
       [](HostWithAddOn& h, const fvhost::Guid&) {
         API_ElemType type;
         type.variationID = 1;
         Corbane::Array<API_Guid> elements;
         return OP(h.host, GetElemList)(h.token, &type, &elements, 0, nullptr);
       }},
      {"GetElemList with filter flags",
       [](HostWithAddOn& h, const fvhost::Guid&) {
         Corbane::Array<API_Guid> elements;
         return OP(h.host, GetElemList)(h.token, nullptr, &elements, 1, nullptr);
       }},
      {"GetElemList with a renovation filter",
       [&someGuid](HostWithAddOn& h, const fvhost::Guid&) {
         Corbane::Array<API_Guid> elements;
         return OP(h.host, GetElemList)(h.token, nullptr, &elements, 0, &someGuid);
       }},
      {"GetElementHeader with a mask",
       [](HostWithAddOn& h, const fvhost::Guid& element) {
         API_ElementHeader header;
         header.guid = element;
         return OP(h.host, GetElementHeader)(h.token, &header, 1);
       }},
      {"GetElementPropertyDefinitions with a filter",
       [](HostWithAddOn& h, const fvhost::Guid& element) {
         Corbane::Array<API_PropertyDefinition> definitions;
         return OP(h.host, GetElementPropertyDefinitions)(h.token, &element, 1, &definitions);
       }},
      {"ImportClassifications with merge mode 0",
       [&xml](HostWithAddOn& h, const fvhost::Guid&) {
         return h.InCommand("Import", [&] { return OP(h.host, ImportClassifications)(h.token, &xml, 0, 0); });
       }},
      {"ImportClassifications with conflict mode 1",
       [&xml](HostWithAddOn& h, const fvhost::Guid&) {
         return h.InCommand("Import", [&] { return OP(h.host, ImportClassifications)(h.token, &xml, 1, 1); });
       }},
      {"ImportProperties with mode 1",
       [&xml](HostWithAddOn& h, const fvhost::Guid&) {
         return h.InCommand("Import", [&] { return OP(h.host, ImportProperties)(h.token, &xml, 1); });
       }},
  };
  for (const ArgumentCase& c : cases) {
    ProjectBuilder b;
    b.Classification("IFC+SG", {"IfcWall"});
    const fvhost::Guid wall = b.Element("Wall", {"IfcWall"});
    HostWithAddOn h(b.Build());
    EXPECT_EQ(c.call(h, wall), FvErr_BadParameter) << c.what;
  }
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
  EXPECT_THAT(host_test::Events(h.host, "report"),
              ElementsAre(HasSubstr("\"dialog\":false"), HasSubstr("\"dialog\":true")));
}

}  // namespace
