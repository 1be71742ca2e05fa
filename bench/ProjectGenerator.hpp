// Synthetic projects for the benchmarks: N elements, K IFC property groups of
// M properties each, a chosen share of the values set by the user, and one
// group that is not an IFC group. Everything is a pure function of the shape
// and the indices, so a baseline can make the same host calls as a step
// without reading anything the step produced.
#pragma once

#include <cstdint>
#include <string>

#include "ForvaneHost/Model.hpp"

namespace quarnel_bench {

struct ProjectShape {
  int elements = 1000;
  int ifcGroups = 3;
  int propertiesPerGroup = 6;
  double valueShare = 0.5;  // of the element properties that carry a user-set value
  int otherProperties = 3;  // in the one group that is not an IFC group
};

// What a property holds; properties take the kinds in turn.
enum class PropertyKind { Text, Integer, Length, Boolean, Choice, Area, Angle, MultipleChoice, LengthList };
inline constexpr int propertyKindCount = 9;
inline constexpr int choiceOptionCount = 5;

PropertyKind KindOf(int propertyIndex);
// Whether element `element` has a user-set value of the property `property`
// (numbered over all groups, the other group's last).
bool IsSet(const ProjectShape& shape, int element, int property);
// The value element `element` holds for property `property`, of definition
// `definition`: a choice names the definition's option keys.
fvhost::PropertyValue ValueOf(const fvhost::Definition& definition, int element, int property);

fvhost::Project GenerateProject(const ProjectShape& shape);

std::string GroupName(int group);  // "Pset_Bench01", "SGPset_Bench02", ...
std::string PropertyName(int property);  // "Property00", "Property01", ... over all groups
inline const char* otherGroupName = "Bench Office Data";

}  // namespace quarnel_bench
