// GrowableArray: the list type of the whole system. Storage comes from
// BlockAlloc, the first allocation holds 512 bytes' worth of elements, capacity
// doubles when an append finds the array full, and elements move to new storage
// as raw bytes (every element type is plain data or built from one-pointer handles).
#pragma once
#include <cstdint>
#include <cstring>
#include <new>

#include "text/block_alloc.h"

template <typename T>
class GrowableArray {
 public:
  GrowableArray() = default;
  GrowableArray(const GrowableArray&) = delete;
  GrowableArray& operator=(const GrowableArray&) = delete;
  virtual ~GrowableArray() { RemoveAll(); }

  static int MinimumCapacity() {
    const int n = static_cast<int>(512 / sizeof(T));
    return n > 0 ? n : 1;
  }

  int Count() const { return count_; }
  int Capacity() const { return static_cast<int>(capacity_); }
  const T* Items() const { return items_; }
  T& operator[](int index) { return items_[index]; }
  const T& operator[](int index) const { return items_[index]; }

  // Makes room for at least capacity elements (never fewer than the minimum),
  // moving the first keep elements byte for byte into the new storage.
  void Reserve(int capacity, int keep) {
    if (capacity <= static_cast<int>(capacity_)) return;
    if (capacity < MinimumCapacity()) capacity = MinimumCapacity();
    T* fresh = static_cast<T*>(BlockAlloc(sizeof(T) * static_cast<size_t>(capacity)));
    if (items_ != nullptr) {
      if (keep > 0) {
        std::memcpy(static_cast<void*>(fresh), static_cast<const void*>(items_),
                    sizeof(T) * static_cast<size_t>(keep));
      }
      BlockFree(items_);
    }
    items_ = fresh;
    capacity_ = static_cast<uint32_t>(capacity);
  }

  // Appends a copy of element and returns its index.
  int Append(const T& element) {
    if (count_ >= static_cast<int>(capacity_)) {
      // The element may live in the storage that is about to move.
      T copy(element);
      Reserve(count_ > 0 ? 2 * count_ : 1, count_);
      new (static_cast<void*>(items_ + count_)) T(copy);
    } else {
      new (static_cast<void*>(items_ + count_)) T(element);
    }
    return count_++;
  }

  // Destroys the elements beyond n, or constructs empty ones up to n.
  void Resize(int n) {
    if (n < 0) n = 0;
    if (n == count_) return;
    if (n > 0) Reserve(n, count_);
    if (n < count_) {
      OnRemove(n, count_ - n);
      for (int i = n; i < count_; ++i) items_[i].~T();
    } else {
      for (int i = count_; i < n; ++i) new (static_cast<void*>(items_ + i)) T();
    }
    count_ = n;
  }

  // Destroys every element and frees the storage; the array stays usable.
  void RemoveAll() {
    if (items_ == nullptr) return;
    OnRemove(0, count_);
    for (int i = 0; i < count_; ++i) items_[i].~T();
    BlockFree(items_);
    items_ = nullptr;
    count_ = 0;
    capacity_ = 0;
  }

  // Called with the range of elements about to be destroyed.
  virtual void OnRemove(int /*first*/, int /*count*/) {}

 private:
  T* items_ = nullptr;
  int32_t count_ = 0;
  uint32_t capacity_ = 0;
};
