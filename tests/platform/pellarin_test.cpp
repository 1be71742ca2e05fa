#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "Pellarin/Pellarin.hpp"
#include "test_files.hpp"

using Corbane::UniString;
using testing_support::ScratchFolder;

namespace {

std::string Text(const UniString& text) { return text.ToCStr().Get(); }

// Answers the next dialog with a path (or Cancel) and keeps what it was shown.
class ScriptedResponder : public Pellarin::Responder {
 public:
  std::string answer;
  bool cancel = false;
  bool fail = false;
  Corbane::Int16 pressed = 2;
  int dialogs = 0;
  Corbane::Int32 dialogKind = -1;
  std::string title;
  std::vector<std::pair<std::string, std::string>> filters;
  std::vector<std::string> alert;

  bool ChooseFile(Corbane::Int32 kind, const UniString& dialogTitle,
                  const Corbane::Array<Pellarin::FileFilter>& shown, Nostrel::Location& chosen) override {
    ++dialogs;
    dialogKind = kind;
    if (fail) throw std::runtime_error("terminal closed");
    title = Text(dialogTitle);
    filters.clear();
    for (const Pellarin::FileFilter& filter : shown) filters.emplace_back(Text(filter.description), Text(filter.extension));
    if (cancel) return false;
    chosen = Nostrel::Location(UniString(answer.c_str()));
    return true;
  }
  Corbane::Int16 ShowAlert(Corbane::Int16 kind, const UniString& alertTitle, const UniString& message,
                           const UniString& second, const UniString& b1, const UniString& b2, const UniString& b3) override {
    if (fail) throw std::runtime_error("terminal closed");
    alert = {std::to_string(kind), Text(alertTitle), Text(message), Text(second), Text(b1), Text(b2), Text(b3)};
    return pressed;
  }
};

class PellarinDialog : public ::testing::Test {
 protected:
  void SetUp() override { Pellarin::SetResponder(&responder); }
  void TearDown() override { Pellarin::SetResponder(nullptr); }

  // An open dialog with the one filter the import uses.
  bool Choose(const std::string& path) {
    responder.answer = path;
    Pellarin::FileDialog dialog(Pellarin::FileDialog::OpenFile);
    dialog.SetTitle(UniString("Choose a configuration"));
    dialog.AddFilter(xmlType);
    const bool chosen = dialog.Invoke();
    selected = Text(dialog.GetSelectedLocation().ToDisplayText());
    return chosen;
  }

  ScriptedResponder responder;
  ScratchFolder scratch;
  Nostrel::FileTypeManager manager{"IFC+SG Config File"};
  Nostrel::FileTypeId xmlType = manager.AddType(Nostrel::FileType("IFC+SG Config file", "xml", 0, 0, 0));
  std::string selected;
};

}  // namespace

TEST_F(PellarinDialog, ShowsTheFiltersAndReturnsAnExistingMatchingFile) {
  const std::string config = scratch.Write("ifcsg.XML", "<Configuration/>");
  EXPECT_TRUE(Choose(config));
  EXPECT_EQ(selected, config);
  EXPECT_EQ(responder.title, "Choose a configuration");
  ASSERT_EQ(responder.filters.size(), 1u);
  EXPECT_EQ(responder.filters[0].first, "IFC+SG Config file");
  EXPECT_EQ(responder.filters[0].second, "xml");
}

TEST_F(PellarinDialog, RefusesAFileOfAnotherTypeAMissingFileOrAFolder) {
  EXPECT_FALSE(Choose(scratch.Write("notes.txt", "x")));
  EXPECT_EQ(selected, "");
  EXPECT_FALSE(Choose(scratch.File("missing.xml")));
  std::filesystem::create_directory(scratch.File("folder.xml"));
  EXPECT_FALSE(Choose(scratch.File("folder.xml")));
  EXPECT_FALSE(Choose(""));
}

TEST_F(PellarinDialog, ARefusedChoiceForgetsTheEarlierOne) {
  ASSERT_TRUE(Choose(scratch.Write("a.xml", "x")));
  EXPECT_FALSE(Choose(scratch.File("gone.xml")));
  EXPECT_EQ(selected, "");
}

