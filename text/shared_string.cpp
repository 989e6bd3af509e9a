// String operations (see shared_string.h).
#include "text/shared_string.h"

#include <cstring>

namespace {
using Buffer = SharedBuffer<char>;
const char kDefaultTrimSet[] = "\r\n\t ";

int RawLength(const char* text) {
  return text == nullptr ? 0 : static_cast<int>(std::strlen(text));
}

String Piece(const char* from, int count) {
  String result;
  result.SetLength(count, 0);  // a fresh private buffer, also when empty
  if (count > 0) std::memcpy(result.GetBuffer(), from, static_cast<size_t>(count));
  return result;
}

String Joined(const char* left, int leftLength, const char* right, int rightLength) {
  String result;
  result.SetLength(leftLength + rightLength, 0);
  char* out = result.GetBuffer();
  if (leftLength > 0) std::memcpy(out, left, static_cast<size_t>(leftLength));
  if (rightLength > 0) std::memcpy(out + leftLength, right, static_cast<size_t>(rightLength));
  return result;
}

int Clamp(int count, int length) { return count < 0 ? 0 : (count > length ? length : count); }
}  // namespace

String::String() : chars_(Buffer::Empty()) {}

String::String(const char* text) : chars_(Buffer::Empty()) {
  const int n = RawLength(text);
  if (n > 0) {
    chars_ = Buffer::Allocate(n);
    std::memcpy(chars_, text, static_cast<size_t>(n));
  }
}

String::String(const String& other) : chars_(other.chars_) { Buffer::Share(chars_); }

String::~String() { Buffer::Release(chars_); }

char* String::GetBuffer() {
  if (Buffer::IsEmptyBuffer(chars_)) return nullptr;
  if (ReferenceCount() != 1) SetLength(Length(), 0);
  return chars_;
}

void String::Assign(const String& other) {
  if (&other == this) return;
  Buffer::Release(chars_);
  chars_ = other.chars_;
  Buffer::Share(chars_);
}

void String::Assign(const char* text) {
  if (text == nullptr) {
    Clear();
    return;
  }
  const int oldLength = Length();
  if (text >= chars_ && text <= chars_ + oldLength) {
    // Text from our own buffer would move under us: take a copy first.
    String copy(text);
    Assign(copy);
    return;
  }
  const int n = static_cast<int>(std::strlen(text));
  SetLength(n, oldLength);
  if (n > 0) std::memcpy(chars_, text, static_cast<size_t>(n));
}

void String::Clear() {
  if (chars_[0] == 0) return;
  Buffer::Release(chars_);
}

void String::AppendBytes(const char* text, int n) {
  if (n <= 0) return;
  const int oldLength = Length();
  const int newLength = oldLength + n;
  StringHeader* header = Buffer::Header(chars_);
  if (!Buffer::IsEmptyBuffer(chars_) && header->references == 1 &&
      Buffer::BlockCount(newLength) == Buffer::BlockCount(oldLength)) {
    std::memmove(chars_ + oldLength, text, static_cast<size_t>(n));  // text may be our own
    header->length = newLength;
    chars_[newLength] = 0;
    return;
  }
  char* fresh = Buffer::Allocate(newLength);
  std::memcpy(fresh, chars_, static_cast<size_t>(oldLength));
  std::memcpy(fresh + oldLength, text, static_cast<size_t>(n));  // before the old buffer goes
  Buffer::Release(chars_);
  chars_ = fresh;
}

void String::Append(const char* text) { AppendBytes(text, RawLength(text)); }

void String::Append(const String& other) { AppendBytes(other.chars_, other.Length()); }

void String::Append(char c) { AppendBytes(&c, 1); }

String String::Left(int count) const { return Piece(chars_, Clamp(count, Length())); }

String String::Right(int count) const {
  const int n = Clamp(count, Length());
  return Piece(chars_ + Length() - n, n);
}

String String::Mid(int pos, int count) const {
  if (count < 0) count = 0;
  if (pos + count > Length()) count = Length() - pos;
  return Piece(chars_ + pos, count);
}

String String::Mid(int pos) const { return Mid(pos, Length() - pos); }

void String::TrimLeft(const char* set) {
  if (set == nullptr) set = kDefaultTrimSet;
  int k = 0;
  while (k < Length() && chars_[k] != 0 && std::strchr(set, chars_[k]) != nullptr) ++k;
  if (k > 0) SetLength(Length() - k, k);
}

void String::TrimRight(const char* set) {
  if (set == nullptr) set = kDefaultTrimSet;
  const int length = Length();
  int k = 0;
  while (k < length && chars_[length - 1 - k] != 0 &&
         std::strchr(set, chars_[length - 1 - k]) != nullptr) {
    ++k;
  }
  if (k > 0) SetLength(length - k, 0);
}

bool String::Equals(const char* text) const {
  const int n = RawLength(text);
  return n == Length() && (n == 0 || std::memcmp(chars_, text, static_cast<size_t>(n)) == 0);
}

void String::SetLength(int newLength, int shift) { Buffer::SetLength(chars_, newLength, shift); }

String Concat(const String& left, const char* right) {
  return Joined(left.CStr(), left.Length(), right, RawLength(right));
}

String Concat(const char* left, const String& right) {
  return Joined(left, RawLength(left), right.CStr(), right.Length());
}
