// Helpers the parts of the host library share among themselves (not for its
// users): tokens, the table of operations, menu texts, the responder and the
// transcript's JSON. The host's state is in HostState.hpp.
#pragma once

#include <string>
#include <vector>

#include "Forvane/EntryTable.hpp"
#include "ForvaneHost/Host.hpp"

namespace fvhost::internal {

// Connection tokens are never 0 (0 means "no token") and never repeat in a process.
API_Token NewConnectionToken();

// The operations in entry-table order of FV_HOST_OPERATIONS, with their functions.
struct OperationEntry {
  const char* name;
  std::uint16_t slot;
  FvWhen when;
  const void* function;
};
const std::vector<OperationEntry>& Operations();
int OperationIndex(const std::string& name);  // -1 when unknown

// A menu item from its string: the display text before the first " ^", and
// the icon number of the first "^NNNNN" marker made of digits only.
MenuItem ParseMenuItemText(const std::string& text, std::int32_t index);

// The host's Pellarin responder and debug sink, installed for the life of a Host.
void InstallDialogResponder(Host& host);
void RemoveDialogResponder(Host& host);

// JSON text of a string, quotes included (for transcript events).
std::string JsonQuote(const std::string& text);

// One JSON member list, for building transcript events: {"event":"x", ...}.
class JsonObject {
 public:
  explicit JsonObject(const char* event);
  JsonObject& Text(const char* key, const std::string& value);
  JsonObject& Number(const char* key, long long value);
  JsonObject& Flag(const char* key, bool value);
  JsonObject& Null(const char* key);
  JsonObject& Raw(const char* key, const std::string& json);
  std::string Done() const { return text_ + "}"; }

 private:
  void Key(const char* key);
  std::string text_;
};

}  // namespace fvhost::internal
