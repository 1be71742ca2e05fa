// The key that finds a property again by its group and definition name: the
// data file's import matches a record's names to the re-imported definitions
// by it, and every table of the snapshot store keeps its entries under it.
//
// The key is group name + ":" + property name in the 8-bit form in which the
// import compares them, with a backslash written before each ":" and each
// backslash of the group name, so that the first bare ":" ends the group name
// and two different pairs of names never share a key. Names without either
// character give plain group + ":" + property.
#pragma once

#include <string_view>

#include "Corbane/Corbane.hpp"
#include "values/Narrow.hpp"

namespace quarnel {

// Made only by the functions below, which keep its hash with its text: a
// definition's key is looked up once per element, and hashed once per step.
class RowKey {
 public:
  RowKey() = default;
  RowKey(const UniString& groupName, const UniString& propertyName);

  const Bytes& Text() const noexcept { return text_; }

  friend bool operator==(const RowKey& a, const RowKey& b) noexcept { return a.text_ == b.text_; }
  friend Corbane::UInt64 GenerateHashValue(const RowKey& key) noexcept { return key.hash_; }

 private:
  friend void SetRowKey(RowKey& key, std::string_view groupName, std::string_view propertyName);
  friend void SetRowKey(RowKey& key, const UniString& groupName, const UniString& propertyName);
  void Hash() noexcept { hash_ = Corbane::HashBytes(text_.data(), text_.size()); }

  Bytes text_;
  Corbane::UInt64 hash_ = Corbane::HashBytes("", 0);
};

// Both sides build the key with one function, from a record's names as the
// file holds them or from a definition's names as the host gives them. A name
// is written in the default character code as its text reads, so bytes that
// are not plain ASCII are read as text first. A lone surrogate of a host name,
// which no text read from the file holds, becomes the byte 0xFF and the unit's
// two bytes, so that it matches only itself. `key` keeps its storage.
void SetRowKey(RowKey& key, std::string_view groupName, std::string_view propertyName);
void SetRowKey(RowKey& key, const UniString& groupName, const UniString& propertyName);
// The group and property names back from a key.
void SplitRowKey(const RowKey& key, Bytes& groupName, Bytes& propertyName);

}  // namespace quarnel
