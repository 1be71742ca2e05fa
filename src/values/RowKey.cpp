#include "values/RowKey.hpp"

#include <algorithm>

namespace quarnel {

namespace {

// The bytes that are not plain ASCII, and `more`.
constexpr ByteSet WideBytesAnd(std::string_view more) {
  ByteSet set(more);
  for (int byte = 0x80; byte < 0x100; ++byte) set.Add(static_cast<char>(byte));
  return set;
}

// How a name goes into the key: the ASCII characters that get a backslash,
// and the bytes that end the plain copy of a name as the file holds it.
struct NameForm {
  ByteSet escaped;
  ByteSet stops;
};

constexpr NameForm groupForm{ByteSet(":\\"), WideBytesAnd(":\\")};
constexpr NameForm propertyForm{ByteSet(""), WideBytesAnd("")};

void AppendKeyName(Bytes& key, const UniString& name, const NameForm& form) {
  AppendExactNarrow(key, name, form.escaped);
}

// Plain ASCII, as nearly every name is, is its own key text; anything else is
// read as text first, so that bytes the text reading replaces key as it does.
void AppendKeyName(Bytes& key, std::string_view name, const NameForm& form) {
  const auto stop = std::find_if(name.begin(), name.end(), [&form](char c) { return form.stops.Holds(c); });
  if (stop == name.end()) {
    key.append(name);
    return;
  }
  if (!IsAscii(name.substr(static_cast<std::size_t>(stop - name.begin())))) {
    AppendExactNarrow(key, Widen(name), form.escaped);
    return;
  }
  for (const char c : name) {
    if (form.escaped.Holds(c)) key.push_back('\\');
    key.push_back(c);
  }
}

template <class Name>
void BuildRowKey(Bytes& key, const Name& groupName, const Name& propertyName) {
  key.clear();
  AppendKeyName(key, groupName, groupForm);
  key.push_back(':');
  AppendKeyName(key, propertyName, propertyForm);
}

}  // namespace

RowKey::RowKey(const UniString& groupName, const UniString& propertyName) { SetRowKey(*this, groupName, propertyName); }

void SetRowKey(RowKey& key, std::string_view groupName, std::string_view propertyName) {
  BuildRowKey(key.text_, groupName, propertyName);
  key.Hash();
}

void SetRowKey(RowKey& key, const UniString& groupName, const UniString& propertyName) {
  BuildRowKey(key.text_, groupName, propertyName);
  key.Hash();
}

void SplitRowKey(const RowKey& key, Bytes& groupName, Bytes& propertyName) {
  const std::string_view text(key.Text());
  groupName.clear();
  std::size_t at = 0;
  for (; at < text.size() && text[at] != ':'; ++at) {
    if (text[at] == '\\' && at + 1 < text.size()) ++at;
    groupName.push_back(text[at]);
  }
  propertyName.assign(text.substr(std::min(at + 1, text.size())));
}

}  // namespace quarnel
