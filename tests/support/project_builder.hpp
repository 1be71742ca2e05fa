// Builds host projects for tests in a few lines:
//
//   ProjectBuilder b;
//   auto wall = b.Group("Pset_WallCommon");
//   auto fire = b.Definition(wall, "FireRating", API_VariantString);
//   auto height = b.Definition(wall, "Height", API_VariantReal, API_MeasureLength);
//   b.Expressions(height, {"###Property:Pset_WallCommon/Width### * 2"});
//   auto finish = b.Options(b.Definition(wall, "Finish", API_VariantString), {"Paint", "Tile"}, "Paint");
//   auto e = b.Element("Wall", {"IfcWall"});
//   b.Set(e, fire, "2HR");
//   b.SetOption(e, finish, "Tile");
//   fvhost::Project project = b.Build();
#pragma once

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

#include "ForvaneHost/Model.hpp"

namespace testing_support {

class ProjectBuilder {
 public:
  using Guid = fvhost::Guid;

  Guid Group(const std::string& name) {
    fvhost::Group g;
    g.guid = fvhost::NewGuid();
    g.name = name;
    project_.groups.push_back(g);
    return g.guid;
  }

  Guid Definition(const Guid& group, const std::string& name, std::int32_t valueType = API_VariantString,
                  std::int32_t measureType = API_MeasureDefault, std::int32_t collectionType = API_SingleCollection) {
    fvhost::Definition d;
    d.guid = fvhost::NewGuid();
    d.group = group;
    d.name = name;
    d.valueType = valueType;
    d.measureType = measureType;
    d.collectionType = collectionType;
    d.defaultValue.single.type = valueType;
    d.defaultValue.status = API_ValueUndefined;
    project_.definitions.push_back(d);
    return d.guid;
  }

  fvhost::Definition& Def(const Guid& definition) {
    for (auto& d : project_.definitions)
      if (d.guid == definition) return d;
    throw std::logic_error("no such definition");
  }

  Guid Expressions(const Guid& definition, std::vector<std::string> texts) {
    auto& d = Def(definition);
    d.hasExpression = true;
    d.expressions = std::move(texts);
    return definition;
  }

  // Makes the definition a single choice of `options` (display texts of its
  // value type string); `defaultOption` empty: no default chosen.
  Guid Options(const Guid& definition, std::vector<std::string> options, const std::string& defaultOption = "") {
    auto& d = Def(definition);
    d.collectionType = API_SingleChoiceCollection;
    d.options.clear();
    for (auto& text : options) {
      fvhost::Option o;
      o.key = fvhost::NewGuid();
      o.display.type = API_VariantString;
      o.display.text = text;
      d.options.push_back(o);
    }
    d.defaultValue = {};
    d.defaultValue.single.type = API_VariantGuid;
    d.defaultValue.status = API_ValueUndefined;
    for (auto& o : d.options)
      if (o.display.text == defaultOption) {
        d.defaultValue.single.guid = o.key;
        d.defaultValue.status = API_ValueNormal;
      }
    return definition;
  }

  Guid DefaultValue(const Guid& definition, const fvhost::Value& value, std::int32_t status = API_ValueNormal) {
    auto& d = Def(definition);
    d.defaultValue.single = value;
    d.defaultValue.status = status;
    return definition;
  }

  void AvailableFor(const Guid& definition, std::vector<std::string> itemIds) {
    Def(definition).availableFor = std::move(itemIds);
  }

  // A classification system with flat items.
  void Classification(const std::string& system, std::initializer_list<std::string> itemIds) {
    fvhost::ClassificationSystem s;
    s.guid = fvhost::NewGuid();
    s.name = system;
    s.version = "1";
    for (const auto& id : itemIds) {
      fvhost::ClassificationItem item;
      item.guid = fvhost::NewGuid();
      item.id = id;
      item.name = id;
      s.items.push_back(item);
    }
    project_.classificationSystems.push_back(s);
  }

  Guid Element(const std::string& type, std::vector<std::string> classifications = {}) {
    auto e = std::make_shared<fvhost::Element>();
    e->guid = fvhost::NewGuid();
    e->type = type;
    e->classifications = std::move(classifications);
    project_.elements.push_back(e);
    return e->guid;
  }

  void Link(const Guid& element, const Guid& linkedTo) { Elem(element).link = linkedTo; }

  // A user-set value.
  void SetValue(const Guid& element, const Guid& definition, const fvhost::PropertyValue& value) {
    auto& e = Elem(element);
    for (auto& v : e.values)
      if (v.definition == definition) {
        v.value = value;
        return;
      }
    e.values.push_back({definition, value});
  }
  void Set(const Guid& element, const Guid& definition, const std::string& text) {
    SetValue(element, definition, Single(Text(text)));
  }
  void Set(const Guid& element, const Guid& definition, std::int32_t number) {
    SetValue(element, definition, Single(Integer(number)));
  }
  void Set(const Guid& element, const Guid& definition, double real) { SetValue(element, definition, Single(Real(real))); }
  void SetBool(const Guid& element, const Guid& definition, bool flag) {
    SetValue(element, definition, Single(Boolean(flag)));
  }
  void SetOption(const Guid& element, const Guid& definition, const std::string& displayText) {
    for (auto& o : Def(definition).options)
      if (o.display.text == displayText) {
        fvhost::Value key;
        key.type = API_VariantGuid;
        key.guid = o.key;
        SetValue(element, definition, Single(key));
        return;
      }
    throw std::logic_error("no such option");
  }

  static fvhost::Value Text(const std::string& s) {
    fvhost::Value v;
    v.type = API_VariantString;
    v.text = s;
    return v;
  }
  static fvhost::Value Integer(std::int32_t i) {
    fvhost::Value v;
    v.type = API_VariantInteger;
    v.intValue = i;
    return v;
  }
  static fvhost::Value Real(double r) {
    fvhost::Value v;
    v.type = API_VariantReal;
    v.realValue = r;
    return v;
  }
  static fvhost::Value Boolean(bool b) {
    fvhost::Value v;
    v.type = API_VariantBoolean;
    v.boolValue = b;
    return v;
  }
  static fvhost::PropertyValue Single(const fvhost::Value& v) {
    fvhost::PropertyValue p;
    p.single = v;
    p.status = API_ValueNormal;
    return p;
  }

  fvhost::Element& Elem(const Guid& element) {
    for (std::size_t i = 0; i < project_.elements.size(); ++i)
      if (project_.elements[i]->guid == element) return project_.MutableElement(i);
    throw std::logic_error("no such element");
  }

  fvhost::Project& project() { return project_; }
  fvhost::Project Build() const { return project_; }

 private:
  fvhost::Project project_;
};

}  // namespace testing_support
