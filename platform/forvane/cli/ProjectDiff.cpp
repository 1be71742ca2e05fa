#include "ProjectDiff.hpp"

#include <cstring>
#include <algorithm>
#include <map>
#include <ostream>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

#include "CommandLine.hpp"
#include "ForvaneHost/DisplayText.hpp"
#include "ForvaneHost/Fault.hpp"
#include "ForvaneHost/ProjectFile.hpp"
#include "Listing.hpp"

namespace fvcli {
namespace {

using fvhost::Definition;
using fvhost::Element;
using fvhost::Project;
using fvhost::PropertyValue;
using fvhost::Quoted;

struct GuidLess {
  bool operator()(const fvhost::Guid& a, const fvhost::Guid& b) const { return std::memcmp(a.bytes, b.bytes, 16) < 0; }
};

// A value an element holds, with what it is a value of.
struct Held {
  const Element* element;
  const Definition* definition;
  const PropertyValue* value;
};

// One project seen by names: groups and definitions are matched by name
// across two projects (a re-import makes them anew), elements by guid.
class ProjectIndex {
 public:
  explicit ProjectIndex(const Project& project) : project_(project) {
    std::map<fvhost::Guid, std::string, GuidLess> groupNames;
    for (const auto& group : project.groups) {
      groupNames[group.guid] = group.name;
      if (groups_.emplace(group.name, Names()).second) groupOrder_.push_back(group.name);
    }
    std::map<fvhost::Guid, const Definition*, GuidLess> byGuid;
    for (const auto& definition : project.definitions) {
      byGuid[definition.guid] = &definition;
      const auto group = groupNames.find(definition.group);
      if (group == groupNames.end()) continue;
      Names& names = groups_[group->second];
      if (names.definitions.emplace(definition.name, &definition).second) names.order.push_back(definition.name);
    }
    for (const auto& element : project.elements) {
      for (const auto& value : element->values) {
        const auto definition = byGuid.find(value.definition);
        if (definition == byGuid.end()) continue;
        const auto group = groupNames.find(definition->second->group);
        if (group == groupNames.end()) continue;
        values_[{group->second, definition->second->name}][fvhost::GuidText(element->guid)] =
            Held{element.get(), definition->second, &value.value};
      }
    }
  }

  const std::vector<std::string>& GroupOrder() const { return groupOrder_; }
  bool HasGroup(const std::string& group) const { return groups_.count(group) != 0; }
  const std::vector<std::string>& DefinitionOrder(const std::string& group) const { return groups_.at(group).order; }

  const Definition* Find(const std::string& group, const std::string& name) const {
    const auto found = groups_.find(group);
    if (found == groups_.end()) return nullptr;
    const auto definition = found->second.definitions.find(name);
    return definition == found->second.definitions.end() ? nullptr : definition->second;
  }

  // Element guid text -> value, for every element holding a value of the property.
  const std::map<std::string, Held>& ValuesOf(const std::string& group, const std::string& name) const {
    static const std::map<std::string, Held> none;
    const auto found = values_.find({group, name});
    return found == values_.end() ? none : found->second;
  }

  std::size_t ValueCount(const std::string& group) const {
    std::size_t count = 0;
    for (const auto& name : DefinitionOrder(group)) count += ValuesOf(group, name).size();
    return count;
  }

  const Project& project() const { return project_; }

