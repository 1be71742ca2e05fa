// HashTable<K, V>: a chained hash table whose storage comes from the Corbane
// memory manager. Keys need a free function `GenerateHashValue(const K&)` and
// operator==. `Add` adds only when the key is absent and says whether it did.
#pragma once

#include <new>
#include <utility>

#include "Corbane/Memory.hpp"
#include "Corbane/Types.hpp"

namespace Corbane {

inline UInt64 GenerateHashValue(Int32 v) noexcept { return static_cast<UInt64>(v) * 0x9E3779B97F4A7C15ull; }
inline UInt64 GenerateHashValue(UInt32 v) noexcept { return static_cast<UInt64>(v) * 0x9E3779B97F4A7C15ull; }

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
        size_(std::exchange(other.size_, 0)) {}
  HashTable& operator=(HashTable&& other) noexcept {
    if (this != &other) {
      Clear();
      buckets_ = std::exchange(other.buckets_, nullptr);
      bucketCount_ = std::exchange(other.bucketCount_, 0);
      size_ = std::exchange(other.size_, 0);
    }
    return *this;
  }
  ~HashTable() { Clear(); }

  UIndex GetSize() const noexcept { return size_; }
  bool IsEmpty() const noexcept { return size_ == 0; }

  // Adds the pair unless the key is present; the stored value then stays.
  bool Add(const K& key, const V& value) {
    if (Find(key) != nullptr) return false;
    if (size_ + 1 > bucketCount_) Rehash(bucketCount_ == 0 ? 16 : bucketCount_ * 2);
    Node* node = static_cast<Node*>(Allocate(sizeof(Node)));
    new (node) Node{key, value, nullptr};
    Node** bucket = &buckets_[Bucket(key)];
    node->next = *bucket;
    *bucket = node;
    ++size_;
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
  // Removes every pair and gives the storage back.
  void Clear() noexcept {
    for (UIndex b = 0; b < bucketCount_; ++b) {
      Node* node = buckets_[b];
      while (node != nullptr) {
        Node* next = node->next;
        node->~Node();
        Free(node);
        node = next;
      }
    }
    Free(buckets_);
    buckets_ = nullptr;
    bucketCount_ = 0;
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
  UIndex Bucket(const K& key) const { return static_cast<UIndex>(GenerateHashValue(key) % bucketCount_); }
  Node* Find(const K& key) const {
    if (bucketCount_ == 0) return nullptr;
    for (Node* node = buckets_[Bucket(key)]; node != nullptr; node = node->next)
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
};

}  // namespace Corbane
