// printf-style console output (see console_output.h).
#include "cli/console_output.h"

#include <cstdarg>
#include <string>
#include <vector>

#include "cli/platform.h"

void PrintFormat(FILE* stream, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  va_list again;
  va_copy(again, arguments);
  const int size = std::vsnprintf(nullptr, 0, format, arguments);
  va_end(arguments);
  if (size > 0) {
    std::vector<char> text(static_cast<size_t>(size) + 1);
    std::vsnprintf(text.data(), text.size(), format, again);
    WriteText(stream, std::string(text.data(), static_cast<size_t>(size)));
  }
  va_end(again);
}
