// HashTable<K, V>: a chained hash table whose storage comes from the Corbane
// memory manager. Keys need a free function `GenerateHashValue(const K&)` and
// operator==; HashBytes serves a key that is a run of bytes. `Add` adds only
// when the key is absent and says whether it did. A table that is filled and
// emptied over and over can keep its storage from one filling to the next:
// see RemoveAllKeepingStorage and AddFilled.
#pragma once

#include <cstddef>
#include <cstring>
#include <new>
#include <utility>

#include "Corbane/Memory.hpp"
#include "Corbane/Types.hpp"

namespace Corbane {

inline UInt64 GenerateHashValue(Int32 v) noexcept { return static_cast<UInt64>(v) * 0x9E3779B97F4A7C15ull; }
inline UInt64 GenerateHashValue(UInt32 v) noexcept { return static_cast<UInt64>(v) * 0x9E3779B97F4A7C15ull; }

// The hash of `size` bytes, eight bytes a step, for keys looked up in bulk;
// the last mix spreads every byte into the low bits that pick the bucket.
inline UInt64 HashBytes(const void* data, std::size_t size) noexcept {
  constexpr UInt64 multiplier = 0xFF51AFD7ED558CCDull;
  const auto* bytes = static_cast<const unsigned char*>(data);
  std::size_t left = size;
  UInt64 hash = 0x9E3779B97F4A7C15ull ^ left;
  for (; left >= sizeof(UInt64); bytes += sizeof(UInt64), left -= sizeof(UInt64)) {
    UInt64 word;
    std::memcpy(&word, bytes, sizeof word);
    hash = (hash ^ word) * multiplier;
    hash ^= hash >> 32;
  }
  UInt64 tail = 0;
  if (left > 0) std::memcpy(&tail, bytes, left);
  hash = (hash ^ tail) * multiplier;
  hash ^= hash >> 33;
  hash *= 0xC4CEB9FE1A85EC53ull;
  return hash ^ (hash >> 33);
}

template <class K, class V>
class HashTable {
 public:
  HashTable() noexcept = default;
  HashTable(const HashTable& other) {
    other.ForEach([this](const K& k, const V& v) { Add(k, v); });
  }
  HashTable& operator=(const HashTable& other) {
    if (this != &other) {
      Clear();
      other.ForEach([this](const K& k, const V& v) { Add(k, v); });
    }
    return *this;
  }
  HashTable(HashTable&& other) noexcept
      : buckets_(std::exchange(other.buckets_, nullptr)),
        bucketCount_(std::exchange(other.bucketCount_, 0)),
        size_(std::exchange(other.size_, 0)),
        spare_(std::exchange(other.spare_, nullptr)) {}
  HashTable& operator=(HashTable&& other) noexcept {
    if (this != &other) {
      Clear();
      buckets_ = std::exchange(other.buckets_, nullptr);
      bucketCount_ = std::exchange(other.bucketCount_, 0);
      size_ = std::exchange(other.size_, 0);
      spare_ = std::exchange(other.spare_, nullptr);
    }
    return *this;
  }
  ~HashTable() { Clear(); }

  UIndex GetSize() const noexcept { return size_; }
  bool IsEmpty() const noexcept { return size_ == 0; }