 private:
  struct Names {
    std::map<std::string, const Definition*> definitions;
    std::vector<std::string> order;
  };
  const Project& project_;
  std::vector<std::string> groupOrder_;
  std::map<std::string, Names> groups_;
  std::map<std::pair<std::string, std::string>, std::map<std::string, Held>> values_;
};

std::string Joined(const std::vector<std::string>& texts, const char* separator) {
  std::string joined;
  for (const auto& text : texts) joined += (joined.empty() ? "" : separator) + text;
  return joined;
}

// "a", "a and b", "a, b and c".
std::string Listed(const std::vector<std::string>& texts) {
  if (texts.size() < 2) return Joined(texts, "");
  return Joined(std::vector<std::string>(texts.begin(), texts.end() - 1), ", ") + " and " + texts.back();
}

bool IsChoice(const Definition& definition) {
  return definition.collectionType == API_SingleChoiceCollection ||
         definition.collectionType == API_MultipleChoiceCollection;
}

bool HasChosenDefault(const Definition& definition) {
  return !definition.hasExpression && definition.defaultValue.status == API_ValueNormal;
}

std::vector<std::string> OptionTexts(const Definition& definition) {
  std::vector<std::string> texts;
  for (const auto& option : definition.options) texts.push_back(OptionText(definition, option));
  return texts;
}

// The kind of a definition without what a user puts into it: types,
// options and availability, not expressions or defaults.
std::string ShapeText(const Definition& definition) {
  Definition shape = definition;
  shape.hasExpression = false;
  shape.expressions.clear();
  shape.defaultValue = PropertyValue();
  shape.defaultValue.status = API_ValueUndefined;
  std::string text = DefinitionText(shape);
  const std::string noDefault = "; no default";
  if (const auto at = text.find(noDefault); at != std::string::npos) text.erase(at, noDefault.size());
  return text;
}

// A value as the host shows it, quoted; a value the user cleared shows as
// empty too, so it is named, to tell it from an empty text.
std::string ShownValue(const Held& held) {
  if (held.value->status == API_ValueNull) return "cleared";
  return Quoted(fvhost::ValueDisplayText(*held.definition, *held.value));
}

// How much of one kind of thing a group kept: "3 of 4 defaults".
struct Tally {
  const char* plural;
  int kept = 0;
  int total = 0;
};

class GroupAccount {
 public:
  GroupAccount(const std::string& group, const ProjectIndex& before, const ProjectIndex& after)
      : group_(group), before_(before), after_(after) {}

  // Prints the group's account; false when nothing in it changed.
  bool Print(std::ostream& out) {
    Compare();
    out << group_ << ": " << Heading() << (changed_ ? "" : ", unchanged") << "\n";
    for (const auto& line : definitionLines_) out << "  " << line << "\n";
    if (const std::string kept = KeptLine(); !kept.empty()) out << "  kept: " << kept << "\n";
    if (!notKept_.empty()) {
      out << "  not kept:\n";
      for (const auto& line : notKept_) out << "    " << line << "\n";
    }
    return changed_;
  }

 private:
  void Compare() {
    changed_ = before_.HasGroup(group_) != after_.HasGroup(group_);
    if (before_.HasGroup(group_)) {
      for (const auto& name : before_.DefinitionOrder(group_)) {
        const Definition& was = *before_.Find(group_, name);
        if (const Definition* now = after_.Find(group_, name))
          CompareKept(name, was, *now);
        else
          Removed(name, was);
      }
    }
    if (after_.HasGroup(group_))
      for (const auto& name : after_.DefinitionOrder(group_))
        if (before_.Find(group_, name) == nullptr) {
          definitionLines_.push_back("+ " + name + ": " + DefinitionText(*after_.Find(group_, name)));
          ++added_;
          changed_ = true;
        }
  }

  std::string Heading() const {
    if (!before_.HasGroup(group_)) return "new, " + Count(added_, "definition");
    if (!after_.HasGroup(group_)) return "gone, with its " + Count(removed_, "definition");
    std::string heading = Count(kept_, "definition") + " kept";
    if (added_ > 0) heading += ", " + std::to_string(added_) + " added";
    if (removed_ > 0) heading += ", " + std::to_string(removed_) + " removed";
    return heading;
  }

  std::string KeptLine() const {
    std::vector<std::string> parts;
    for (const Tally* tally : {&expressions_, &optionSets_, &defaults_, &values_})
      if (tally->total > 0)
        parts.push_back(std::to_string(tally->kept) + " of " + std::to_string(tally->total) + " " + tally->plural);
    return Joined(parts, ", ");
  }

  static std::string Count(int count, const char* what) {
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
  }

  void NotKept(Tally& tally, std::string line) {
    ++tally.total;
    notKept_.push_back(std::move(line));
    changed_ = true;
  }

  void Kept(Tally& tally) {
    ++tally.total;
    ++tally.kept;
  }

  // A definition that is gone takes what it held with it: one line for all of it.
  void Removed(const std::string& name, const Definition& was) {
    ++removed_;
    changed_ = true;
    std::vector<std::string> lost;
    auto lose = [&lost](Tally& tally, int count, std::string what) {
      if (count == 0) return;
      tally.total += count;
      lost.push_back(std::move(what));
    };
    lose(expressions_, was.hasExpression ? 1 : 0, "its expression");
    lose(optionSets_, IsChoice(was) && !was.options.empty() ? 1 : 0, "its option set");
    lose(defaults_, HasChosenDefault(was) ? 1 : 0, "its default");
    const auto values = static_cast<int>(before_.ValuesOf(group_, name).size());
    lose(values_, values, Count(values, "element value"));
    definitionLines_.push_back("- " + name + (lost.empty() ? "" : ": gone, and with it " + Listed(lost)));
  }

