#include <string>

#include "Corbane/UniString.hpp"
#include "corbane/owner_fixture.hpp"

using namespace Corbane;

namespace {

std::string Narrow(const UniString& s, CharCode code = CC_Default) { return s.ToCStr(0, MaxUIndex, code).Get(); }

TEST(Utf8Conversion, RoundTripsTextWithCharactersBeyondTheBasicPlane) {
  const char* text = "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9D\x84\x9E!";  // Grüße € 𝄞!
  UniString s(text);
  EXPECT_EQ(s.GetLength(), 11u) << "𝄞 takes a surrogate pair";
  EXPECT_EQ(s[2], u'\u00FC');
  EXPECT_EQ(s[8], 0xD834);
  EXPECT_EQ(s[9], 0xDD1E);
  CStr back = s.ToCStr();
  EXPECT_STREQ(back.Get(), text);
  EXPECT_EQ(back.GetLength(), std::string(text).size());
}

TEST(Utf8Conversion, TurnsEachInvalidSequenceIntoOneReplacementCharacter) {
  struct Case {
    const char* bytes;
    std::u16string expected;
  };
  const Case cases[] = {
      {"a\xC3", u"a\uFFFD"},                      // cut short at the end
      {"a\xE2\x82z", u"a\uFFFDz"},                // cut short, the next character survives
      {"\xC0\xAF", u"\uFFFD\uFFFD"},              // overlong form
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},    // an encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
      {"\x80x\xFF", u"\uFFFDx\uFFFD"},            // stray continuation, impossible byte
  };
  for (const Case& c : cases) {
    UniString s(c.bytes);
    EXPECT_EQ(std::u16string(s.GetData(), s.GetLength()), c.expected) << c.bytes;
  }
}

TEST(Utf8Conversion, WritesALoneSurrogateAsTheReplacementCharacter) {
  const UniChar lone[] = {u'a', 0xD834, u'b', 0xDD1E, 0};
  EXPECT_EQ(Narrow(UniString(lone)), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
  UniString pair("\xF0\x9D\x84\x9E");
  EXPECT_EQ(std::string(pair.ToCStr(1, 1).Get()), "\xEF\xBF\xBD") << "half a pair";
}

TEST(NarrowCodes, ReadAndWriteLatin1AndAscii) {
  UniString latin("caf\xE9", CC_Latin1);
  EXPECT_EQ(latin.GetLength(), 4u);
  EXPECT_EQ(latin[3], u'\u00E9');
  EXPECT_EQ(Narrow(latin), "caf\xC3\xA9");
  EXPECT_EQ(Narrow(latin, CC_Latin1), "caf\xE9");
  EXPECT_EQ(Narrow(latin, CC_ASCII), "caf?");

  UniString wide("\xE2\x82\xAC \xF0\x9D\x84\x9E");
  EXPECT_EQ(Narrow(wide, CC_Latin1), "? ?") << "a surrogate pair is one character, so one '?'";
  UniString ascii("ok\xC3\xA9", CC_ASCII);
  EXPECT_EQ(std::u16string(ascii.GetData()), u"ok\uFFFD\uFFFD");
}

TEST(NarrowCodes, TakeNullTextAndClampTheRange) {
  UniString none(static_cast<const char*>(nullptr));
  EXPECT_TRUE(none.IsEmpty());
  EXPECT_EQ(none.GetData()[0], 0);
  EXPECT_EQ(none[0], 0) << "the empty string has its terminating zero too";
  EXPECT_STREQ(none.ToCStr().Get(), "");

  UniString s("abcdef");
  EXPECT_EQ(std::string(s.ToCStr(2, 3).Get()), "cde");
  EXPECT_EQ(std::string(s.ToCStr(4).Get()), "ef");
  EXPECT_EQ(std::string(s.ToCStr(99, 5).Get()), "");
  EXPECT_EQ(UniString("abc\0def", 7, CC_Default).GetLength(), 7u);
}

using UniStringStorage = FreshOwner;

TEST_F(UniStringStorage, ComesFromTheManagerAndIsGivenBack) {
  {
    UniString s("some text");
    CStr narrow = s.ToCStr();
    EXPECT_TRUE(IsManaged(s.GetData()));
    EXPECT_TRUE(IsManaged(narrow.Get()));
    UniString moved(std::move(s));
    for (int i = 0; i < 1000; ++i) moved.Append(u'x');
    CStr other(std::move(narrow));
    narrow = std::move(other);
  }
  EXPECT_EQ(Stats().liveBlocks, 0);
}

}  // namespace
