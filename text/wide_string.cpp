// WideString operations (see wide_string.h).
#include "text/wide_string.h"

#include <cstring>

namespace {
using Buffer = SharedBuffer<char16_t>;

int UnitCount(const char16_t* text) {
  int n = 0;
  if (text != nullptr) {
    while (text[n] != 0) ++n;
  }
  return n;
}
}  // namespace

WideString::WideString() : units_(Buffer::Empty()) {}

WideString::WideString(const char16_t* text) : units_(Buffer::Empty()) {
  const int n = UnitCount(text);
  if (n > 0) {
    units_ = Buffer::Allocate(n);
    std::memcpy(units_, text, sizeof(char16_t) * static_cast<size_t>(n));
  }
}

WideString::WideString(const WideString& other) : units_(other.units_) { Buffer::Share(units_); }

WideString::~WideString() { Buffer::Release(units_); }

char16_t* WideString::GetBuffer() {
  if (Buffer::IsEmptyBuffer(units_)) return nullptr;
  if (ReferenceCount() != 1) SetLength(Length());
  return units_;
}

void WideString::Assign(const WideString& other) {
  if (&other == this) return;
  Buffer::Release(units_);
  units_ = other.units_;
  Buffer::Share(units_);
}

void WideString::SetLength(int newLength) { Buffer::SetLength(units_, newLength, 0); }

bool WideString::Equals(const char16_t* text) const {
  const int n = UnitCount(text);
  return n == Length() && (n == 0 || std::memcmp(units_, text, sizeof(char16_t) * n) == 0);
}