  void CompareKept(const std::string& name, const Definition& was, const Definition& now) {
    ++kept_;
    if (ShapeText(was) != ShapeText(now)) {
      definitionLines_.push_back("~ " + name + ": " + ShapeText(was) + "\n      now " + ShapeText(now));
      changed_ = true;
    }
    CompareExpression(name, was, now);
    CompareOptionSet(name, was, now);
    CompareDefault(name, was, now);
    CompareValues(name, was, now);
  }

  void CompareExpression(const std::string& name, const Definition& was, const Definition& now) {
    if (!was.hasExpression) {
      if (now.hasExpression) NewThing("expression of " + name + ": " + Joined(now.expressions, "; "));
      return;
    }
    if (now.hasExpression && now.expressions == was.expressions) return Kept(expressions_);
    NotKept(expressions_, "expression of " + name + ", " + Joined(was.expressions, "; ") + ": " +
                              ExpressionReason(was, now));
  }

  // An expression usually goes because a property it refers to went.
  std::string ExpressionReason(const Definition& was, const Definition& now) const {
    static const std::string open = "###Property:", close = "###";
    for (const auto& expression : was.expressions) {
      for (auto at = expression.find(open); at != std::string::npos; at = expression.find(open, at + 1)) {
        const auto end = expression.find(close, at + open.size());
        if (end == std::string::npos) break;
        const std::string reference = expression.substr(at + open.size(), end - at - open.size());
        const auto slash = reference.find('/');
        if (slash != std::string::npos && after_.Find(reference.substr(0, slash), reference.substr(slash + 1)) == nullptr)
          return "it refers to " + reference + ", which is gone";
      }
    }
    return now.hasExpression ? "now " + Joined(now.expressions, "; ") : "now none";
  }

  void CompareOptionSet(const std::string& name, const Definition& was, const Definition& now) {
    if (!IsChoice(was) || was.options.empty()) return;
    const auto options = OptionTexts(was);
    if (IsChoice(now) && OptionTexts(now) == options) return Kept(optionSets_);
    const std::string reason = IsChoice(now) ? "now " + QuotedList(OptionTexts(now)) : "no longer a choice";
    NotKept(optionSets_, "option set of " + name + ", " + QuotedList(options) + ": " + reason);
  }

  static std::string QuotedList(const std::vector<std::string>& texts) {
    std::vector<std::string> quoted;
    for (const auto& text : texts) quoted.push_back(Quoted(text));
    return Joined(quoted, ", ");
  }

  void CompareDefault(const std::string& name, const Definition& was, const Definition& now) {
    if (!HasChosenDefault(was)) {
      if (HasChosenDefault(now)) NewThing("default of " + name + ": " + Quoted(DefaultText(now)));
      return;
    }
    const std::string text = DefaultText(was);
    if (HasChosenDefault(now) && DefaultText(now) == text) return Kept(defaults_);
    NotKept(defaults_, "default of " + name + ", " + Quoted(text) + ": " +
                           (HasChosenDefault(now) ? "now " + Quoted(DefaultText(now)) : "now none"));
  }

  static std::string DefaultText(const Definition& definition) {
    return fvhost::ValueDisplayText(definition, definition.defaultValue);
  }

  void CompareValues(const std::string& name, const Definition& was, const Definition& now) {
    const auto& nowValues = after_.ValuesOf(group_, name);
    for (const auto& [element, held] : before_.ValuesOf(group_, name)) {
      const auto found = nowValues.find(element);
      const Held* nowHeld = found == nowValues.end() ? nullptr : &found->second;
      if (nowHeld != nullptr && ShownValue(*nowHeld) == ShownValue(held)) {
        Kept(values_);
        continue;
      }
      NotKept(values_, "value of " + name + " on " + element + ", " + ShownValue(held) + ": " +
                           ValueReason(held, was, now, nowHeld));
    }
    for (const auto& [element, held] : nowValues)
      if (before_.ValuesOf(group_, name).count(element) == 0)
        NewThing("value of " + name + " on " + element + ": " + ShownValue(held));
  }

