// The runtime's bounded vprintf behind FormatInto, one implementation per platform.
#pragma once
#include <cstdarg>

// Formats into buffer (size bytes). Returns the number of characters written
// when the whole output fit, terminator not counted, and -1 otherwise (an output
// of exactly size characters counts as fitting; it is then not terminated).
// Consumes args.
int BoundedPrint(char* buffer, int size, const char* format, va_list args);
