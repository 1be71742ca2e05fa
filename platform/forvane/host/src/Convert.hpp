// Conversions between the project model (UTF-8 std::string, std::vector) and
// the records that add-ons see (UniString, Corbane::Array).
#pragma once

#include <string>

#include "Forvane/Errors.hpp"
#include "Forvane/Records.hpp"
#include "ForvaneHost/Model.hpp"

namespace fvhost::convert {

Corbane::UniString ToUni(const std::string& text);
std::string ToUtf8(const Corbane::UniString& text);

API_Variant ToApi(const Value& value);
// Keeps only the field that the variant's type uses, so stored values compare by meaning.
Value FromApi(const API_Variant& variant);
API_PropertyValue ToApi(const PropertyValue& value);
PropertyValue FromApi(const API_PropertyValue& value);

API_PropertyGroup ToApi(const Group& group);
// Availability items become the guids of the classification items they name;
// an item id that no classification system holds has no guid and is left out.
API_PropertyDefinition ToApi(const Project& project, const Definition& definition);
// The record as a model definition. Availability guids must name classification
// items (else FvErr_BadId).
HostError FromApi(const Project& project, const API_PropertyDefinition& record, Definition& out);

// Element type ids of API_ElemType: fixed numbers for the types the host knows.
std::int32_t ElementTypeId(const std::string& type);

}  // namespace fvhost::convert
