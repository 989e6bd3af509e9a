// The buffer scheme that String and WideString share: a header (length,
// reference count) in front of the units, a NUL unit after them, capacity in
// 64-byte blocks derived from the length, and one shared empty buffer per unit
// type that is recognised by its address and never counted, written or freed.
#pragma once
#include <cstdint>

struct StringHeader {
  int32_t length;
  int32_t references;
};

template <typename Unit>
struct SharedBuffer {
  // The units of the shared empty buffer (length 0, count 0x7FFFFFFF).
  static Unit* Empty();
  static bool IsEmptyBuffer(const Unit* units) { return units == Empty(); }
  static StringHeader* Header(const Unit* units);
  // Number of 64-byte blocks for length units plus the terminator.
  static int BlockCount(int length);
  // A new private buffer (count 1) of the given length, terminator written.
  static Unit* Allocate(int length);
  // Adds a reference (not to the shared empty buffer).
  static void Share(Unit* units);
  // Drops a reference, frees the buffer when it was the last one, and leaves
  // units pointing at the shared empty buffer.
  static void Release(Unit*& units);
  // The primitive under every change: afterwards the buffer is private, holds
  // newLength units of which the first min(newLength, old length - shift) are
  // the old units from index shift on, and the terminator is at newLength.
  // Reuses the buffer in place only when it is private and keeps its block count.
  static void SetLength(Unit*& units, int newLength, int shift);
};

extern template struct SharedBuffer<char>;
extern template struct SharedBuffer<char16_t>;
