// Array<T>: a dynamic array whose storage comes from the Corbane memory manager.
#pragma once

#include <cstring>
#include <initializer_list>
#include <new>
#include <type_traits>
#include <utility>

#include "Corbane/Memory.hpp"
#include "Corbane/Types.hpp"

namespace Corbane {

template <class T>
class Array {
 public:
  Array() noexcept = default;
  Array(std::initializer_list<T> items) {
    Reserve(static_cast<UIndex>(items.size()));
    for (const T& item : items) Push(item);
  }
  Array(const Array& other) { CopyFrom(other); }
  Array(Array&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)),
        size_(std::exchange(other.size_, 0)),
        capacity_(std::exchange(other.capacity_, 0)) {}
  Array& operator=(const Array& other) {
    if (this != &other) {
      Clear();
      CopyFrom(other);
    }
    return *this;
  }
  Array& operator=(Array&& other) noexcept {
    if (this != &other) {
      Release();
      data_ = std::exchange(other.data_, nullptr);
      size_ = std::exchange(other.size_, 0);
      capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
  }
  ~Array() { Release(); }

  UIndex GetSize() const noexcept { return size_; }
  bool IsEmpty() const noexcept { return size_ == 0; }

  T& operator[](UIndex i) noexcept { return data_[i]; }
  const T& operator[](UIndex i) const noexcept { return data_[i]; }
  T& GetFirst() noexcept { return data_[0]; }
  const T& GetFirst() const noexcept { return data_[0]; }
  T& GetLast() noexcept { return data_[size_ - 1]; }
  const T& GetLast() const noexcept { return data_[size_ - 1]; }

  T* begin() noexcept { return data_; }
  T* end() noexcept { return data_ + size_; }
  const T* begin() const noexcept { return data_; }
  const T* end() const noexcept { return data_ + size_; }

  void Push(const T& item) {
    if (size_ == capacity_) {
      T copy(item);  // `item` may live in this array
      Grow(size_ + 1);
      new (data_ + size_) T(std::move(copy));
    } else {
      new (data_ + size_) T(item);
    }
    ++size_;
  }
  void Push(T&& item) {
    if (size_ == capacity_) {
      T moved(std::move(item));
      Grow(size_ + 1);
      new (data_ + size_) T(std::move(moved));
    } else {
      new (data_ + size_) T(std::move(item));
    }
    ++size_;
  }
  template <class... Args>
  T& PushNew(Args&&... args) {
    if (size_ == capacity_) Grow(size_ + 1);
    T* slot = new (data_ + size_) T(std::forward<Args>(args)...);
    ++size_;
    return *slot;
  }
  void Pop() noexcept {
    if (size_ > 0) data_[--size_].~T();
  }
  void Insert(UIndex at, const T& item) {
    Push(item);
    for (UIndex i = size_ - 1; i > at; --i) std::swap(data_[i], data_[i - 1]);
  }
  // An index past the end deletes nothing (it must not take the last item).
  void Delete(UIndex at) {
    if (at >= size_) return;
    for (UIndex i = at; i + 1 < size_; ++i) data_[i] = std::move(data_[i + 1]);
    Pop();
  }
  bool Contains(const T& item) const {
    for (UIndex i = 0; i < size_; ++i)
      if (data_[i] == item) return true;
    return false;
  }
  void Reserve(UIndex capacity) {
    if (capacity > capacity_) Grow(capacity);
  }
  // Destroys every item and gives the storage back.
  void Clear() noexcept { Release(); }

  bool operator==(const Array& other) const {
    if (size_ != other.size_) return false;
    for (UIndex i = 0; i < size_; ++i)
      if (!(data_[i] == other.data_[i])) return false;
    return true;
  }
  bool operator!=(const Array& other) const { return !(*this == other); }

 private:
  void CopyFrom(const Array& other) {
    Reserve(other.size_);
    for (UIndex i = 0; i < other.size_; ++i) new (data_ + i) T(other.data_[i]);
    size_ = other.size_;
  }
  void Grow(UIndex needed) {
    UIndex capacity = capacity_ < 4 ? 4 : capacity_ * 2;
    if (capacity < needed) capacity = needed;
    T* fresh = static_cast<T*>(AllocateAligned(sizeof(T) * capacity, alignof(T)));
    for (UIndex i = 0; i < size_; ++i) {
      new (fresh + i) T(std::move(data_[i]));
      data_[i].~T();
    }
    Free(data_);
    data_ = fresh;
    capacity_ = capacity;
  }
  void Release() noexcept {
    for (UIndex i = 0; i < size_; ++i) data_[i].~T();
    Free(data_);
    data_ = nullptr;
    size_ = 0;
    capacity_ = 0;
  }

  T* data_ = nullptr;
  UIndex size_ = 0;
  UIndex capacity_ = 0;
};

}  // namespace Corbane
