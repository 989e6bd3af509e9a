// The three single-byte character sets, their registry and String::MakeLower.
// Definition order in this file is the construction order: registry first.
#include "text/char_set.h"

#include <cstring>

#include "text/shared_string.h"

GrowableArray<CharSet*> CharSetRegistry;

CharSet::CharSet() { CharSetRegistry.Append(this); }
CharSet::~CharSet() = default;

namespace {

// Case pairs beyond the Latin-1 letters, as (upper, lower).
struct CasePair {
  unsigned char upper;
  unsigned char lower;
};

void Latin1ToLower(unsigned char* b, int length) {
  for (int i = 0; i < length; ++i) {
    if ((b[i] >= 0x41 && b[i] <= 0x5A) || (b[i] >= 0xC0 && b[i] <= 0xDE && b[i] != 0xD7)) {
      b[i] = static_cast<unsigned char>(b[i] + 0x20);
    }
  }
}

void Latin1ToUpper(unsigned char* b, int length) {
  for (int i = 0; i < length; ++i) {
    if ((b[i] >= 0x61 && b[i] <= 0x7A) || (b[i] >= 0xE0 && b[i] <= 0xFE && b[i] != 0xF7)) {
      b[i] = static_cast<unsigned char>(b[i] - 0x20);
    }
  }
}

// The extra pairs are applied before the Latin-1 rule so that a byte changed
// by one rule is never changed again by the other.
template <size_t N>
void ChangeCase(const CasePair (&pairs)[N], char* bytes, int length, bool lower) {
  unsigned char* b = reinterpret_cast<unsigned char*>(bytes);
  for (int i = 0; i < length; ++i) {
    bool paired = false;
    for (const CasePair& p : pairs) {
      if (b[i] == (lower ? p.upper : p.lower)) {
        b[i] = lower ? p.lower : p.upper;
        paired = true;
        break;
      }
    }
    if (!paired) (lower ? Latin1ToLower : Latin1ToUpper)(b + i, 1);
  }
}

// Published windows-1252 mapping of 0x80-0x9F; the five unassigned positions
// decode to themselves.
const char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
const CasePair kWindows1252Pairs[] = {{0x8A, 0x9A}, {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF}};

// Published ISO-8859-15 mapping of 0xA0-0xBF.
const char16_t kIso885915Middle[32] = {
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x20AC, 0x00A5, 0x0160, 0x00A7, 0x0161, 0x00A9, 0x00AA,
    0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF, 0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x017D, 0x00B5,
    0x00B6, 0x00B7, 0x017E, 0x00B9, 0x00BA, 0x00BB, 0x0152, 0x0153, 0x0178, 0x00BF};
const CasePair kIso885915Pairs[] = {{0xA6, 0xA8}, {0xB4, 0xB8}, {0xBC, 0xBD}, {0xBE, 0xFF}};

class Windows1252 final : public CharSet {
 public:
  void ToLower(char* bytes, int length) const override {
    ChangeCase(kWindows1252Pairs, bytes, length, true);
  }
  void ToUpper(char* bytes, int length) const override {
    ChangeCase(kWindows1252Pairs, bytes, length, false);
  }
  char16_t Decode(unsigned char byte) const override {
    return byte >= 0x80 && byte <= 0x9F ? kWindows1252High[byte - 0x80] : char16_t{byte};
  }
  const char* Name() const override { return "windows-1252"; }
};

class Iso88591 final : public CharSet {
 public:
  void ToLower(char* bytes, int length) const override {
    Latin1ToLower(reinterpret_cast<unsigned char*>(bytes), length);
  }
  void ToUpper(char* bytes, int length) const override {
    Latin1ToUpper(reinterpret_cast<unsigned char*>(bytes), length);
  }
  char16_t Decode(unsigned char byte) const override { return char16_t{byte}; }
  const char* Name() const override { return "iso-8859-1"; }
};

class Iso885915 final : public CharSet {
 public:
  void ToLower(char* bytes, int length) const override {
    ChangeCase(kIso885915Pairs, bytes, length, true);
  }
  void ToUpper(char* bytes, int length) const override {
    ChangeCase(kIso885915Pairs, bytes, length, false);
  }
  char16_t Decode(unsigned char byte) const override {
    return byte >= 0xA0 && byte <= 0xBF ? kIso885915Middle[byte - 0xA0] : char16_t{byte};
  }
  const char* Name() const override { return "iso-8859-15"; }
};

Windows1252 windows1252;
Iso88591 iso88591;
Iso885915 iso885915;

}  // namespace

CharSet* const CurrentCharSet = &windows1252;

void String::MakeLower() {
  const int length = Length();
  if (length == 0) return;
  if (ReferenceCount() > 1) {
    // A private copy of header and characters; the shared buffer loses one reference.
    char* fresh = SharedBuffer<char>::Allocate(length);
    std::memcpy(fresh, chars_, static_cast<size_t>(length) + 1);
    --SharedBuffer<char>::Header(chars_)->references;
    chars_ = fresh;
  }
  CurrentCharSet->ToLower(chars_, length);
}
