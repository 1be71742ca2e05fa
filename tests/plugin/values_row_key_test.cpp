// The row key: one key for one pair of group and definition name, whichever
// side builds it, and never one key for two pairs.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "values/RowKey.hpp"

namespace {

using Corbane::UniString;

std::string FromFile(std::string_view group, std::string_view property) {
  quarnel::RowKey key;
  quarnel::SetRowKey(key, group, property);
  return std::string(key.Text().data(), key.Text().size());
}

std::string FromHost(const UniString& group, const UniString& property) {
  const quarnel::RowKey key(group, property);
  return std::string(key.Text().data(), key.Text().size());
}

// Pairs whose names read alike once put together, and what the first pair's
// key holds, the same from the file's bytes as from the host's names.
TEST(RowKeys, DifferentPairsOfNamesNeverShareAKey) {
  struct Pair {
    std::string group, property;
  };
  struct Case {
    Pair one, other;
    std::string oneKey;
  };
  const std::vector<Case> cases = {
      {{"Pset_WallCommon", "FireRating"}, {"Pset_WallCommo", "nFireRating"}, "Pset_WallCommon:FireRating"},
      {{"Pset_A;B", "C"}, {"Pset_A", "B;C"}, "Pset_A;B:C"},
      {{"Pset_A:B", "C"}, {"Pset_A", "B:C"}, "Pset_A\\:B:C"},
      {{"Pset_A\\", ":C"}, {"Pset_A:", "C"}, "Pset_A\\\\::C"},
      {{"Pset_A\\", "C"}, {"Pset_A", "\\C"}, "Pset_A\\\\:C"},
      {{"Pset_A\\:", "C"}, {"Pset_A", "\\:C"}, "Pset_A\\\\\\::C"},
      {{"Pset_Ä:Größe", "∅"}, {"Pset_Ä", "Größe:∅"}, "Pset_Ä\\:Größe:∅"},
      {{"Pset_😀", ":"}, {"Pset_😀:", ""}, "Pset_😀::"},
  };
  for (const Case& c : cases) {
    const UniString group(c.one.group.c_str()), property(c.one.property.c_str());
    const UniString otherGroup(c.other.group.c_str()), otherProperty(c.other.property.c_str());
    EXPECT_EQ(FromHost(group, property), c.oneKey) << c.oneKey;
    EXPECT_EQ(FromFile(c.one.group, c.one.property), c.oneKey) << c.oneKey;
    EXPECT_NE(FromHost(group, property), FromHost(otherGroup, otherProperty)) << c.oneKey;
    quarnel::Bytes groupBack, propertyBack;
    quarnel::SplitRowKey(quarnel::RowKey(group, property), groupBack, propertyBack);
    EXPECT_EQ(std::string(groupBack.data(), groupBack.size()), c.one.group) << c.oneKey;
    EXPECT_EQ(std::string(propertyBack.data(), propertyBack.size()), c.one.property) << c.oneKey;
  }
}

// A record's names key as the host's names do: by their text, whatever bytes
// the file held.
TEST(RowKeys, FileBytesAndHostNamesGiveOneKeyForOneText) {
  for (const auto& [group, property] : std::vector<std::pair<std::string, std::string>>{
           {"Pset_WallCommon", "FireRating"}, {"Pset_A:B\\", "C:\\"}, {"Pset_Übersicht", "Größe ∅ 😀"}, {"Pset_", ""}}) {
    const UniString g(group.c_str()), p(property.c_str());
    EXPECT_EQ(FromFile(group, property), FromHost(g, p)) << group;
  }
  // A byte the text reading replaces keys as the replacement character does.
  const UniString replaced(u"Pset_\uFFFD");
  EXPECT_EQ(FromFile("Pset_\xFF", "X"), FromHost(replaced, "X"));
  // A lone surrogate, which no text read from the file holds, matches only itself.
  const Corbane::UniChar lone[] = {u'P', u's', u'e', u't', u'_', 0xD800, 0};
  EXPECT_NE(FromHost(UniString(lone), "X"), FromHost(replaced, "X"));
  EXPECT_NE(FromHost(UniString(lone), "X"), FromFile(quarnel::Narrow(UniString(lone)).Get(), "X"));
}

}  // namespace
