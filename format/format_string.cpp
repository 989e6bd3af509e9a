// FormatInto and its length bound. The bound walks the arguments exactly as the
// runtime's printf will, so that the width and precision taken from "*" and the
// strings' lengths are those of this call.
#include "format/format_string.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <cwchar>

#include "format/bounded_print.h"
#include "text/block_alloc.h"

namespace {

// Outputs up to this bound are formatted on the stack.
constexpr int kStackScratch = 256;
// Room for any integer, pointer or character conversion besides width and precision.
constexpr int64_t kPerConversion = 30;
// Digits of the largest double in fixed notation; long double needs far more.
constexpr int64_t kDoubleDigits = 307;
constexpr int64_t kLongDoubleDigits = 4940;
// "(null)", which both runtimes print for a null "%s".
constexpr int64_t kNullText = 6;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A decimal width or precision; the value saturates instead of overflowing.
int64_t ReadDecimal(const char*& p) {
  int64_t value = 0;
  while (IsDigit(*p)) {
    if (value < INT_MAX) value = value * 10 + (*p - '0');
    ++p;
  }
  return value;
}

// Width or precision: "*" takes an int argument, otherwise digits (0 when none).
int64_t ReadField(const char*& p, va_list& args) {
  if (*p == '*') {
    ++p;
    const int64_t value = va_arg(args, int);
    return value < 0 ? -value : value;
  }
  return ReadDecimal(p);
}

enum class Size { kDefault, kShort, kLong, kLongLong, kSizeT, kLongDouble };

Size ReadSize(const char*& p) {
  Size size = Size::kDefault;
  for (;;) {
    switch (*p) {
      case 'h':
        size = Size::kShort;
        break;
      case 'l':
        size = size == Size::kLong ? Size::kLongLong : Size::kLong;
        break;
      case 'q':
      case 'j':
        size = Size::kLongLong;
        break;
      case 'L':
        size = Size::kLongDouble;
        break;
      case 'z':
      case 't':
        size = Size::kSizeT;
        break;
      case 'I':  // msvcrt: I32, I64, or I alone for a pointer-sized integer
        if (p[1] == '6' && p[2] == '4') {
          size = Size::kLongLong;
          p += 2;
        } else if (p[1] == '3' && p[2] == '2') {
          size = Size::kDefault;
          p += 2;
        } else {
          size = Size::kSizeT;
        }
        break;
      default:
        return size;
    }
    ++p;
  }
}

void TakeInteger(Size size, va_list& args) {
  switch (size) {
    case Size::kLong:
      (void)va_arg(args, long);
      break;
    case Size::kLongLong:
      (void)va_arg(args, long long);
      break;
    case Size::kSizeT:
      (void)va_arg(args, size_t);
      break;
    default:
      (void)va_arg(args, int);
      break;
  }
}

int64_t TakeText(bool wide, va_list& args) {
  if (wide) {
    const wchar_t* text = va_arg(args, const wchar_t*);
    // Each wide unit becomes at most MB_LEN_MAX bytes.
    return text == nullptr ? kNullText : static_cast<int64_t>(std::wcslen(text)) * MB_LEN_MAX;
  }
  const char* text = va_arg(args, const char*);
  return text == nullptr ? kNullText : static_cast<int64_t>(std::strlen(text));
}

// Bound of one conversion; p is just after its "%" and ends after its letter.
int64_t ConversionBound(const char*& p, va_list& args) {
  while (*p != '\0' && std::strchr("-+ #0", *p) != nullptr) ++p;
  int64_t bound = ReadField(p, args);
  if (*p == '.') {
    ++p;
    bound += ReadField(p, args);
  }
  const Size size = ReadSize(p);
  bound += kPerConversion;
  const char letter = *p;
  if (letter == '\0') return bound;  // a lone "%" at the end
  ++p;
  switch (letter) {
    case 'd':
    case 'i':
    case 'o':
    case 'u':
    case 'x':
    case 'X':
      TakeInteger(size, args);
      break;
    case 'c':
    case 'C':
      (void)va_arg(args, int);  // char and wchar_t both arrive promoted to int
      break;
    case 'n':
    case 'p':
      (void)va_arg(args, void*);
      break;
    case 's':
      bound += TakeText(size == Size::kLong, args);
      break;
    case 'S':
      bound += TakeText(true, args);
      break;
    case 'e':
    case 'E':
    case 'f':
    case 'F':
    case 'g':
    case 'G':
    case 'a':
    case 'A':
      if (size == Size::kLongDouble) {
        (void)va_arg(args, long double);
        bound += kLongDoubleDigits;
      } else {
        (void)va_arg(args, double);
        bound += kDoubleDigits;
      }
      break;
    default:  // among them the second "%" of "%%": no argument
      break;
  }
  return bound;
}

}  // namespace

int EstimateFormatLength(const char* format, va_list args) {
  if (format == nullptr) return 1;
  va_list walk;
  va_copy(walk, args);
  int64_t bound = static_cast<int64_t>(std::strlen(format)) + 1;
  for (const char* p = format; *p != '\0';) {
    if (*p++ != '%') continue;
    bound += ConversionBound(p, walk);
    if (bound > INT_MAX) bound = INT_MAX;
  }
  va_end(walk);
  return static_cast<int>(bound);
}

void FormatIntoV(String& target, const char* format, va_list args) {
  if (format == nullptr) format = "";
  const int bound = EstimateFormatLength(format, args);
  char stackScratch[kStackScratch];
  char* scratch = stackScratch;
  void* heapScratch = nullptr;
  if (bound > kStackScratch) {
    heapScratch = BlockAlloc((static_cast<size_t>(bound) + 7) & ~static_cast<size_t>(7));
    scratch = static_cast<char*>(heapScratch);
  }
  va_list copy;
  va_copy(copy, args);
  const int n = BoundedPrint(scratch, bound, format, copy);
  va_end(copy);
  if (n == 0) {
    target.Clear();
  } else if (n > 0) {
    // Shift by the whole old length: nothing of the old text needs keeping.
    target.SetLength(n, target.Length());
    std::memcpy(target.GetBuffer(), scratch, static_cast<size_t>(n));
  }
  // n < 0 (did not fit) leaves the target as it was.
  BlockFree(heapScratch);
}

void FormatInto(String& target, const char* format, ...) {
  va_list args;
  va_start(args, format);
  FormatIntoV(target, format, args);
  va_end(args);
}
