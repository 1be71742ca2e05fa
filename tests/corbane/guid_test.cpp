#include <string>

#include <gtest/gtest.h>

#include "Corbane/Guid.hpp"

using namespace Corbane;

namespace {

constexpr const char* Text = "0123ABCD-4567-89EF-0011-2233445566FF";

TEST(GuidText, RoundTripsThroughTheUpperCaseTextForm) {
  Guid guid(Text);
  ASSERT_FALSE(guid.IsNull());
  EXPECT_EQ(guid.GetBytes()[0], 0x01);
  EXPECT_EQ(guid.GetBytes()[3], 0xCD);
  EXPECT_EQ(guid.GetBytes()[15], 0xFF);
  char out[37];
  guid.ToText(out);
  EXPECT_STREQ(out, Text);
  EXPECT_EQ(std::string(guid.ToUniString().ToCStr().Get()), Text);
  EXPECT_EQ(Guid(guid.ToUniString()), guid);
}

TEST(GuidText, AcceptsEitherCaseAndBraces) {
  Guid expected(Text);
  EXPECT_EQ(Guid("0123abcd-4567-89ef-0011-2233445566ff"), expected);
  EXPECT_EQ(Guid("{0123ABCD-4567-89EF-0011-2233445566FF}"), expected);
  EXPECT_EQ(Guid(UniString("{0123abcd-4567-89EF-0011-2233445566ff}")), expected);
}

TEST(GuidText, RejectsEverythingElseAndLeavesTheTargetAlone) {
  const char* bad[] = {
      "",
      "0123ABCD-4567-89EF-0011-2233445566F",     // short
      "0123ABCD-4567-89EF-0011-2233445566FF0",   // long
      "0123ABCD4567-89EF-0011-2233445566FF0",    // hyphen missing
      "0123ABC-D4567-89EF-0011-2233445566FF",    // hyphen misplaced
      "0123ABCG-4567-89EF-0011-2233445566FF",    // not hex
      "{0123ABCD-4567-89EF-0011-2233445566FF",   // one brace
      "(0123ABCD-4567-89EF-0011-2233445566FF)",  // other brackets
      " 0123ABCD-4567-89EF-0011-2233445566FF",   // blank
      "+123ABCD-4567-89EF-0011-2233445566FF",
  };
  Guid target(Text);
  for (const char* text : bad) {
    EXPECT_FALSE(Guid::Parse(text, target)) << text;
    EXPECT_EQ(target, Guid(Text)) << text;
    EXPECT_TRUE(Guid(text).IsNull()) << text;
  }
  EXPECT_FALSE(Guid::Parse(nullptr, target));
  EXPECT_TRUE(Guid(static_cast<const char*>(nullptr)).IsNull());
  EXPECT_TRUE(Guid(UniString("0123ABCD-4567-89EF-0011-2233445566\xC3\xBF")).IsNull());
}

TEST(GuidGeneration, MakesDistinctVersionFourGuids) {
  Guid a = Guid::Generate();
  Guid b = Guid::Generate();
  EXPECT_NE(a, b);
  EXPECT_FALSE(a.IsNull());
  EXPECT_EQ(a.GetBytes()[6] >> 4, 4);
  EXPECT_EQ(a.GetBytes()[8] & 0xC0, 0x80);
  EXPECT_EQ(Guid(a.ToUniString()), a);
}

TEST(GuidOrder, OrdersAndHashesByTheBytes) {
  Guid low("00000000-0000-0000-0000-000000000001");
  Guid high("01000000-0000-0000-0000-000000000000");
  EXPECT_TRUE(low < high);
  EXPECT_FALSE(high < low);
  EXPECT_TRUE(Guid().IsNull());
  EXPECT_EQ(GenerateHashValue(Guid(Text)), GenerateHashValue(Guid(Text)));
  EXPECT_NE(GenerateHashValue(low), GenerateHashValue(high));
}

}  // namespace
