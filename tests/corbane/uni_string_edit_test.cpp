#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Corbane/UniString.hpp"

using namespace Corbane;

namespace {

std::string Narrow(const UniString& s) { return s.ToCStr().Get(); }

std::vector<std::string> Parts(const Array<UniString>& parts) {
  std::vector<std::string> out;
  for (const UniString& part : parts) out.push_back(Narrow(part));
  return out;
}

TEST(UniStringSearch, TestsPrefixesAndSuffixesCaseSensitively) {
  UniString name("SGPset_WallCommon");
  EXPECT_TRUE(name.BeginsWith("SGPset_"));
  EXPECT_FALSE(name.BeginsWith("sgpset_"));
  EXPECT_FALSE(UniString("SGP").BeginsWith("SGPset_"));
  EXPECT_TRUE(name.BeginsWith(""));
  EXPECT_TRUE(name.EndsWith("Common"));
  EXPECT_FALSE(name.EndsWith("common"));
  EXPECT_FALSE(UniString("on").EndsWith("Common"));
}

TEST(UniStringSearch, FindsFirstLastAndCountsWithoutOverlap) {
  UniString s("abcabcab");
  EXPECT_EQ(s.FindFirst("ab"), 0u);
  EXPECT_EQ(s.FindFirst("ab", 1), 3u);
  EXPECT_EQ(s.FindFirst("ab", 7), UniString::NotFound);
  EXPECT_EQ(s.FindFirst("ab", 100), UniString::NotFound);
  EXPECT_EQ(s.FindFirst(u'c', 3), 5u);
  EXPECT_EQ(s.FindLast("ab"), 6u);
  EXPECT_EQ(s.FindLast("abcabcabc"), UniString::NotFound);
  EXPECT_EQ(s.Count("ab"), 3u);
  EXPECT_EQ(UniString("aaaa").Count("aa"), 2u);
  EXPECT_EQ(s.Count(""), 0u);
  EXPECT_FALSE(UniString().Contains("a"));
}

TEST(UniStringSearch, ComparesByCodeUnitsAndHashesEqualTextsAlike) {
  EXPECT_LT(UniString("Pset").Compare("Pset_"), 0);
  EXPECT_GT(UniString("b").Compare("abc"), 0);
  EXPECT_EQ(UniString("x").Compare("x"), 0);
  EXPECT_TRUE(UniString("a") < UniString("b"));
  EXPECT_EQ(UniString("group;name").Hash(), (UniString("group") + ";" + "name").Hash());
  EXPECT_NE(UniString("ab").Hash(), UniString("ba").Hash());
  EXPECT_EQ(UniString(), UniString(""));
}

TEST(UniStringReplace, ReplacesLeftToRightWithoutRescanningReplacements) {
  UniString s("aaaa");
  EXPECT_EQ(s.ReplaceAll("aa", "a"), 2u);
  EXPECT_EQ(Narrow(s), "aa");

  UniString grow("a-a-a");
  EXPECT_EQ(grow.ReplaceAll("a", "aa"), 3u);
  EXPECT_EQ(Narrow(grow), "aa-aa-aa");

  UniString gone("x,y,");
  EXPECT_EQ(gone.ReplaceAll(",", ""), 2u);
  EXPECT_EQ(Narrow(gone), "xy");

  UniString first("one two two");
  EXPECT_TRUE(first.ReplaceFirst("two", "2"));
  EXPECT_EQ(Narrow(first), "one 2 two");
  EXPECT_FALSE(first.ReplaceFirst("three", "3"));
}

TEST(UniStringReplace, AnEmptyTextReplacesNothing) {
  UniString s("abc");
  EXPECT_EQ(s.ReplaceAll("", "x"), 0u);
  EXPECT_FALSE(s.ReplaceFirst("", "x"));
  EXPECT_EQ(Narrow(s), "abc");
}

TEST(UniStringReplace, WorksWhenTheArgumentIsTheStringItself) {
  UniString s("ab");
  s.Append(s);
  EXPECT_EQ(Narrow(s), "abab");
  s.Replace(1, 1, s);
  EXPECT_EQ(Narrow(s), "aababab");
  s.Insert(0, s);
  EXPECT_EQ(s.GetLength(), 14u);
  EXPECT_EQ(s.ReplaceAll(s, "x"), 1u);
  EXPECT_EQ(Narrow(s), "x");
}

TEST(UniStringEdit, ClampsPositionsAndLengths) {
  UniString s("abcdef");
  EXPECT_EQ(Narrow(s.GetSubstring(2, 3)), "cde");
  EXPECT_EQ(Narrow(s.GetSubstring(4, 100)), "ef");
  EXPECT_EQ(Narrow(s.GetSubstring(100, 2)), "");
  EXPECT_EQ(Narrow(UniString(s).Insert(100, "!")), "abcdef!");
  EXPECT_EQ(Narrow(UniString(s).Delete(4, 100)), "abcd");
  EXPECT_EQ(Narrow(UniString(s).Delete(100, 1)), "abcdef");
  EXPECT_EQ(Narrow(UniString(s).Replace(1, 2, "XYZ")), "aXYZdef");
  EXPECT_EQ(Narrow(UniString(" \t x y \r\n").Trim()), "x y");
  EXPECT_EQ(Narrow(UniString(" \t ").Trim()), "");
}

TEST(UniStringSplit, KeepsEmptyPartsAndGivesOneMorePartThanSeparators) {
  EXPECT_EQ(Parts(UniString("a,,b,").Split(",")), (std::vector<std::string>{"a", "", "b", ""}));
  EXPECT_EQ(Parts(UniString(",").Split(",")), (std::vector<std::string>{"", ""}));
  EXPECT_EQ(Parts(UniString("").Split(",")), (std::vector<std::string>{""}));
  EXPECT_EQ(Parts(UniString("g;;d;;").Split(";;")), (std::vector<std::string>{"g", "d", ""}));
  EXPECT_EQ(Parts(UniString("a,b").Split("")), (std::vector<std::string>{"a,b"}));
}

}  // namespace
