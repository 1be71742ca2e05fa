// Writing the project file: the model as a JSON tree in a stable order, then
// saved so that a failure never leaves a half-written project behind.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>

#include "ForvaneHost/ProjectFile.hpp"
#include "ProjectFileJson.hpp"
#include "ProjectFileWords.hpp"

namespace fvhost {
namespace {

namespace json = projectjson;
namespace words = projectwords;
using Json = projectjson::Value;

Json Word(std::span<const words::Word> table, std::int32_t code) {
  const std::string_view word = words::WordFor(table, code);
  return json::MakeString(std::string(word.empty() ? table.front().text : word));
}

// The shortest form that reads back to the same double.
std::string RealLiteral(double value) {
  if (!std::isfinite(value)) return "null";
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

Json Typed(const Value& v) {
  switch (v.type) {
    case API_VariantInteger: return json::MakeNumber(std::to_string(v.intValue));
    case API_VariantReal: return json::MakeNumber(RealLiteral(v.realValue));
    case API_VariantBoolean: return json::MakeBoolean(v.boolValue);
    default: return json::MakeString(v.text);
  }
}

class ProjectWriter {
 public:
  explicit ProjectWriter(const Project& project) : project_(project) {
    for (const Group& g : project.groups) groupNames_[GuidText(g.guid)] = g.name;
    for (const Definition& d : project.definitions) definitions_[GuidText(d.guid)] = &d;
  }

  Json Write() const {
    Json root = json::MakeObject();
    json::Add(root, "format", json::MakeString("forvane-project"));
    json::Add(root, "version", json::MakeNumber("1"));
    Json systems = json::MakeArray();
    for (const auto& s : project_.classificationSystems) systems.items.push_back(System(s));
    json::Add(root, "classificationSystems", std::move(systems));
    Json groups = json::MakeArray();
    for (const auto& g : project_.groups) groups.items.push_back(GroupOf(g));
    json::Add(root, "propertyGroups", std::move(groups));
    Json elements = json::MakeArray();
    for (const auto& e : project_.elements) elements.items.push_back(ElementOf(*e));
    json::Add(root, "elements", std::move(elements));
    return root;
  }

 private:
  static Json System(const ClassificationSystem& s) {
    Json out = json::MakeObject();
    json::Add(out, "guid", json::MakeString(GuidText(s.guid)));
    json::Add(out, "name", json::MakeString(s.name));
    json::Add(out, "version", json::MakeString(s.version));
    Json items = json::MakeArray();
    for (const auto& item : s.items) items.items.push_back(Item(item));
    json::Add(out, "items", std::move(items));
    return out;
  }

  static Json Item(const ClassificationItem& item) {
    Json out = json::MakeObject();
    json::Add(out, "guid", json::MakeString(GuidText(item.guid)));
    json::Add(out, "id", json::MakeString(item.id));
    json::Add(out, "name", json::MakeString(item.name));
    if (!item.children.empty()) {
      Json children = json::MakeArray();
      for (const auto& child : item.children) children.items.push_back(Item(child));
      json::Add(out, "children", std::move(children));
    }
    return out;
  }

  static Json Texts(const std::vector<std::string>& texts) {
    Json out = json::MakeArray();
    for (const auto& t : texts) out.items.push_back(json::MakeString(t));
    return out;
  }

  // The file keeps a group's definitions inside the group, in project order.
  Json GroupOf(const Group& g) const {
    Json out = json::MakeObject();
    json::Add(out, "guid", json::MakeString(GuidText(g.guid)));
    json::Add(out, "name", json::MakeString(g.name));
    if (!g.description.empty()) json::Add(out, "description", json::MakeString(g.description));
    if (g.groupType != API_CustomDefinition) json::Add(out, "groupType", Word(words::kDefinitionTypes, g.groupType));
    Json definitions = json::MakeArray();
    for (const Definition& d : project_.definitions)
      if (d.group == g.guid) definitions.items.push_back(DefinitionOf(d));
    json::Add(out, "definitions", std::move(definitions));
    return out;
  }

  static Json DefinitionOf(const Definition& d) {
    Json out = json::MakeObject();
    json::Add(out, "guid", json::MakeString(GuidText(d.guid)));
    json::Add(out, "name", json::MakeString(d.name));
    if (!d.description.empty()) json::Add(out, "description", json::MakeString(d.description));
    json::Add(out, "definitionType", Word(words::kDefinitionTypes, d.definitionType));
    json::Add(out, "collectionType", Word(words::kCollectionTypes, d.collectionType));
    json::Add(out, "valueType", Word(words::kValueTypes, d.valueType));
    json::Add(out, "measureType", Word(words::kMeasureTypes, d.measureType));
    if (words::IsChoice(d.collectionType) || !d.options.empty()) json::Add(out, "options", Options(d));
    Json defaultValue = DefaultOf(d);
    if (!defaultValue.members.empty()) json::Add(out, "default", std::move(defaultValue));
    if (!d.availableFor.empty()) json::Add(out, "availableFor", Texts(d.availableFor));
    if (!d.editable) json::Add(out, "editable", json::MakeBoolean(false));
    return out;
  }

  static Json Options(const Definition& d) {
    Json out = json::MakeArray();
    for (const Option& o : d.options) {
      Json option = json::MakeObject();
      json::Add(option, "key", json::MakeString(GuidText(o.key)));
      json::Add(option, "value", Typed(o.display));
      if (o.hasNonLocalized) json::Add(option, "nonLocalized", json::MakeString(o.nonLocalized));
      out.items.push_back(std::move(option));
    }
    return out;
  }

  // One value as the file writes it; false when it cannot be written (an
  // option key that names none of the definition's options).
  static bool ValueOf(const Definition& d, const Value& v, Json& out) {
    if (!words::IsChoice(d.collectionType)) {
      out = Typed(v);
      return true;
    }
    for (const Option& o : d.options)
      if (v.type == API_VariantGuid && o.key == v.guid) {
        out = Typed(o.display);
        return true;
      }
    return false;
  }

  // The value part of a property value; false when it holds nothing worth
  // writing (a blank single value, or an empty list that is not set).
  static bool ValuePartOf(const Definition& d, const PropertyValue& pv, Json& out) {
    if (words::IsList(d.collectionType)) {
      if (pv.list.empty() && pv.status != API_ValueNormal) return false;
      out = json::MakeArray();
      for (const Value& v : pv.list) {
        Json item;
        if (ValueOf(d, v, item)) out.items.push_back(std::move(item));
      }
      return true;
    }
    if (pv.single == words::BlankValue(d) && pv.status != API_ValueNormal) return false;
    return ValueOf(d, pv.single, out);
  }

  static Json DefaultOf(const Definition& d) {
    static constexpr std::string_view kKeyFor[] = {"value", "value", "values", "choice", "choices"};
    Json out = json::MakeObject();
    Json value;
    const bool hasValue = ValuePartOf(d, d.defaultValue, value);
    if (hasValue) {
      const auto index = static_cast<std::size_t>(d.collectionType >= 1 && d.collectionType <= 4 ? d.collectionType : 0);
      json::Add(out, std::string(kKeyFor[index]), std::move(value));
    }
    const std::int32_t impliedStatus = hasValue ? API_ValueNormal : API_ValueUndefined;
    if (d.defaultValue.status != impliedStatus) json::Add(out, "status", Word(words::kStatuses, d.defaultValue.status));
    if (d.hasExpression) json::Add(out, "expressions", Texts(d.expressions));
    return out;
  }

  Json ElementOf(const Element& e) const {
    Json out = json::MakeObject();
    json::Add(out, "guid", json::MakeString(GuidText(e.guid)));
    json::Add(out, "type", json::MakeString(e.type));
    json::Add(out, "classifications", Texts(e.classifications));
    json::Add(out, "link", e.link.IsNull() ? json::MakeNull() : json::MakeString(GuidText(e.link)));
    Json values = json::MakeArray();
    for (const ElementValue& ev : e.values) {
      Json value;
      if (ElementValueOf(ev, value)) values.items.push_back(std::move(value));
    }
    json::Add(out, "values", std::move(values));
    return out;
  }

  // False for a value of a definition the project no longer has.
  bool ElementValueOf(const ElementValue& ev, Json& out) const {
    const auto found = definitions_.find(GuidText(ev.definition));
    if (found == definitions_.end()) return false;
    const Definition& d = *found->second;
    const auto group = groupNames_.find(GuidText(d.group));
    if (group == groupNames_.end()) return false;
    out = json::MakeObject();
    json::Add(out, "group", json::MakeString(group->second));
    json::Add(out, "property", json::MakeString(d.name));
    Json value;
    if (ValuePartOf(d, ev.value, value)) json::Add(out, "value", std::move(value));
    if (ev.value.status != API_ValueNormal) json::Add(out, "status", Word(words::kStatuses, ev.value.status));
    return true;
  }

  const Project& project_;
  std::map<std::string, std::string> groupNames_;
  std::map<std::string, const Definition*> definitions_;
};

std::string Reason(const std::string& what, const std::string& path) {
  return "cannot " + what + " " + path + ": " + std::strerror(errno);
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A new file takes the permissions an ordinary write would give it; a
// replaced one keeps its own.
mode_t ModeFor(const std::string& path) {
  struct stat existing {};
  if (::stat(path.c_str(), &existing) == 0) return existing.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// After the rename the folder entry must reach the disk too, or a crash could
// bring back the old name.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

std::string ProjectToJson(const Project& project) { return projectjson::Print(ProjectWriter(project).Write()); }

bool SaveProjectFile(const Project& project, const std::string& path, std::string& error) {
  const std::string text = ProjectToJson(project);
  std::string temporary = path + ".saving-XXXXXX";
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) {
    error = Reason("create a file in", FolderOf(path));
    return false;
  }
  bool written = ::fchmod(fd, ModeFor(path)) == 0 && WriteAll(fd, text) && ::fsync(fd) == 0;
  if (!written) error = Reason("write", temporary);
  if (::close(fd) != 0 && written) {
    written = false;
    error = Reason("write", temporary);
  }
  if (written && ::rename(temporary.c_str(), path.c_str()) != 0) {
    written = false;
    error = Reason("replace", path);
  }
  if (!written) {
    ::unlink(temporary.c_str());
    return false;
  }
  SyncFolder(FolderOf(path));
  return true;
}

}  // namespace fvhost
