// The final alert: which alert (or none) each combination of outcomes gives,
// and what the user sees of it.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "run/FinalAlert.hpp"
#include "run_fixture.hpp"

namespace {

using quarnel::AlertChoice;
using quarnel::ChooseFinalAlert;
using quarnel::FinalAlert;
using quarnel::RunOutcomes;

struct AlertCase {
  const char* why;
  int E, P, D, I, X, V;
  FinalAlert expected;
};

RunOutcomes Outcomes(const AlertCase& c) {
  RunOutcomes o;
  o.exportExpressions = static_cast<quarnel::Outcome>(c.E);
  o.exportPropertyValues = static_cast<quarnel::Outcome>(c.P);
  o.deleteProperties = static_cast<quarnel::Outcome>(c.D);
  o.importSchema = static_cast<quarnel::Outcome>(c.I);
  o.importExpressions = static_cast<quarnel::Outcome>(c.X);
  o.importPropertyValues = static_cast<quarnel::Outcome>(c.V);
  return o;
}

constexpr FinalAlert Failure{AlertChoice::Failure};
constexpr FinalAlert Success{AlertChoice::Success};
constexpr FinalAlert Silent{AlertChoice::None};
constexpr FinalAlert Row(char row) { return {AlertChoice::PartialSuccess, row}; }

//                                       E   P   D   I   X   V
const AlertCase alertCases[] = {
    {"groups could not be listed", 1, 1, 0, -1, -1, -1, Failure},
    {"groups could not be listed, exports failed", 0, 0, 0, -1, -1, -1, Failure},
    {"file dialog cancelled", 1, 1, 1, 0, -1, -1, Failure},
    {"cancelled after a failed deletion", 1, 1, 2, 0, -1, -1, Failure},
    {"classification import failed", 1, 1, 1, 2, 1, 1, Failure},
    {"property import failed", 1, 1, 1, 3, 1, 1, Failure},
    {"failed deletion, then classification import failed", 1, 1, 2, 2, 1, 1, Failure},
    {"failed deletion, then property import failed", 1, 1, 2, 3, 1, 1, Failure},
    {"failed deletion, property import failed, restores partial", 2, 2, 2, 3, 2, 2, Failure},
    {"an import outcome that is none of its codes", 1, 1, 1, -1, -1, -1, Silent},
    {"everything kept", 1, 1, 1, 1, 1, 1, Success},
    {"everything kept but a group stayed", 1, 1, 2, 1, 1, 1, Row(quarnel::groupsLeftRow)},
    {"a: both exports failed", 0, 0, 1, 1, -1, -1, Row('a')},
    {"a: both restores failed", 1, 1, 1, 1, 0, 0, Row('a')},
    {"b: expressions lost", 0, 1, 1, 1, -1, 1, Row('b')},
    {"b: with a group left over", 0, 1, 2, 1, -1, 1, Row('b')},
    {"b, not c: expressions both partial and lost", 2, 1, 1, 1, 0, 1, Row('b')},
    {"c: expression export partial", 2, 1, 1, 1, 1, 1, Row('c')},
    {"c: expression restore partial", 1, 1, 1, 1, 2, 1, Row('c')},
    {"d: expressions lost, values partial", 0, 2, 1, 1, -1, 1, Row('d')},
    {"d, not h: expressions both partial and lost, values partial", 2, 1, 1, 1, 0, 2, Row('d')},
    {"e: values lost", 1, 0, 1, 1, 1, -1, Row('e')},
    {"e, not f: values both partial and lost", 1, 2, 1, 1, 1, 0, Row('e')},
    {"f: value restore partial", 1, 1, 1, 1, 1, 2, Row('f')},
    {"f: value export partial", 1, 2, 1, 1, 1, 1, Row('f')},
    {"g: expressions partial, values lost", 2, 0, 1, 1, 2, -1, Row('g')},
    {"g, not h: expressions partial, values both partial and lost", 2, 2, 1, 1, 2, 0, Row('g')},
    {"h: both partial", 1, 2, 1, 1, 2, 1, Row('h')},
    {"h: both partial with a group left over", 2, 2, 2, 1, 2, 2, Row('h')},
    {"a, not g or h: both pairs partial and lost", 2, 2, 1, 1, 0, 0, Row('a')},
};

TEST(FinalAlertChoice, FollowsTheRulesInOrder) {
  for (const AlertCase& c : alertCases) {
    const FinalAlert chosen = ChooseFinalAlert(Outcomes(c));
    EXPECT_EQ(chosen.choice, c.expected.choice) << c.why;
    EXPECT_EQ(chosen.row, c.expected.row) << c.why;
  }
}

TEST(FinalAlertText, AlertsCarryTheirKindsAndTitles) {
  const auto success = quarnel::FinalAlertText(Success);
  EXPECT_EQ(success.kind, -3);
  EXPECT_STREQ(success.title, "Import Successful");
  EXPECT_STREQ(success.message, "IFC-SG Classifications and Properties are Imported Successfully!");

  const auto failure = quarnel::FinalAlertText(Failure);
  EXPECT_EQ(failure.kind, -1);
  EXPECT_STREQ(failure.title, "Import Failed!");
  EXPECT_STREQ(failure.message,
               "IFC-SG Classifications and Properties Import Failed!\nPlease check Session Report for details.");
}

TEST(FinalAlertText, EveryRowHasItsOwnPartialSuccessMessage) {
  std::set<std::string> messages;
  for (char row = 'a'; row <= 'h'; ++row) {
    const auto text = quarnel::FinalAlertText(Row(row));
    EXPECT_EQ(text.kind, -2) << row;
    EXPECT_STREQ(text.title, "Import Successful!") << row;
    EXPECT_EQ(std::string(text.message).rfind("IFC-SG Classifications and Properties are Imported Successfully!\n", 0),
              0u)
        << row;
    messages.insert(text.message);
  }
  EXPECT_EQ(messages.size(), 8u);
  const std::pair<char, const char*> whole[] = {
      {'a', "IFC-SG Classifications and Properties are Imported Successfully!\nExpressions, Option Sets, Default "
            "Values and Property Values are not retained! Please check Session Report for details."},
      {'d', "IFC-SG Classifications and Properties are Imported Successfully!\nExpressions, Option Sets and Default "
            "Values are not retained!\nOne or more Property Values are not retained. Please check Session Report for "
            "details."},
      {'e', "IFC-SG Classifications and Properties are Imported Successfully!\nProperty Values are not retained! "
            "Please check Session Report for details."},
      {'f', "IFC-SG Classifications and Properties are Imported Successfully!\nOne or more Property Values are not "
            "retained! Please check Session Report for details."},
  };
  for (const auto& [row, message] : whole) EXPECT_STREQ(quarnel::FinalAlertText(Row(row)).message, message) << row;
}

TEST(FinalAlertShown, ThroughTheHostWithOneOkButton) {
  run_test::InProcessHost host;
  quarnel::ShowFinalAlert(Row('b'));
  const auto alerts = run_test::Alerts(host);
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0].kind, -2);
  EXPECT_EQ(alerts[0].title, "Import Successful!");
  EXPECT_EQ(alerts[0].message,
            "IFC-SG Classifications and Properties are Imported Successfully!\nExpressions and Option Sets are not "
            "retained! Please check Session Report for details.");
  EXPECT_EQ(alerts[0].second, "");
  EXPECT_EQ(alerts[0].buttons, (std::vector<std::string>{"Ok", "", ""}));
}

TEST(FinalAlertShown, NoneShowsNothing) {
  run_test::InProcessHost host;
  quarnel::ShowFinalAlert(Silent);
  EXPECT_TRUE(run_test::Alerts(host).empty());
}

}  // namespace
