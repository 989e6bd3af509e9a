// vsnprintf always terminates, so an output of size characters no longer fits.
#include "format/bounded_print.h"

#include <cstdio>

int BoundedPrint(char* buffer, int size, const char* format, va_list args) {
  if (size <= 0) return -1;
  const int n = std::vsnprintf(buffer, static_cast<size_t>(size), format, args);
  return (n < 0 || n >= size) ? -1 : n;
}
