// Host records: what the host and its add-ons exchange. Filled by the host
// unless an operation says otherwise. Texts are Corbane UniStrings and lists
// Corbane Arrays, so either side may free what the other allocated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "Corbane/Corbane.hpp"

using API_Token = std::uintptr_t;  // the connection token handed to StartAddOn

struct API_Guid {
  std::uint8_t bytes[16] = {};
  bool IsNull() const noexcept {
    for (std::uint8_t b : bytes)
      if (b != 0) return false;
    return true;
  }
  friend bool operator==(const API_Guid& a, const API_Guid& b) noexcept {
    return std::memcmp(a.bytes, b.bytes, 16) == 0;
  }
  friend bool operator!=(const API_Guid& a, const API_Guid& b) noexcept { return !(a == b); }
};
inline constexpr API_Guid APINullGuid{};

inline Corbane::Guid APIGuid2Guid(const API_Guid& g) noexcept { return Corbane::Guid(g.bytes); }
inline API_Guid Guid2APIGuid(const Corbane::Guid& g) noexcept {
  API_Guid out;
  std::memcpy(out.bytes, g.GetBytes(), 16);
  return out;
}
inline Corbane::UInt64 GenerateHashValue(const API_Guid& g) noexcept { return GenerateHashValue(APIGuid2Guid(g)); }

// Codes.
enum API_DefinitionType : std::int32_t { API_StaticDefinition = 1, API_CustomDefinition = 2 };
enum API_CollectionType : std::int32_t {
  API_SingleCollection = 1,          // one value
  API_ListCollection = 2,            // a list of values
  API_SingleChoiceCollection = 3,    // one value from the option list
  API_MultipleChoiceCollection = 4,  // several values from the option list
};
enum API_VariantType : std::int32_t {
  API_VariantUndefined = 0,
  API_VariantInteger = 1,
  API_VariantReal = 2,
  API_VariantString = 3,
  API_VariantBoolean = 4,
  API_VariantGuid = 5,  // option keys
};
enum API_MeasureType : std::int32_t {
  API_MeasureDefault = 1,
  API_MeasureLength = 2,
  API_MeasureArea = 3,
  API_MeasureVolume = 4,
  API_MeasureAngle = 5,
};
enum API_ValueStatus : std::int32_t { API_ValueNull = 0, API_ValueUndefined = 1, API_ValueNormal = 2 };
// ElementPropertyRecord::status
enum API_PropertyStatus : std::int32_t {
  API_PropertyUnknown = 0,
  API_PropertyNotAvailable = 1,
  API_PropertyKnown = 2,  // the element has the property and its value is known
  API_PropertyNotEvaluated = 3,
};

struct API_Variant {
  std::int32_t type = API_VariantUndefined;
  std::int32_t intValue = 0;
  double doubleValue = 0.0;
  bool boolValue = false;
  Corbane::UniString uniStringValue;
  API_Guid guidValue;
  friend bool operator==(const API_Variant&, const API_Variant&) = default;
};

struct API_SingleEnumerationVariant {
  API_Variant keyVariant;      // type API_VariantGuid: the option's key
  API_Variant displayVariant;  // of the definition's value type: what the user sees
  bool hasNonLocalizedValue = false;
  Corbane::UniString nonLocalizedValue;
  friend bool operator==(const API_SingleEnumerationVariant&, const API_SingleEnumerationVariant&) = default;
};

struct API_PropertyValue {
  API_Variant singleVariant;                    // collections 1 and 3
  Corbane::Array<API_Variant> listVariant;      // collections 2 and 4
  std::int32_t variantStatus = API_ValueNormal;
  friend bool operator==(const API_PropertyValue&, const API_PropertyValue&) = default;
};

struct API_PropertyDefaultValue {
  bool hasExpression = false;
  Corbane::Array<Corbane::UniString> propertyExpressions;  // references written ###Property:GROUP/NAME###
  API_PropertyValue basicValue;
  friend bool operator==(const API_PropertyDefaultValue&, const API_PropertyDefaultValue&) = default;
};

struct API_PropertyGroup {
  API_Guid guid;
  std::int32_t groupType = API_CustomDefinition;
  Corbane::UniString name;
  Corbane::UniString description;
};

struct API_PropertyDefinition {
  API_Guid guid;
  API_Guid groupGuid;
  Corbane::UniString name;
  Corbane::UniString description;
  std::int32_t definitionType = API_CustomDefinition;
  std::int32_t collectionType = API_SingleCollection;
  std::int32_t valueType = API_VariantString;
  std::int32_t measureType = API_MeasureDefault;
  API_PropertyDefaultValue defaultValue;
  Corbane::Array<API_SingleEnumerationVariant> possibleEnumValues;
  Corbane::Array<API_Guid> availability;  // classification item guids; empty: every element
  bool canValueBeEditable = true;
};

// One property of one element.
struct ElementPropertyRecord {
  API_PropertyDefinition definition;
  std::int32_t status = API_PropertyUnknown;
  API_PropertyValue value;
  bool isDefault = true;  // the element shows the definition's default
};

struct API_ElemType {
  std::int32_t typeID = 0;  // 0: any
  std::int32_t variationID = 0;
  API_Guid classificationID;
};

struct API_ElementHeader {
  API_Guid guid;
  API_ElemType type;
  API_Guid linkGuid;  // the element this one is a linked copy of; null for an element of its own
  std::int32_t layer = 0;
  std::int32_t floor = 0;
};

// What the host passes to a menu handler.
struct API_MenuCallParams {
  std::uint16_t menuResourceId = 0;  // byte offset 0
  std::int32_t itemIndex = 0;        // byte offset 4; the first item is 1
  std::uint32_t modifierFlags = 0;
  std::int32_t reserved = 0;
};
static_assert(offsetof(API_MenuCallParams, itemIndex) == 4);

// What DescribeAddOn fills in.
struct API_AddOnEnvironment {
  Corbane::UniString addOnName;
  Corbane::UniString addOnDescription;
  std::int32_t describeFlag = 0;
  std::int32_t reserved[7] = {};
};
