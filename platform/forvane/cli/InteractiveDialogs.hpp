// The host's dialogs put to a person at the terminal: the file dialog as a
// question for a path, and each alert held until Enter is pressed.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "ForvaneHost/Host.hpp"
#include "InteractiveTerminal.hpp"

namespace fvcli {

using DialogFilters = std::vector<std::pair<std::string, std::string>>;  // description, extension

// Sets the host's askFile and showAlert to ask at the terminal.
void AttachTerminalDialogs(fvhost::Host& host, Terminal& terminal);

// "IFC+SG Config file (*.xml)", several joined by ", "; "any file" for none.
std::string FilterText(const DialogFilters& filters);

// A path as typed or dropped onto a terminal: blanks around it and one pair
// of enclosing quotes removed, a leading "~/" made the home folder.
std::string TypedPath(const std::string& line);

// Whether an open-file dialog with these filters takes the path. The dialog
// library decides, so the terminal refuses exactly what the dialog would.
bool OpenDialogAccepts(const std::string& title, const DialogFilters& filters, const std::string& path);

}  // namespace fvcli