  static std::string ValueReason(const Held& held, const Definition& was, const Definition& now, const Held* nowHeld) {
    // A value that is still there but different speaks for itself.
    if (nowHeld != nullptr) return "now " + ShownValue(*nowHeld);
    std::string reason;
    if (!held.element->link.IsNull())
      reason = "the element is a linked copy; ";
    else if (now.valueType != was.valueType)
      reason = "the value type changed; ";
    else if (now.collectionType != was.collectionType)
      reason = "the collection type changed; ";
    else if (IsChoice(was) && IsChoice(now))
      reason = GoneOptions(held, OptionTexts(now));
    return reason + "now not set";
  }

  // The chosen options that the second project no longer offers, one or several.
  static std::string GoneOptions(const Held& held, const std::vector<std::string>& offered) {
    std::vector<fvhost::PropertyValue> chosen{*held.value};
    if (held.definition->collectionType == API_MultipleChoiceCollection) {
      chosen.clear();
      for (const auto& item : held.value->list) chosen.push_back(fvhost::PropertyValue{{}, {item}, API_ValueNormal});
    }
    std::vector<std::string> gone;
    for (const auto& value : chosen) {
      const std::string text = fvhost::ValueDisplayText(*held.definition, value);
      if (std::find(offered.begin(), offered.end(), text) == offered.end()) gone.push_back(text);
    }
    if (gone.empty()) return "";
    return (gone.size() == 1 ? "the option " + Quoted(gone[0]) + " is gone; " : "the options " + QuotedList(gone) + " are gone; ");
  }

  // Something the second project has that the first did not: a change, not a loss.
  void NewThing(std::string what) {
    definitionLines_.push_back("~ new " + std::move(what));
    changed_ = true;
  }

  const std::string& group_;
  const ProjectIndex& before_;
  const ProjectIndex& after_;
  bool changed_ = false;
  int kept_ = 0, added_ = 0, removed_ = 0;
  Tally expressions_{"expressions"}, optionSets_{"option sets"}, defaults_{"defaults"}, values_{"element values"};
  std::vector<std::string> definitionLines_;
  std::vector<std::string> notKept_;
};

// Classification items by system and id.
using Facts = std::map<std::string, std::string>;

void AddItems(const std::string& system, const std::vector<fvhost::ClassificationItem>& items, Facts& facts) {
  for (const auto& item : items) {
    facts[system + " " + item.id] = item.name;
    AddItems(system, item.children, facts);
  }
}

Facts ClassificationFacts(const Project& project) {
  Facts facts;
  for (const auto& system : project.classificationSystems) AddItems(system.name, system.items, facts);
  return facts;
}

// Prints the section; false when it had no changes.
bool DiffClassifications(const Project& before, const Project& after, std::ostream& out) {
  const Facts was = ClassificationFacts(before), now = ClassificationFacts(after);
  std::vector<std::string> lines;
  for (const auto& [key, name] : was) {
    const auto found = now.find(key);
    if (found == now.end())
      lines.push_back("  - " + key + ": " + name);
    else if (found->second != name)
      lines.push_back("  ~ " + key + ": " + name + ", now " + found->second);
  }
  for (const auto& [key, name] : now)
    if (was.count(key) == 0) lines.push_back("  + " + key + ": " + name);
  if (lines.empty()) return false;
  out << "Classification items:\n";
  for (const auto& line : lines) out << line << "\n";
  return true;
}

bool DiffElements(const Project& before, const Project& after, std::ostream& out) {
  std::set<fvhost::Guid, GuidLess> was, now;
  for (const auto& element : before.elements) was.insert(element->guid);
  for (const auto& element : after.elements) now.insert(element->guid);
  int added = 0, removed = 0;
  for (const auto& guid : was) removed += now.count(guid) == 0 ? 1 : 0;
  for (const auto& guid : now) added += was.count(guid) == 0 ? 1 : 0;
  if (added == 0 && removed == 0) return false;
  out << "Elements: " << added << " added, " << removed << " removed\n";
  return true;
}

}  // namespace

void DiffProjects(const Project& before, const Project& after, std::ostream& out) {
  const ProjectIndex was(before), now(after);
  std::vector<std::string> groups = was.GroupOrder();
  for (const auto& group : now.GroupOrder())
    if (!was.HasGroup(group)) groups.push_back(group);

  std::ostringstream account;
  bool changed = false;
  for (const auto& group : groups) changed = GroupAccount(group, was, now).Print(account) || changed;
  changed = DiffClassifications(before, after, account) || changed;
  changed = DiffElements(before, after, account) || changed;
  out << (changed ? account.str() : "(no changes)\n");
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
