// FormatInto: printf into a String without truncation and without a caller-sized
// buffer. The output length is bounded from the format and the arguments first,
// then the text is formatted once into a scratch buffer of that size.
#pragma once
#include <cstdarg>

#include "text/shared_string.h"

#if defined(__GNUC__)
#define MIRALE_PRINTF_FORMAT(format_index, first_arg) \
  __attribute__((format(printf, format_index, first_arg)))
#else
#define MIRALE_PRINTF_FORMAT(format_index, first_arg)
#endif

// Replaces target's text with the formatted output. A null "%s" argument is
// formatted as "(null)"; a null format counts as "".
void FormatInto(String& target, const char* format, ...) MIRALE_PRINTF_FORMAT(2, 3);

// The list form. A distinct name rather than an overload: where va_list is a
// plain char*, an overload would capture calls that pass one char* argument.
// args is left unconsumed for the caller to end.
void FormatIntoV(String& target, const char* format, va_list args);

// An upper bound for the bytes the formatted output needs, terminator included.
// Walks a copy of args; the caller's list is not consumed.
int EstimateFormatLength(const char* format, va_list args);
