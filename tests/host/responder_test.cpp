// The host's answers to dialogs and alerts.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host_test_support.hpp"
#include "Pellarin/Pellarin.hpp"

namespace {

using testing_support::Quiet;
using host_test::Utf8;
using testing::ElementsAre;

Corbane::Array<Pellarin::FileFilter> XmlFilter() {
  Corbane::Array<Pellarin::FileFilter> filters;
  filters.Push({"IFC+SG configuration", "xml"});
  return filters;
}

TEST(Responder, AnswersFileDialogsFromTheQueueThenTheFrontEndThenCancels) {
  fvhost::Host host(Quiet());
  host.QueueDialogAnswer({false, "/tmp/config.xml"});
  host.QueueDialogAnswer({true, ""});
  Pellarin::Responder* responder = Pellarin::GetResponder();
  ASSERT_NE(responder, nullptr);
  Nostrel::Location chosen;
  EXPECT_TRUE(responder->ChooseFile(Pellarin::FileDialog::OpenFile, "Pick", XmlFilter(), chosen));
  EXPECT_EQ(Utf8(chosen.ToDisplayText()), "/tmp/config.xml");
  EXPECT_FALSE(responder->ChooseFile(Pellarin::FileDialog::OpenFile, "Pick", XmlFilter(), chosen));
  testing::internal::CaptureStderr();
  EXPECT_FALSE(responder->ChooseFile(Pellarin::FileDialog::OpenFile, "Pick", XmlFilter(), chosen));
  EXPECT_THAT(testing::internal::GetCapturedStderr(), testing::HasSubstr("no answer queued: the file dialog was cancelled"));
  std::string askedTitle;
  host.askFile = [&](const std::string& title, const std::vector<std::pair<std::string, std::string>>& filters,
                     std::string& path) {
    askedTitle = title + " " + filters.at(0).second;
    path = "/tmp/typed.xml";
    return true;
  };
  EXPECT_TRUE(responder->ChooseFile(Pellarin::FileDialog::OpenFile, "Ask", XmlFilter(), chosen));
  EXPECT_EQ(askedTitle, "Ask xml");
  EXPECT_THAT(testing_support::EventLines(host, "dialog"),
              ElementsAre("{\"event\":\"dialog\",\"kind\":0,\"title\":\"Pick\",\"filters\":[{\"description\":\"IFC+SG "
                          "configuration\",\"extension\":\"xml\"}],\"answer\":\"/tmp/config.xml\"}",
                          testing::HasSubstr("\"answer\":null"), testing::HasSubstr("\"answer\":null"),
                          testing::HasSubstr("\"answer\":\"/tmp/typed.xml\"")));
}

TEST(Responder, RecordsAlertsShowsThemAndPressesTheFirstButton) {
  fvhost::HostOptions options;
  options.echo = true;
  fvhost::Host host(options);
  std::string seen;
  host.showAlert = [&](int kind, const std::string& title, const std::string& message) {
    seen = std::to_string(kind) + "|" + title + "|" + message;
  };
  testing::internal::CaptureStdout();
  auto pressed = Pellarin::GetResponder()->ShowAlert(-3, "Import Successful", "All kept.", "", "OK", "", "");
  std::string shown = testing::internal::GetCapturedStdout();
  EXPECT_EQ(pressed, 1);
  EXPECT_EQ(seen, "-3|Import Successful|All kept.");
  EXPECT_THAT(shown, testing::HasSubstr("| Information: Import Successful |"));
  EXPECT_THAT(shown, testing::HasSubstr("| All kept."));
  EXPECT_THAT(testing_support::EventLines(host, "alert"),
              ElementsAre("{\"event\":\"alert\",\"kind\":-3,\"title\":\"Import Successful\",\"message\":\"All "
                          "kept.\",\"second\":\"\",\"buttons\":[\"OK\",\"\",\"\"]}"));
}

// A text holds what it holds, a zero character too: the transcript records
// an alert's texts whole, as the project keeps its values whole.
TEST(Responder, RecordsATextWithAZeroCharacterWhole) {
  fvhost::Host host(Quiet());
  const Corbane::UniString message("before\0after", 12, Corbane::CC_UTF8);
  Pellarin::GetResponder()->ShowAlert(-1, "Title", message, "", "OK", "", "");
  EXPECT_THAT(testing_support::EventLines(host, "alert"), ElementsAre(testing::HasSubstr("\"message\":\"before\\u0000after\"")));
}

}  // namespace
