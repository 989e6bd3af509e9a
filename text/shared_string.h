// String: the system's reference-counted, copy-on-write 8-bit text (paths,
// messages, file-name pieces, formatted numbers). One pointer to the characters;
// copies share the buffer, the first change through a shared copy makes it private.
#pragma once
#include "text/shared_buffer.h"

class String {
 public:
  String();
  String(const char* text);  // null or "" gives the shared empty buffer
  String(const String& other);
  String& operator=(const String& other) {
    Assign(other);
    return *this;
  }
  ~String();

  int Length() const { return SharedBuffer<char>::Header(chars_)->length; }
  bool IsEmpty() const { return Length() == 0; }
  // Read-only characters, never null; valid until the String is changed.
  const char* CStr() const { return chars_; }
  char operator[](int index) const { return chars_[index]; }
  // Writable characters of a private buffer (copied first when shared);
  // null for the shared empty buffer.
  char* GetBuffer();

  void Assign(const String& other);
  void Assign(const char* text);  // null acts as Clear
  void Clear();

  void Append(const char* text);
  void Append(const String& other);
  void Append(char c);

  String Left(int count) const;
  String Right(int count) const;
  String Mid(int pos, int count) const;
  String Mid(int pos) const;

  // A null set stands for CR, LF, TAB, SPACE.
  void TrimLeft(const char* set = nullptr);
  void TrimRight(const char* set = nullptr);

  // Case-sensitive; null counts as "".
  bool Equals(const char* text) const;

  // Lower-cases in place through CurrentCharSet (defined with the character sets).
  void MakeLower();

  void SetLength(int newLength, int shift);

  // For tests and diagnostics: the buffer's reference count and address.
  int ReferenceCount() const { return SharedBuffer<char>::Header(chars_)->references; }
  const void* BufferAddress() const { return chars_; }
  bool UsesSharedEmptyBuffer() const { return SharedBuffer<char>::IsEmptyBuffer(chars_); }

 private:
  void AppendBytes(const char* text, int n);
  char* chars_;
};

// Concatenation always yields a fresh buffer; a null raw text counts as "".
String Concat(const String& left, const char* right);
String Concat(const char* left, const String& right);
