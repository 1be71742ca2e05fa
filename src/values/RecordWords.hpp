// The words a data file record carries for its definition: the value type,
// the measure and the collection, and the word of a value left undefined.
#pragma once

#include <string_view>

#include "Corbane/Corbane.hpp"

namespace quarnel {

using Corbane::Int32;

// The words of a record, by the definition's codes; "" for a code without a word.
const char* ValueTypeWord(Int32 valueType) noexcept;
const char* MeasureWord(Int32 measureType) noexcept;
const char* CollectionWord(Int32 collectionType) noexcept;

inline constexpr const char* singleValueWord = "SingleValue";
inline constexpr const char* singleChoiceWord = "SingleValueFromCollection";
inline constexpr const char* listWord = "ListValue";
inline constexpr const char* multipleChoiceWord = "MultipleValuesFromCollection";
// The unquoted value field of a value the user left undefined.
inline constexpr std::string_view undefinedValueWord = "Undefined";

}  // namespace quarnel
