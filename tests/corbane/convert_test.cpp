#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

#include "Corbane/Convert.hpp"

using namespace Corbane;

namespace {

constexpr Int32 Untouched = -777;

// The value on success; Untouched when the conversion fails.
Int32 ToInt32(const char16_t* text, Int32 mode, bool trim = false) {
  Int32 value = Untouched;
  bool ok = strtovalue(text, value, mode, trim);
  EXPECT_EQ(ok, value != Untouched) << "a failure must leave the value alone";
  return value;
}

TEST(StrToValueDecimal, ReadsAnOptionalSignThenDigits) {
  EXPECT_EQ(ToInt32(u"123", STV_Decimal), 123);
  EXPECT_EQ(ToInt32(u"-42", STV_Decimal), -42);
  EXPECT_EQ(ToInt32(u"+7", STV_Decimal), 7);
  EXPECT_EQ(ToInt32(u"007", STV_Decimal), 7);
  EXPECT_EQ(ToInt32(u"2147483647", STV_Decimal), 2147483647);
  EXPECT_EQ(ToInt32(u"-2147483648", STV_Decimal), std::numeric_limits<Int32>::min());
  for (const char16_t* bad : {u"", u"+", u"-", u"12a", u"1.5", u"0x10", u"--1", u"+-1", u"\uFF11",
                              u"2147483648", u"-2147483649", u"99999999999999999999"})
    EXPECT_EQ(ToInt32(bad, STV_Decimal), Untouched) << static_cast<int>(bad[0]);
  Int32 value = 5;
  EXPECT_FALSE(strtovalue(nullptr, value, STV_Decimal, true));
  EXPECT_EQ(value, 5);
}

TEST(StrToValueDecimal, SkipsOuterBlanksOnlyWhenTrimming) {
  for (const char16_t* padded : {u" 12", u"12 ", u"\t12\r\n"}) {
    EXPECT_EQ(ToInt32(padded, STV_Decimal, false), Untouched);
    EXPECT_EQ(ToInt32(padded, STV_Decimal, true), 12);
  }
  EXPECT_EQ(ToInt32(u"1 2", STV_Decimal, true), Untouched);
  EXPECT_EQ(ToInt32(u"- 1", STV_Decimal, true), Untouched);
  EXPECT_EQ(ToInt32(u"   ", STV_Decimal, true), Untouched);
}

TEST(StrToValueHex, ReadsBitPatternsOfTheTypesWidth) {
  EXPECT_EQ(ToInt32(u"ff", STV_Hex), 255);
  EXPECT_EQ(ToInt32(u"0x7FFFFFFF", STV_Hex), 0x7FFFFFFF);
  EXPECT_EQ(ToInt32(u"FFFFFFFF", STV_Hex), -1);
  EXPECT_EQ(ToInt32(u"100000000", STV_Hex), Untouched);
  EXPECT_EQ(ToInt32(u"0x", STV_Hex), Untouched);
  EXPECT_EQ(ToInt32(u"-1", STV_Hex), Untouched);
  EXPECT_EQ(ToInt32(u"0x1F", STV_Auto), 31);
  EXPECT_EQ(ToInt32(u"-31", STV_Auto), -31);
  EXPECT_EQ(ToInt32(u"1F", STV_Auto), Untouched);
  EXPECT_EQ(ToInt32(u"12", 9), Untouched) << "an unknown mode";
}

TEST(StrToValueInt64, UsesTheWholeSixtyFourBits) {
  Int64 value = 0;
  EXPECT_TRUE(strtovalue(u"-9223372036854775808", value, STV_Decimal, false));
  EXPECT_EQ(value, std::numeric_limits<Int64>::min());
  EXPECT_TRUE(strtovalue(u"9223372036854775807", value, STV_Decimal, false));
  EXPECT_EQ(value, std::numeric_limits<Int64>::max());
  EXPECT_FALSE(strtovalue(u"9223372036854775808", value, STV_Decimal, false));
  EXPECT_EQ(value, std::numeric_limits<Int64>::max());
  EXPECT_TRUE(strtovalue(u"FFFFFFFFFFFFFFFF", value, STV_Hex, false));
  EXPECT_EQ(value, -1);
}

TEST(StrToValueReal, ReadsDecimalPointAndExponent) {
  struct Case {
    const char16_t* text;
    double expected;
  };
  for (Case c : {Case{u"3.5", 3.5}, Case{u"-1e3", -1000}, Case{u".5", 0.5}, Case{u"5.", 5},
                 Case{u"+2", 2}, Case{u"2.5E-1", 0.25}}) {
    double value = 0;
    EXPECT_TRUE(strtovalue(c.text, value, 0, false)) << c.expected;
    EXPECT_DOUBLE_EQ(value, c.expected);
  }
  for (const char16_t* bad : {u"", u".", u"1e", u"1e+", u"1,5", u"abc", u"inf", u"nan", u"1e999", u" 2", u"0x10"}) {
    double value = 9;
    EXPECT_FALSE(strtovalue(bad, value, 0, false));
    EXPECT_EQ(value, 9);
  }
  double value = 0;
  EXPECT_TRUE(strtovalue(u" 2.25 ", value, 0, true));
  EXPECT_EQ(value, 2.25);
}

}  // namespace
