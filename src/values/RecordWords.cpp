#include "values/RecordWords.hpp"

#include "Forvane/Records.hpp"

namespace quarnel {

const char* ValueTypeWord(Int32 valueType) noexcept {
  switch (valueType) {
    case API_VariantInteger: return "Integer";
    case API_VariantReal: return "Double";
    case API_VariantString: return "String";
    case API_VariantBoolean: return "Boolean";
    default: return "";
  }
}

const char* MeasureWord(Int32 measureType) noexcept {
  switch (measureType) {
    case API_MeasureDefault: return "Default";
    case API_MeasureLength: return "Length";
    case API_MeasureArea: return "Area";
    case API_MeasureVolume: return "Volume";
    case API_MeasureAngle: return "Angle";
    default: return "";
  }
}

const char* CollectionWord(Int32 collectionType) noexcept {
  switch (collectionType) {
    case API_SingleCollection: return singleValueWord;
    case API_SingleChoiceCollection: return singleChoiceWord;
    case API_ListCollection: return listWord;
    case API_MultipleChoiceCollection: return multipleChoiceWord;
    default: return "";
  }
}

}  // namespace quarnel
