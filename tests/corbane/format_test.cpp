#include <climits>
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "Corbane/UniString.hpp"

using namespace Corbane;

namespace {

template <class... Args>
std::string Format(const char* format, Args... args) {
  return UniString::Printf(format, args...).ToCStr().Get();
}

TEST(PrintfNumbers, FollowTheFlagsWidthAndPrecision) {
  EXPECT_EQ(Format("% d|% d", 5, -5), " 5|-5");
  EXPECT_EQ(Format("%+d %+d", 5, -5), "+5 -5");
  EXPECT_EQ(Format("[%5d][%-5d][%05d]", 42, 42, -42), "[   42][42   ][-0042]");
  EXPECT_EQ(Format("%.3d", 7), "007");
  EXPECT_EQ(Format("%i %u", -1, 4000000000u), "-1 4000000000");
  EXPECT_EQ(Format("%x %X %#x %o", 255, 255, 255, 8), "ff FF 0xff 10");
  EXPECT_EQ(Format("%.2f %e %g", 3.14159, 1500.0, 0.0001), "3.14 1.500000e+03 0.0001");
  EXPECT_EQ(Format("%08.3f", -2.5), "-002.500");
}

TEST(PrintfNumbers, ReadArgumentsOfEveryLength) {
  EXPECT_EQ(Format("%lld", LLONG_MIN), "-9223372036854775808");
  EXPECT_EQ(Format("%llu", ULLONG_MAX), "18446744073709551615");
  EXPECT_EQ(Format("%ld %lu", -7L, 7UL), "-7 7");
  EXPECT_EQ(Format("%zu", static_cast<std::size_t>(12)), "12");
  EXPECT_EQ(Format("%hd %hhd %hhu", 70000, 300, 300), "4464 44 44");
  EXPECT_EQ(Format("%d %s", 1, "after"), "1 after") << "arguments stay in step";
}

TEST(PrintfNumbers, TakeWidthAndPrecisionFromArguments) {
  EXPECT_EQ(Format("[%*d]", 4, 7), "[   7]");
  EXPECT_EQ(Format("[%*d]", -4, 7), "[7   ]");
  EXPECT_EQ(Format("[%.*f]", 1, 2.25), "[2.2]");
  EXPECT_EQ(Format("[%.*s]", -1, "abc"), "[abc]") << "a negative precision is none";
  EXPECT_EQ(Format("%99999999999d", 1).size(), 4096u) << "an absurd width is capped";
}

TEST(PrintfTexts, InsertNarrowAndUnicodeTexts) {
  UniString name("Pset_\xE2\x82\xAC");
  EXPECT_EQ(Format("<%s>", "Gr\xC3\xBC\xC3\x9F" "e"), "<Gr\xC3\xBC\xC3\x9F" "e>");
  EXPECT_EQ(Format("%T;%T", &name, static_cast<const UniString*>(nullptr)), "Pset_\xE2\x82\xAC;(null)");
  EXPECT_EQ(Format("%s", static_cast<const char*>(nullptr)), "(null)");
  EXPECT_EQ(Format("[%-6s][%6.2s]", "ab", "xyz"), "[ab    ][    xy]");
  EXPECT_EQ(Format("[%3s]", "\xF0\x9D\x84\x9E"), "[  \xF0\x9D\x84\x9E]") << "one character, however many units";
  EXPECT_EQ(Format("[%.1s]", "\xF0\x9D\x84\x9E!"), "[\xF0\x9D\x84\x9E]") << "a pair is never split";
  EXPECT_EQ(Format("%c%c%c", 'o', 0xE9, 0x1D11E), "o\xC3\xA9\xF0\x9D\x84\x9E");
  EXPECT_EQ(Format("\xC3\xA9t\xC3\xA9 %d", 1), "\xC3\xA9t\xC3\xA9 1") << "the format itself is UTF-8";
}

TEST(PrintfDirectives, PrintPercentSignsAndUnsupportedDirectivesLiterally) {
  EXPECT_EQ(Format("100%%"), "100%");
  int untouched = 12345;
  EXPECT_EQ(Format("a%nb %d", 7, &untouched), "a%nb 7") << "%n takes no argument and writes nothing";
  EXPECT_EQ(untouched, 12345);
  EXPECT_EQ(Format("%ln|%q|%", 1), "%ln|%q|%");
  EXPECT_EQ(Format("name: %s", "100%d"), "name: 100%d") << "arguments are never read as formats";
}

TEST(PrintfDirectives, GiveEmptyTextForANullFormat) {
  EXPECT_TRUE(UniString::Printf(nullptr).IsEmpty());
}

}  // namespace
