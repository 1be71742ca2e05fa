// The host entry table, the host's life, add-ons, menus, the report and the data folder.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include <unistd.h>

#include "Corbane/Debug.hpp"
#include "HostInternal.hpp"
#include "HostState.hpp"
#include "host_test_support.hpp"
#include "support/scratch_folder.hpp"
#include "Pellarin/Pellarin.hpp"

namespace {

using host_test::HostWithAddOn;
using testing_support::Quiet;
using host_test::Slot;
using testing::ElementsAre;
using testing::HasSubstr;

std::set<std::size_t> OperationSlots() {
  std::set<std::size_t> slots;
  for (const auto& name : fvhost::OperationNames()) slots.insert(static_cast<std::size_t>(*fvhost::OperationSlot(name)));
  return slots;
}

TEST(EntryTable, HasOneSlotPerOperationAtItsIndexAndEveryOtherSlotNull) {
  for (int version : {29, 27}) {
    fvhost::HostOptions options = Quiet();
    options.hostVersion = version;
    fvhost::Host host(options);
    std::size_t slots = version == 29 ? 644 : 648;
    ASSERT_EQ(host.EntryTableBytes(), slots * sizeof(void*)) << version;
    auto operations = OperationSlots();
    EXPECT_EQ(operations.size(), 20u);
    for (std::size_t i = 0; i < slots; ++i) EXPECT_EQ(Slot(host, i) != nullptr, operations.count(i) == 1) << i;
  }
}

// The list says when each operation may be called; the host holds to it. An
// operation newly marked [inside an undoable command] fails here until it is
// given a call below and refuses that call outside a command.
TEST(EntryTable, OperationsTheListKeepsInsideACommandAreRefusedOutsideOne) {
  testing_support::ProjectBuilder b;
  const fvhost::Guid group = b.Group("Pset_WallCommon");
  const fvhost::Guid rating = b.Definition(group, "FireRating");
  const fvhost::Guid wall = b.Element("Wall", {});
  b.Set(wall, rating, "2HR");
  HostWithAddOn h(b.Build());
  const fvhost::Project before = h.project();
  Corbane::Array<API_PropertyDefinition> definitions;
  ASSERT_EQ(OP(h.host, GetPropertyDefinitions)(h.token, &group, &definitions), FvErr_NoError);
  ElementPropertyRecord property;
  ASSERT_EQ(OP(h.host, GetPropertyValue)(h.token, &wall, &rating, &property), FvErr_NoError);
  const Corbane::UniString xml("<Configuration/>");
  const std::map<std::string, std::function<HostError()>> calls = {
      {"DeletePropertyGroup", [&] { return OP(h.host, DeletePropertyGroup)(h.token, &group); }},
      {"ChangePropertyDefinition", [&] { return OP(h.host, ChangePropertyDefinition)(h.token, &definitions[0]); }},
      {"SetProperty", [&] { return OP(h.host, SetProperty)(h.token, &wall, &property); }},
      {"ImportClassifications", [&] { return OP(h.host, ImportClassifications)(h.token, &xml, 1, 0); }},
      {"ImportProperties", [&] { return OP(h.host, ImportProperties)(h.token, &xml, 0); }},
  };
  std::set<std::string> marked;
  for (const auto& operation : fvhost::internal::Operations()) {
    if (operation.when != FvWhen_InCommand) continue;
    marked.insert(operation.name);
    const auto call = calls.find(operation.name);
    ASSERT_NE(call, calls.end()) << operation.name << " has no call here";
    EXPECT_EQ(call->second(), FvErr_NotInCommand) << operation.name;
  }
  EXPECT_EQ(marked.size(), calls.size());
  EXPECT_TRUE(h.project() == before);
}

TEST(EntryTable, LeavesTheSlotsOfOperationsHeldBackEmpty) {
  fvhost::HostOptions options = Quiet();
  options.without = {"SetProperty", "WriteReport"};
  fvhost::Host host(options);
  EXPECT_EQ(Slot(host, FvSlot_SetProperty), nullptr);
  EXPECT_EQ(Slot(host, FvSlot_WriteReport), nullptr);
  EXPECT_NE(Slot(host, FvSlot_GetPropertyValue), nullptr);
}

TEST(EntryTable, NamesOperationsAndErrorsBothWays) {
  EXPECT_EQ(fvhost::OperationSlot("GetPropertyGroups"), 300);
  EXPECT_EQ(fvhost::OperationSlot("RegisterMenu"), 3);
  EXPECT_EQ(fvhost::OperationSlot("NoSuchOperation"), std::nullopt);
  EXPECT_STREQ(fvhost::ErrorName(FvErr_BadId), "BadId");
  EXPECT_EQ(fvhost::ErrorName(12345), nullptr);
  EXPECT_EQ(fvhost::ParseError("NotAnOption"), FvErr_NotAnOption);
  EXPECT_EQ(fvhost::ParseError("0x81060387"), FvErr_MissingOperation);
  EXPECT_EQ(fvhost::ParseError("-2130313215"), FvErr_General);
  EXPECT_EQ(fvhost::ParseError("0"), FvErr_NoError);
  for (const char* bad : {"", "0x", "12abc", "0x1FFFFFFFF", "99999999999", "badid"})
    EXPECT_EQ(fvhost::ParseError(bad), std::nullopt) << bad;
}

TEST(HostLife, IsCurrentWhileAliveAndGivesBackTheResponderAndTheHostBeforeIt) {
  EXPECT_EQ(fvhost::Host::Current(), nullptr);
  EXPECT_EQ(Pellarin::GetResponder(), nullptr);
  {
    fvhost::Host outer(Quiet());
    EXPECT_EQ(fvhost::Host::Current(), &outer);
    Pellarin::Responder* outerResponder = Pellarin::GetResponder();
    EXPECT_NE(outerResponder, nullptr);
    {
      fvhost::Host inner(Quiet());
      EXPECT_EQ(fvhost::Host::Current(), &inner);
      EXPECT_NE(Pellarin::GetResponder(), outerResponder);
    }
    EXPECT_EQ(fvhost::Host::Current(), &outer);
    EXPECT_EQ(Pellarin::GetResponder(), outerResponder);
    Corbane::DBPrintf("after the inner host: %d", 7);
    EXPECT_THAT(testing_support::EventLines(outer, "debug"), ElementsAre(HasSubstr("after the inner host: 7")));
  }
  EXPECT_EQ(fvhost::Host::Current(), nullptr);
  EXPECT_EQ(Pellarin::GetResponder(), nullptr);
}

TEST(InProcessAddOn, IsStartedWithAFreshTokenAndAMemoryOwnerOfItsName) {
  fvhost::Host host(Quiet());
  API_Token first = host.AttachInProcessAddOn("First");
  API_Token second = host.AttachInProcessAddOn("Second");
  EXPECT_NE(first, 0u);
  EXPECT_NE(first, second);
  ASSERT_EQ(host.addOns().size(), 2u);
  const auto& addOn = host.addOns()[0];
  EXPECT_TRUE(addOn.started);
  EXPECT_EQ(addOn.library, nullptr);
  EXPECT_EQ(addOn.token, first);
  EXPECT_NE(addOn.owner, Corbane::HostOwner);
  EXPECT_STREQ(Corbane::OwnerName(addOn.owner), "First");
  EXPECT_EQ(OP(host, QueryAddOnEnvironment)(first, FvQuery_MayLoad), 1);
}

TEST(Token, UnknownOrMissingTokensAreRefusedExceptWhereNoneIsNeeded) {
  HostWithAddOn h;
  Corbane::Array<API_PropertyGroup> groups;
  EXPECT_EQ(OP(h.host, GetPropertyGroups)(0, &groups), FvErr_BadToken);
  EXPECT_EQ(OP(h.host, GetPropertyGroups)(h.token + 1000, &groups), FvErr_BadToken);
  EXPECT_EQ(OP(h.host, GetPropertyGroups)(h.token, &groups), FvErr_NoError);
  EXPECT_EQ(OP(h.host, QueryAddOnEnvironment)(0, FvQuery_MayLoad), 1);
  EXPECT_EQ(OP(h.host, QueryAddOnEnvironment)(0, 2), 0);
}

TEST(Menus, ItemTextsStopAtTheFirstMarkerAndTheDigitMarkerNamesTheIcon) {
  auto item = fvhost::internal::ParseMenuItemText("Import Things... ^E3 ^ES ^EE ^EI ^ED ^ET ^10002", 1);
  EXPECT_EQ(item.text, "Import Things...");
  EXPECT_EQ(item.icon, "10002");
  EXPECT_EQ(item.index, 1);
  auto plain = fvhost::internal::ParseMenuItemText("Plain item", 2);
  EXPECT_EQ(plain.text, "Plain item");
  EXPECT_EQ(plain.icon, "");
  auto caret = fvhost::internal::ParseMenuItemText("A^B ^12x ^7", 3);
  EXPECT_EQ(caret.text, "A^B");
  EXPECT_EQ(caret.icon, "7");
}

TEST(Menus, RegisteringNeedsAnAddOnWithAStringListAndHandlersNeedItsMenu) {
  HostWithAddOn h;
  fvhost::internal::HostState& state = fvhost::internal::StateOf(h.host);
  EXPECT_EQ(OP(h.host, RegisterMenu)(32500, 0, 0, 0), FvErr_BadParameter);  // no add-on being called
  state.currentAddOn = 0;
  EXPECT_EQ(OP(h.host, RegisterMenu)(32500, 0, 0, 0), FvErr_BadParameter);  // it has no library file
  state.currentAddOn = -1;
  MenuHandlerProc handler = [](const API_MenuCallParams*) -> HostError { return 0; };
  EXPECT_EQ(OP(h.host, InstallMenuHandler)(h.token, 32500, handler), FvErr_BadParameter);
  fvhost::Menu menu;
  menu.addOn = 0;
  menu.resourceId = 32500;
  state.menus.push_back(menu);
  EXPECT_EQ(OP(h.host, InstallMenuHandler)(h.token, 32501, handler), FvErr_BadParameter);
  EXPECT_EQ(OP(h.host, InstallMenuHandler)(h.token, 32500, nullptr), FvErr_BadParameter);
  EXPECT_EQ(OP(h.host, InstallMenuHandler)(h.token, 32500, handler), FvErr_NoError);
  EXPECT_EQ(h.host.menus()[0].handler, handler);
}

TEST(Report, FormatsItsLinePrintfStyleAndNeverHonoursPercentN) {
  HostWithAddOn h;
  Corbane::UniString format("Step failed with Error Code : %d (%s)");
  EXPECT_EQ(OP(h.host, WriteReport)(h.token, &format, false, -5, "x"), FvErr_NoError);
  Corbane::UniString dangerous("name %n here %d");
  EXPECT_EQ(OP(h.host, WriteReport)(h.token, &dangerous, false, 3), FvErr_NoError);
  EXPECT_EQ(OP(h.host, WriteReport)(h.token, nullptr, false), FvErr_BadParameter);
  EXPECT_THAT(h.host.ReportLines(), ElementsAre("Step failed with Error Code : -5 (x)", "name %n here 3"));
  EXPECT_THAT(testing_support::EventLines(h.host, "report"),
              ElementsAre(HasSubstr("\"text\":\"Step failed with Error Code : -5 (x)\""), HasSubstr("%n here 3")));
}

TEST(SpecialFolder, FolderFourIsTheDataFolderMadeWhenMissing) {
  testing_support::ScratchFolder scratch;
  const auto folder = scratch.path() / "data" / "deeper";
  fvhost::HostOptions options = Quiet();
  options.specialFolder = folder.string();
  HostWithAddOn h({}, options);
  Nostrel::Location location;
  EXPECT_EQ(OP(h.host, GetSpecialFolder)(h.token, FvFolder_Data, &location), FvErr_NoError);
  EXPECT_EQ(host_test::Utf8(location.ToDisplayText()), folder.string());
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  EXPECT_EQ(OP(h.host, GetSpecialFolder)(h.token, 3, &location), FvErr_BadParameter);
  EXPECT_EQ(OP(h.host, GetSpecialFolder)(h.token, FvFolder_Data, nullptr), FvErr_BadParameter);
}

}  // namespace
