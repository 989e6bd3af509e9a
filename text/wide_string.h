// WideString: the UTF-16 twin of String (dialog field texts, tag values before
// UTF-8 encoding, everything the trace control draws). Same buffer scheme, with
// char16_t units; its own shared empty buffer.
#pragma once
#include "text/shared_buffer.h"

class WideString {
 public:
  WideString();
  WideString(const char16_t* text);  // null or empty gives the shared empty buffer
  WideString(const WideString& other);
  WideString& operator=(const WideString& other) {
    Assign(other);
    return *this;
  }
  ~WideString();

  int Length() const { return SharedBuffer<char16_t>::Header(units_)->length; }
  bool IsEmpty() const { return Length() == 0; }
  const char16_t* CStr() const { return units_; }
  char16_t operator[](int index) const { return units_[index]; }
  // Writable units of a private buffer; null for the shared empty buffer.
  char16_t* GetBuffer();

  void Assign(const WideString& other);
  void SetLength(int newLength);

  bool Equals(const char16_t* text) const;  // null counts as empty

  int ReferenceCount() const { return SharedBuffer<char16_t>::Header(units_)->references; }
  bool UsesSharedEmptyBuffer() const { return SharedBuffer<char16_t>::IsEmptyBuffer(units_); }

 private:
  char16_t* units_;
};