TEST_F(PellarinDialog, CancelAndAFailingResponderChooseNothing) {
  scratch.Write("a.xml", "x");
  responder.cancel = true;
  EXPECT_FALSE(Choose(scratch.File("a.xml")));
  responder.cancel = false;
  responder.fail = true;
  EXPECT_FALSE(Choose(scratch.File("a.xml")));
  EXPECT_EQ(selected, "");
}

TEST_F(PellarinDialog, WithoutFiltersAnyExistingFileIsTaken) {
  responder.answer = scratch.Write("anything.bin", "x");
  Pellarin::FileDialog dialog(Pellarin::FileDialog::OpenFile);
  EXPECT_TRUE(dialog.Invoke());
  EXPECT_TRUE(responder.filters.empty());
}

TEST_F(PellarinDialog, FiltersWhoseTypesAreGoneDoNotWidenTheDialogToAnyFile) {
  Nostrel::FileTypeId gone = 0;
  {
    Nostrel::FileTypeManager shortLived("Short-lived");
    gone = shortLived.AddType(Nostrel::FileType("Text", "txt", 0, 0, 0));
  }
  responder.answer = scratch.Write("notes.txt", "x");
  Pellarin::FileDialog dialog(Pellarin::FileDialog::OpenFile);
  dialog.AddFilter(gone);
  EXPECT_FALSE(dialog.Invoke());
  EXPECT_EQ(responder.dialogs, 0);
}

TEST_F(PellarinDialog, FolderAndSaveDialogsCheckWhatTheyAreFor) {
  responder.answer = scratch.path().string();
  EXPECT_TRUE(Pellarin::FileDialog(Pellarin::FileDialog::OpenFolder).Invoke());

  Pellarin::FileDialog save(Pellarin::FileDialog::Save);
  save.AddFilter(xmlType);
  responder.answer = scratch.File("new.xml");
  EXPECT_TRUE(save.Invoke());
  responder.answer = scratch.File("no-folder/new.xml");
  EXPECT_FALSE(save.Invoke());
}

// The kind and the type codes have no meaning this system could give a
// wrong value, so a wrong one must fail where the caller sees it.
TEST_F(PellarinDialog, TheResponderIsToldTheKindAndAnUnknownKindOrTypeCodeIsNeverShown) {
  responder.answer = scratch.Write("a.xml", "x");
  ASSERT_TRUE(Choose(responder.answer));
  EXPECT_EQ(responder.dialogKind, Pellarin::FileDialog::OpenFile);

  EXPECT_FALSE(Pellarin::FileDialog(4).Invoke());
  EXPECT_FALSE(Pellarin::FileDialog(-1).Invoke());
  EXPECT_EQ(responder.dialogs, 1);

  EXPECT_EQ(manager.AddType(Nostrel::FileType("Coded", "xml", 0x54455854, 0, 0)), 0);
  EXPECT_EQ(manager.AddType(Nostrel::FileType("Made by", "xml", 0, 0x3F3F3F3F, 0)), 0);
}

TEST(PellarinWithoutResponder, DialogsAreCancelledAndAlertsAnsweredWithTheFirstButton) {
  Pellarin::SetResponder(nullptr);
  Pellarin::FileDialog dialog(Pellarin::FileDialog::OpenFile);
  EXPECT_FALSE(dialog.Invoke());
  EXPECT_TRUE(dialog.GetSelectedLocation().IsEmpty());
  EXPECT_EQ(Pellarin::PellarinAlert(-3, "Import Successful", "message", "", "OK", "", ""), 1);
}

TEST_F(PellarinDialog, AlertsGoToTheResponderWhoseButtonIsReturned) {
  EXPECT_EQ(Pellarin::PellarinAlert(-2, "Title", "Message", "Second", "OK", "Cancel", ""), 2);
  EXPECT_EQ(responder.alert, (std::vector<std::string>{"-2", "Title", "Message", "Second", "OK", "Cancel", ""}));
}

TEST_F(PellarinDialog, AnAlertAnswerOutsideItsButtonsOrAFailureCountsAsTheFirstButton) {
  responder.pressed = 7;
  EXPECT_EQ(Pellarin::PellarinAlert(-1, "T", "M", "", "OK", "", ""), 1);
  responder.fail = true;
  EXPECT_EQ(Pellarin::PellarinAlert(-1, "T", "M", "", "OK", "", ""), 1);
}
