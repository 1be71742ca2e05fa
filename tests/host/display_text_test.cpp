// Values as text: every real shown reads back to the very same double.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <random>

#include "ForvaneHost/DisplayText.hpp"
#include "support/project_builder.hpp"

namespace {

using fvhost::ReadBackReal;
using fvhost::RealDisplayText;
using testing_support::ProjectBuilder;

// What the plug-in's reader does: drop the thousands separators, then atof.
double ReadBack(const std::string& text, std::int32_t measure) {
  std::string plain;
  for (char c : text)
    if (c != ',') plain += c;
  return ReadBackReal(std::atof(plain.c_str()), measure);
}

double Shown(double base, std::int32_t measure) {
  if (measure == API_MeasureLength) return base * 1000;
  if (measure == API_MeasureAngle) return base * (180.0 / std::numbers::pi);
  return base;
}

// Whether any double reads back to `value` at all: a unit change by division
// skips some doubles, and no text can give those back exactly.
bool Reachable(double value, std::int32_t measure) {
  double up = Shown(value, measure), down = up;
  for (int step = 0; step < 16; ++step, up = std::nextafter(up, INFINITY), down = std::nextafter(down, -INFINITY))
    if (ReadBackReal(up, measure) == value || ReadBackReal(down, measure) == value) return true;
  return false;
}

// Exact where any text can be, else the nearest double that one can be.
void ExpectReadsBack(double value, std::int32_t measure) {
  std::string text = RealDisplayText(value, measure);
  double back = ReadBack(text, measure);
  if (Reachable(value, measure))
    ASSERT_EQ(back, value) << text << " measure " << measure;
  else
    ASSERT_LE(std::fabs(back - value), std::fabs(std::nextafter(value, INFINITY) - value)) << text;
}

constexpr std::int32_t kMeasures[] = {API_MeasureDefault, API_MeasureLength, API_MeasureArea, API_MeasureVolume,
                                      API_MeasureAngle};

TEST(RealDisplayText, ShowsTheUnitsAndSeparatorsOfTheHost) {
  EXPECT_EQ(RealDisplayText(1250, API_MeasureDefault), "1,250");
  EXPECT_EQ(RealDisplayText(1.25, API_MeasureLength), "1,250");
  EXPECT_EQ(RealDisplayText(0.1, API_MeasureDefault), "0.1");
  EXPECT_EQ(RealDisplayText(-1234567.5, API_MeasureArea), "-1,234,567.5");
  EXPECT_EQ(RealDisplayText(0.0, API_MeasureLength), "0");
  EXPECT_EQ(RealDisplayText(999, API_MeasureVolume), "999");
  EXPECT_EQ(RealDisplayText(100000, API_MeasureDefault), "100,000");
  EXPECT_EQ(RealDisplayText(std::numbers::pi, API_MeasureAngle), "180");
  EXPECT_EQ(RealDisplayText(std::numbers::pi / 2, API_MeasureAngle), "90");
  EXPECT_EQ(RealDisplayText(0.2, API_MeasureLength), "200");
  EXPECT_EQ(RealDisplayText(1.5e-27, API_MeasureDefault), "1.5e-27");
}

TEST(RealDisplayText, ReadsBackToTheSameDoubleForRandomValuesOfEveryMeasure) {
  std::mt19937_64 random(20261208);
  std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
  std::uniform_int_distribution<int> exponent(-12, 12);
  std::uniform_int_distribution<std::uint64_t> bits;
  for (auto measure : kMeasures) {
    for (int i = 0; i < 3000; ++i) {
      ExpectReadsBack(mantissa(random) * std::pow(10.0, exponent(random)), measure);
    }
    for (int i = 0; i < 500; ++i) {  // any finite double at all
      std::uint64_t raw = bits(random);
      double value;
      std::memcpy(&value, &raw, sizeof value);
      if (!std::isfinite(value) || !std::isfinite(value * 1000)) continue;
      ExpectReadsBack(value, measure);
    }
  }
}

TEST(RealDisplayText, UsesNoMoreDecimalsThanTheValueNeeds) {
  EXPECT_EQ(RealDisplayText(0.3, API_MeasureDefault), "0.3");
  EXPECT_EQ(RealDisplayText(0.0125, API_MeasureLength), "12.5");
  EXPECT_EQ(RealDisplayText(2.0 / 3.0, API_MeasureDefault), "0.6666666666666666");
  EXPECT_EQ(RealDisplayText(-0.001, API_MeasureLength), "-1");
}

TEST(ValueDisplayText, ShowsEachKindOfValue) {
  ProjectBuilder b;
  auto group = b.Group("G");
  auto count = b.Definition(group, "Count", API_VariantInteger);
  auto flag = b.Definition(group, "Flag", API_VariantBoolean);
  auto finish = b.Options(b.Definition(group, "Finish"), {"Paint", "Tile"});
  auto many = b.Definition(group, "Many", API_VariantReal, API_MeasureLength, API_ListCollection);
  auto& project = b.project();
  auto def = [&](const fvhost::Guid& g) -> const fvhost::Definition& { return b.Def(g); };

  EXPECT_EQ(fvhost::ValueDisplayText(def(count), ProjectBuilder::Single(ProjectBuilder::Integer(-1250))), "-1250");
  EXPECT_EQ(fvhost::ValueDisplayText(def(flag), ProjectBuilder::Single(ProjectBuilder::Boolean(false))), "False");
  fvhost::Value key;
  key.type = API_VariantGuid;
  key.guid = def(finish).options[1].key;
  EXPECT_EQ(fvhost::ValueDisplayText(def(finish), ProjectBuilder::Single(key)), "Tile");
  fvhost::PropertyValue list;
  list.list = {ProjectBuilder::Real(1.5), ProjectBuilder::Real(0.25)};
  EXPECT_EQ(fvhost::ValueDisplayText(def(many), list), "1,500; 250");
  fvhost::PropertyValue undefined = ProjectBuilder::Single(ProjectBuilder::Integer(3));
  undefined.status = API_ValueUndefined;
  EXPECT_EQ(fvhost::ValueDisplayText(def(count), undefined), "");
  undefined.status = API_ValueNull;
  EXPECT_EQ(fvhost::ValueDisplayText(def(count), undefined), "");
  (void)project;
}

}  // namespace