  // Adds the pair unless the key is present; the stored value then stays.
  bool Add(const K& key, const V& value) {
    const UInt64 hash = GenerateHashValue(key);
    if (Find(key, hash) != nullptr) return false;
    MakeRoomForOneMore();
    if (spare_ != nullptr) {
      spare_->key = key;
      spare_->value = value;
      Link(TakeSpare(), hash);
      return true;
    }
    Node* node = static_cast<Node*>(Allocate(sizeof(Node)));
    ConstructOrFree(node, key, value);
    Link(node, hash);
    return true;
  }
  // Adds the key unless it is present, with the value that fill(V&) sets;
  // says whether it added. The value handed to `fill` is a default-constructed
  // one or, on a pair kept by RemoveAllKeepingStorage, the value that pair
  // held, so that `fill` can reuse its storage; `fill` sets all of it. A fill
  // that throws leaves the table as it was.
  template <class Fill>
  bool AddFilled(const K& key, Fill&& fill) {
    const UInt64 hash = GenerateHashValue(key);
    if (Find(key, hash) != nullptr) return false;
    MakeRoomForOneMore();
    if (spare_ != nullptr) {
      spare_->key = key;
    } else {
      Node* node = static_cast<Node*>(Allocate(sizeof(Node)));
      ConstructOrFree(node, key, V());
      spare_ = node;
    }
    fill(spare_->value);
    Link(TakeSpare(), hash);
    return true;
  }
  // Adds the pair, or replaces the value of a present key.
  void Put(const K& key, const V& value) {
    if (V* present = GetPtr(key)) {
      *present = value;
      return;
    }
    Add(key, value);
  }
  bool ContainsKey(const K& key) const { return Find(key) != nullptr; }
  V* GetPtr(const K& key) {
    Node* node = Find(key);
    return node ? &node->value : nullptr;
  }
  const V* GetPtr(const K& key) const {
    const Node* node = Find(key);
    return node ? &node->value : nullptr;
  }
  // The value of a key that must be present.
  V& Get(const K& key) { return *GetPtr(key); }
  const V& Get(const K& key) const { return *GetPtr(key); }
  bool Get(const K& key, V* out) const {
    const V* v = GetPtr(key);
    if (v == nullptr) return false;
    *out = *v;
    return true;
  }
  bool Delete(const K& key) {
    if (bucketCount_ == 0) return false;
    for (Node** link = &buckets_[Bucket(key)]; *link != nullptr; link = &(*link)->next) {
      if ((*link)->key == key) {
        Node* dead = *link;
        *link = dead->next;
        dead->~Node();
        Free(dead);
        --size_;
        return true;
      }
    }
    return false;
  }
  // Removes every pair and gives the storage back, kept pairs included.
  void Clear() noexcept {
    for (UIndex b = 0; b < bucketCount_; ++b) DestroyChain(buckets_[b]);
    DestroyChain(spare_);
    spare_ = nullptr;
    Free(buckets_);
    buckets_ = nullptr;
    bucketCount_ = 0;
    size_ = 0;
  }
  // Removes every pair but keeps the buckets and the pairs themselves, with
  // their keys' and values' storage, for the pairs added next: a table filled
  // and emptied again and again stops allocating once it has grown. The kept
  // pairs stay allocated until Clear or the table's end.
  void RemoveAllKeepingStorage() noexcept {
    for (UIndex b = 0; b < bucketCount_; ++b) {
      Node* node = std::exchange(buckets_[b], nullptr);
      while (node != nullptr) {
        Node* next = node->next;
        node->next = spare_;
        spare_ = node;
        node = next;
      }
    }
    size_ = 0;
  }
  // Calls f(key, value) for every pair, in no set order.
  template <class F>
  void ForEach(F&& f) const {
    for (UIndex b = 0; b < bucketCount_; ++b)
      for (const Node* node = buckets_[b]; node != nullptr; node = node->next) f(node->key, node->value);
  }

 private:
  struct Node {
    K key;
    V value;
    Node* next;
  };
  static void ConstructOrFree(Node* node, const K& key, const V& value) {
    try {
      new (node) Node{key, value, nullptr};
    } catch (...) {
      Free(node);
      throw;
    }
  }
  static void DestroyChain(Node* node) noexcept {
    while (node != nullptr) {
      Node* next = node->next;
      node->~Node();
      Free(node);
      node = next;
    }
  }
  void MakeRoomForOneMore() {
    if (size_ + 1 > bucketCount_) Rehash(bucketCount_ == 0 ? 16 : bucketCount_ * 2);
  }
  Node* TakeSpare() noexcept {
    Node* node = spare_;
    spare_ = node->next;
    return node;
  }
  void Link(Node* node, UInt64 hash) noexcept {
    Node** bucket = &buckets_[static_cast<UIndex>(hash % bucketCount_)];
    node->next = *bucket;
    *bucket = node;
    ++size_;
  }
  UIndex Bucket(const K& key) const { return static_cast<UIndex>(GenerateHashValue(key) % bucketCount_); }
  Node* Find(const K& key) const { return Find(key, GenerateHashValue(key)); }
  Node* Find(const K& key, UInt64 hash) const {
    if (bucketCount_ == 0) return nullptr;
    for (Node* node = buckets_[static_cast<UIndex>(hash % bucketCount_)]; node != nullptr; node = node->next)
      if (node->key == key) return node;
    return nullptr;
  }
  void Rehash(UIndex count) {
    Node** fresh = static_cast<Node**>(Allocate(sizeof(Node*) * count));
    for (UIndex b = 0; b < count; ++b) fresh[b] = nullptr;
    for (UIndex b = 0; b < bucketCount_; ++b) {
      Node* node = buckets_[b];
      while (node != nullptr) {
        Node* next = node->next;
        UIndex at = static_cast<UIndex>(GenerateHashValue(node->key) % count);
        node->next = fresh[at];
        fresh[at] = node;
        node = next;
      }
    }
    Free(buckets_);
    buckets_ = fresh;
    bucketCount_ = count;
  }

  Node** buckets_ = nullptr;
  UIndex bucketCount_ = 0;
  UIndex size_ = 0;
  Node* spare_ = nullptr;  // pairs kept by RemoveAllKeepingStorage, linked by `next`
};

}  // namespace Corbane
