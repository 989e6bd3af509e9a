// Natural order of names (see natural_order.h).
#include "cli/natural_order.h"

#include <cstring>

namespace {

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

unsigned char Folded(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

// Compares the numbers at a and b and moves both past their digits.
int CompareNumbers(const unsigned char*& a, const unsigned char*& b) {
  while (*a == '0') ++a;
  while (*b == '0') ++b;
  size_t lengthA = 0;
  size_t lengthB = 0;
  while (IsDigit(a[lengthA])) ++lengthA;
  while (IsDigit(b[lengthB])) ++lengthB;
  // Without leading zeros, the longer number is the larger.
  int order = lengthA < lengthB ? -1 : lengthA > lengthB ? 1 : 0;
  if (order == 0) order = std::memcmp(a, b, lengthA);
  a += lengthA;
  b += lengthB;
  return order;
}

}  // namespace

int NaturalCompare(const char* left, const char* right) {
  const unsigned char* a = reinterpret_cast<const unsigned char*>(left);
  const unsigned char* b = reinterpret_cast<const unsigned char*>(right);
  while (*a != 0 && *b != 0) {
    if (IsDigit(*a) && IsDigit(*b)) {
      const int order = CompareNumbers(a, b);
      if (order != 0) return order;
      continue;
    }
    const unsigned char x = Folded(*a++);
    const unsigned char y = Folded(*b++);
    if (x != y) return x < y ? -1 : 1;
  }
  return (*a != 0) - (*b != 0);
}

bool NaturalLess(const char* a, const char* b) {
  const int order = NaturalCompare(a, b);
  return order != 0 ? order < 0 : std::strcmp(a, b) < 0;
}
