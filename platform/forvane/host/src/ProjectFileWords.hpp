// The words the project file uses for the model's codes, shared by its
// reader and its writer so that the two never disagree.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "ForvaneHost/Model.hpp"

namespace fvhost::projectwords {

struct Word {
  std::int32_t code;
  std::string_view text;
};

inline constexpr Word kDefinitionTypes[] = {{API_StaticDefinition, "static"}, {API_CustomDefinition, "custom"}};
inline constexpr Word kCollectionTypes[] = {{API_SingleCollection, "single"},
                                            {API_ListCollection, "list"},
                                            {API_SingleChoiceCollection, "singleChoice"},
                                            {API_MultipleChoiceCollection, "multipleChoice"}};
inline constexpr Word kValueTypes[] = {{API_VariantInteger, "integer"},
                                       {API_VariantReal, "real"},
                                       {API_VariantString, "string"},
                                       {API_VariantBoolean, "boolean"}};
inline constexpr Word kMeasureTypes[] = {{API_MeasureDefault, "default"},
                                         {API_MeasureLength, "length"},
                                         {API_MeasureArea, "area"},
                                         {API_MeasureVolume, "volume"},
                                         {API_MeasureAngle, "angle"}};
inline constexpr Word kStatuses[] = {{API_ValueNull, "null"}, {API_ValueUndefined, "undefined"}, {API_ValueNormal, "normal"}};

inline std::string_view WordFor(std::span<const Word> table, std::int32_t code) {
  for (const Word& w : table)
    if (w.code == code) return w.text;
  return {};
}

inline bool CodeFor(std::span<const Word> table, std::string_view text, std::int32_t& code) {
  for (const Word& w : table)
    if (w.text == text) {
      code = w.code;
      return true;
    }
  return false;
}

// "a, b, c": the words a message offers.
inline std::string WordList(std::span<const Word> table) {
  std::string out;
  for (const Word& w : table) {
    if (!out.empty()) out += ", ";
    out += w.text;
  }
  return out;
}

inline bool IsChoice(std::int32_t collectionType) {
  return collectionType == API_SingleChoiceCollection || collectionType == API_MultipleChoiceCollection;
}
inline bool IsList(std::int32_t collectionType) {
  return collectionType == API_ListCollection || collectionType == API_MultipleChoiceCollection;
}

// What a definition's default holds when nothing is set: choices hold option
// keys, the others a value of the definition's type.
inline Value BlankValue(const Definition& d) {
  Value v;
  v.type = IsChoice(d.collectionType) ? API_VariantGuid : d.valueType;
  return v;
}

}  // namespace fvhost::projectwords
