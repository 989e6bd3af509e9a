// msvcrt's _vsnprintf: -1 when the output does not fit, no terminator when it
// fills the buffer exactly; the caller copies by count, so both cases are fine.
#include "format/bounded_print.h"

#include <cstdio>

int BoundedPrint(char* buffer, int size, const char* format, va_list args) {
  if (size <= 0) return -1;
  const int n = _vsnprintf(buffer, static_cast<size_t>(size), format, args);
  return (n < 0 || n > size) ? -1 : n;
}
