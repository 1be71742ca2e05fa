// Operations of menus, the environment, the Session Report, undoable commands and files.
#include <algorithm>
#include <cstdarg>
#include <filesystem>

#include "HostInternal.hpp"
#include "OperationSupport.hpp"
#include "Operations.hpp"
#include "Vexmire/Vexmire.hpp"

namespace fvhost {
namespace internal {

MenuItem ParseMenuItemText(const std::string& text, std::int32_t index) {
  MenuItem item;
  item.index = index;
  std::size_t marker = text.find(" ^");
  item.text = text.substr(0, marker);
  for (std::size_t at = text.find('^'); at != std::string::npos; at = text.find('^', at + 1)) {
    std::size_t end = text.find(' ', at);
    std::string word = text.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
    if (!word.empty() && std::all_of(word.begin(), word.end(), [](unsigned char c) { return c >= '0' && c <= '9'; })) {
      item.icon = word;
      break;
    }
  }
  return item;
}

}  // namespace internal

namespace ops {
namespace {

// Every string of a string list, from index 1 until the first missing one.
std::vector<std::string> ReadStringList(const std::string& libraryFile, std::int16_t listId) {
  std::vector<std::string> strings;
  Vexmire::ModuleHandle module = VexmireOpenModuleFile(libraryFile.c_str());
  if (module == Vexmire::NoModule) return strings;
  for (std::int16_t index = 1; index < 0x7FFF; ++index) {
    Corbane::UniString text;
    if (!VexmireGetIndString_ParamAdapter(__FILE__, __LINE__, &text, listId, index, module, 0)) break;
    strings.push_back(convert::ToUtf8(text));
  }
  VexmireRemoveModuleImageCache(module);
  ResModuleClosed(module);
  return strings;
}

int AddOnOfToken(const internal::HostState& host, API_Token token) {
  const auto& addOns = host.addOns;
  for (std::size_t i = 0; i < addOns.size(); ++i)
    if (addOns[i].token == token) return static_cast<int>(i);
  return -1;
}

}  // namespace

HostError RegisterMenu(std::int16_t menuResourceId, std::int16_t, std::int32_t, std::int32_t) {
  internal::HostState* host = internal::CurrentState();
  if (host == nullptr) return FvErr_General;
  return ThroughGate<FvSlot_RegisterMenu>(*host, {}, 0,
      [&]() -> HostError {
        int addOn = host->currentAddOn;
        if (addOn < 0 || addOn >= static_cast<int>(host->addOns.size())) return FvErr_BadParameter;
        return AsHost([&]() -> HostError {
          std::vector<std::string> strings = ReadStringList(host->addOns[addOn].file, menuResourceId);
          if (strings.empty()) return FvErr_BadParameter;
          Menu menu;
          menu.addOn = addOn;
          menu.resourceId = menuResourceId;
          menu.title = strings[0];
          for (std::size_t i = 1; i < strings.size(); ++i)
            menu.items.push_back(internal::ParseMenuItemText(strings[i], static_cast<std::int32_t>(i)));
          auto& menus = host->menus;
          auto same = std::find_if(menus.begin(), menus.end(), [&](const Menu& m) {
            return m.addOn == addOn && m.resourceId == menuResourceId;
          });
          if (same != menus.end())
            *same = std::move(menu);
          else
            menus.push_back(std::move(menu));
          return FvErr_NoError;
        });
      },
      false);
}

HostError InstallMenuHandler(API_Token token, std::int16_t menuResourceId, MenuHandlerProc handler) {
  internal::HostState* host = internal::CurrentState();
  if (host == nullptr) return FvErr_General;
  return ThroughGate<FvSlot_InstallMenuHandler>(*host, {}, token, [&]() -> HostError {
    if (handler == nullptr) return FvErr_BadParameter;
    int addOn = AddOnOfToken(*host, token);
    for (auto& menu : host->menus)
      if (menu.addOn == addOn && menu.resourceId == menuResourceId) {
        menu.handler = handler;
        return FvErr_NoError;
      }
    return FvErr_BadParameter;
  });
}

std::int32_t QueryAddOnEnvironment(API_Token token, std::int32_t question) {
  internal::HostState* host = internal::CurrentState();
  if (host == nullptr) return 0;
  std::int32_t answer = 0;
  HostError result = ThroughGate<FvSlot_QueryAddOnEnvironment>(*host, {}, token,
      [&]() -> HostError {
        answer = question == FvQuery_MayLoad ? 1 : 0;
        return FvErr_NoError;
      },
      false);
  return result == FvErr_NoError ? answer : result;
}

// withDialog asks for the line to be shown at once, in a dialog of its own.
HostError WriteReport(API_Token token, const Corbane::UniString* format, bool withDialog, ...) {
  internal::HostState* host = internal::CurrentState();
  if (host == nullptr) return FvErr_General;
  std::vector<std::string> subjects;
  if (format) subjects.push_back(convert::ToUtf8(*format));
  HostError result = host->BeginCall(FvOperation<FvSlot_WriteReport>::name, subjects, token);
  if (result == FvErr_NoError && format == nullptr) result = FvErr_BadParameter;
  if (result == FvErr_NoError) {
    va_list arguments;
    va_start(arguments, withDialog);
    Corbane::UniString line = Corbane::UniString::VPrintf(subjects.front().c_str(), arguments);
    va_end(arguments);
    host->AddReportLine(convert::ToUtf8(line), withDialog);
  }
  host->EndCall(FvOperation<FvSlot_WriteReport>::name, subjects, result);
  return result;
}

HostError CallUndoableCommand(API_Token token, const Corbane::UniString* name, UndoableCommandProc proc,
                              void* userData) {
  internal::HostState* host = internal::CurrentState();
  if (host == nullptr) return FvErr_General;
  std::vector<std::string> subjects{name ? convert::ToUtf8(*name) : std::string()};
  return ThroughGate<FvSlot_CallUndoableCommand>(*host, subjects, token, [&]() -> HostError {
    if (name == nullptr) return FvErr_BadParameter;
    return host->RunCommand(subjects.front(), proc, userData);
  });
}

HostError GetSpecialFolder(API_Token token, std::int32_t folder, Nostrel::Location* location) {
  internal::HostState* host = internal::CurrentState();
  if (host == nullptr) return FvErr_General;
  return ThroughGate<FvSlot_GetSpecialFolder>(*host, {}, token, [&]() -> HostError {
    if (location == nullptr || folder != FvFolder_Data) return FvErr_BadParameter;
    std::string path = host->DataFolder();
    std::error_code error;
    if (!std::filesystem::is_directory(path, error)) return FvErr_General;
    *location = Nostrel::Location(convert::ToUni(path));
    return FvErr_NoError;
  });
}

}  // namespace ops
}  // namespace fvhost
