// Values as the host shows them.
//
// A real is shown in its display unit with the fewest decimals whose text,
// read back through ReadBackReal, gives the same double. The unit change
// itself rounds, so the double to write is not always base * factor: the
// doubles next to it are candidates too, and of those that read back to the
// base value the one with the shortest text wins (std::to_chars gives the
// shortest text that reads back to a double). Fixed notation is used up to 17
// decimals; a magnitude below 1e-4, from 1e15 up, or one that needs more
// decimals is written in exponent form ("1.5e-27"), so no shown value loses
// digits. Some doubles are the read-back of no double at all (division by
// 1000 skips a few); for them the candidate that reads back closest is shown.
#include "ForvaneHost/DisplayText.hpp"

#include <charconv>
#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

namespace fvhost {
namespace {

constexpr std::size_t kMaxDecimals = 17;
constexpr int kNeighbours = 4;  // doubles tried on each side of base * factor

double ToShown(double base, std::int32_t measureType) {
  switch (measureType) {
    case API_MeasureLength: return base * 1000;
    case API_MeasureAngle: return base * (180.0 / std::numbers::pi);
    default: return base;
  }
}

std::string Shortest(double number, std::chars_format format) {
  char buffer[512];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, number, format);
  return std::string(buffer, result.ptr);
}

std::size_t Decimals(const std::string& fixed) {
  std::size_t point = fixed.find('.');
  return point == std::string::npos ? 0 : fixed.size() - point - 1;
}

// The shortest text of a double: fixed when it fits the fixed range, else exponent form.
std::string TextOf(double number) {
  double magnitude = std::fabs(number);
  if (magnitude != 0 && (magnitude < 1e-4 || magnitude >= 1e15)) return Shortest(number, std::chars_format::scientific);
  std::string fixed = Shortest(number, std::chars_format::fixed);
  return Decimals(fixed) <= kMaxDecimals ? fixed : Shortest(number, std::chars_format::scientific);
}

// `shown` first, then the doubles next to it, nearest first.
std::vector<double> Neighbourhood(double shown) {
  std::vector<double> numbers{shown};
  double up = shown, down = shown;
  for (int step = 0; step < kNeighbours; ++step) {
    down = std::nextafter(down, -INFINITY);
    up = std::nextafter(up, INFINITY);
    numbers.push_back(down);
    numbers.push_back(up);
  }
  return numbers;
}

// Fewer decimals first; a fixed text before an exponent one.
bool Shorter(const std::string& a, const std::string& b) {
  bool aExponent = a.find('e') != std::string::npos, bExponent = b.find('e') != std::string::npos;
  if (aExponent != bExponent) return !aExponent;
  return a.size() < b.size();
}

std::string ShownText(double base, std::int32_t measureType) {
  double shown = ToShown(base, measureType);
  std::optional<std::string> exact;
  double closest = shown, closestDistance = INFINITY;
  for (double number : Neighbourhood(shown)) {
    if (!std::isfinite(number)) continue;
    double distance = std::fabs(ReadBackReal(number, measureType) - base);
    if (distance == 0) {
      std::string text = TextOf(number);
      if (!exact || Shorter(text, *exact)) exact = text;
    } else if (distance < closestDistance) {
      closest = number;
      closestDistance = distance;
    }
  }
  return exact ? *exact : TextOf(closest);
}

// "1234567.5" -> "1,234,567.5" (the sign and the decimals stay as they are).
std::string WithThousands(const std::string& plain) {
  std::size_t start = plain[0] == '-' ? 1 : 0;
  std::size_t point = plain.find('.');
  std::size_t end = point == std::string::npos ? plain.size() : point;
  std::string out = plain.substr(0, start);
  for (std::size_t i = start; i < end; ++i) {
    if (i > start && (end - i) % 3 == 0) out += ',';
    out += plain[i];
  }
  return out + plain.substr(end);
}

std::string BasicText(const Value& value, std::int32_t measureType) {
  switch (value.type) {
    case API_VariantInteger: return std::to_string(value.intValue);
    case API_VariantReal: return RealDisplayText(value.realValue, measureType);
    case API_VariantString: return value.text;
    case API_VariantBoolean: return value.boolValue ? "True" : "False";
    default: return "";
  }
}

std::string OptionText(const Definition& definition, const Value& key) {
  for (const auto& option : definition.options)
    if (option.key == key.guid) return BasicText(option.display, definition.measureType);
  return "";
}

std::string ItemText(const Definition& definition, const Value& item) {
  return item.type == API_VariantGuid ? OptionText(definition, item) : BasicText(item, definition.measureType);
}

}  // namespace

std::string RealDisplayText(double baseValue, std::int32_t measureType) {
  if (std::isnan(baseValue)) return "NaN";
  if (std::isinf(baseValue)) return baseValue > 0 ? "Infinity" : "-Infinity";
  if (!std::isfinite(ToShown(baseValue, measureType))) return Shortest(baseValue, std::chars_format::scientific);
  std::string text = ShownText(baseValue, measureType);
  return text.find('e') == std::string::npos ? WithThousands(text) : text;
}

double ReadBackReal(double shownNumber, std::int32_t measureType) {
  switch (measureType) {
    case API_MeasureLength: return shownNumber / 1000;
    case API_MeasureAngle: return shownNumber * (std::numbers::pi / 180.0);
    default: return shownNumber;
  }
}

std::string ValueDisplayText(const Definition& definition, const PropertyValue& value) {
  if (value.status != API_ValueNormal) return "";
  bool isList = definition.collectionType == API_ListCollection ||
                definition.collectionType == API_MultipleChoiceCollection;
  if (!isList) return ItemText(definition, value.single);
  std::string text;
  for (std::size_t i = 0; i < value.list.size(); ++i) {
    if (i > 0) text += "; ";
    text += ItemText(definition, value.list[i]);
  }
  return text;
}

}  // namespace fvhost
