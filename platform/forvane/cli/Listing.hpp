// What --list and --list-menus print: the project, and the menus the add-ons
// registered; and the Session Report as a run ends or a person asks for it.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "ForvaneHost/Host.hpp"
#include "ForvaneHost/Model.hpp"

namespace fvcli {

// Classification systems with their items, property groups with their
// definitions (types, defaults, expressions, options, availability), and
// elements with the values set on them.
void ListProject(const fvhost::Project& project, std::ostream& out);

// One definition as a line of text after its name: value type, measure,
// collection, definition type, options, default or expressions, availability.
std::string DefinitionText(const fvhost::Definition& definition);

// An option of a choice definition as the host shows it.
std::string OptionText(const fvhost::Definition& definition, const fvhost::Option& option);

// The name of the group with that guid, or "?".
std::string GroupName(const fvhost::Project& project, const fvhost::Guid& group);

// Each menu title, then its items with their icon numbers.
void ListMenus(const fvhost::Host& host, std::ostream& out);

// "Session Report:", then each line (or "(empty)"), each after `indent`.
void PrintSessionReport(const std::vector<std::string>& lines, std::ostream& out, const std::string& indent = "");

}  // namespace fvcli
