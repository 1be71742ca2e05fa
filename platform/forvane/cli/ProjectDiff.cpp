#include "ProjectDiff.hpp"

#include <cstring>
#include <map>
#include <ostream>

#include "CommandLine.hpp"
#include "ForvaneHost/DisplayText.hpp"
#include "ForvaneHost/ProjectFile.hpp"
#include "Listing.hpp"

namespace fvcli {
namespace {

// What is compared, as text keyed by what names it across the two projects.
using Facts = std::map<std::string, std::string>;

void AddItems(const std::string& system, const std::vector<fvhost::ClassificationItem>& items, Facts& facts) {
  for (const auto& item : items) {
    facts[system + " " + item.id] = item.name;
    AddItems(system, item.children, facts);
  }
}

Facts ClassificationFacts(const fvhost::Project& project) {
  Facts facts;
  for (const auto& system : project.classificationSystems) AddItems(system.name, system.items, facts);
  return facts;
}

Facts GroupFacts(const fvhost::Project& project) {
  Facts facts;
  for (const auto& group : project.groups) facts[group.name] = group.description;
  return facts;
}

Facts DefinitionFacts(const fvhost::Project& project) {
  Facts facts;
  for (const auto& definition : project.definitions)
    facts[GroupName(project, definition.group) + "/" + definition.name] = DefinitionText(definition);
  return facts;
}

Facts ValueFacts(const fvhost::Project& project) {
  std::map<fvhost::Guid, const fvhost::Definition*, bool (*)(const fvhost::Guid&, const fvhost::Guid&)> definitions(
      [](const fvhost::Guid& a, const fvhost::Guid& b) { return std::memcmp(a.bytes, b.bytes, 16) < 0; });
  for (const auto& definition : project.definitions) definitions[definition.guid] = &definition;
  Facts facts;
  for (const auto& element : project.elements) {
    for (const auto& value : element->values) {
      const auto found = definitions.find(value.definition);
      if (found == definitions.end()) continue;
      const fvhost::Definition& definition = *found->second;
      facts[fvhost::GuidText(element->guid) + " " + GroupName(project, definition.group) + "/" + definition.name] =
          "\"" + fvhost::ValueDisplayText(definition, value.value) + "\"";
    }
  }
  return facts;
}

// Prints one section; returns how many changes it had.
int DiffSection(const char* title, const Facts& before, const Facts& after, std::ostream& out) {
  std::vector<std::string> lines;
  for (const auto& [key, was] : before) {
    const auto now = after.find(key);
    if (now == after.end())
      lines.push_back("  - " + key + (was.empty() ? "" : ": " + was));
    else if (now->second != was)
      lines.push_back("  ~ " + key + ": " + was + "\n      now " + now->second);
  }
  for (const auto& [key, now] : after)
    if (before.find(key) == before.end()) lines.push_back("  + " + key + (now.empty() ? "" : ": " + now));
  if (lines.empty()) return 0;
  out << title << ":\n";
  for (const auto& line : lines) out << line << "\n";
  return static_cast<int>(lines.size());
}

}  // namespace

void DiffProjects(const fvhost::Project& before, const fvhost::Project& after, std::ostream& out) {
  int changes = DiffSection("Classification items", ClassificationFacts(before), ClassificationFacts(after), out);
  changes += DiffSection("Property groups", GroupFacts(before), GroupFacts(after), out);
  changes += DiffSection("Property definitions", DefinitionFacts(before), DefinitionFacts(after), out);
  changes += DiffSection("Element values", ValueFacts(before), ValueFacts(after), out);
  if (changes == 0) out << "(no changes)\n";
}

int RunDiff(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  if (argc != 2) {
    err << "forvane diff: give two project files: forvane diff BEFORE.json AFTER.json\n";
    return ExitBadUsage;
  }
  std::string error;
  const auto before = fvhost::LoadProjectFile(argv[0], error);
  if (!before) {
    err << "forvane diff: " << error << "\n";
    return ExitBadUsage;
  }
  const auto after = fvhost::LoadProjectFile(argv[1], error);
  if (!after) {
    err << "forvane diff: " << error << "\n";
    return ExitBadUsage;
  }
  DiffProjects(*before, *after, out);
  return ExitDone;
}

}  // namespace fvcli
