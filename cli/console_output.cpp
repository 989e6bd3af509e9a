// printf-style console output (see console_output.h).
#include "cli/console_output.h"

#include <cstdarg>
#include <vector>

#include "cli/platform.h"

namespace {

std::string FormatArguments(const char* format, va_list arguments) {
  va_list again;
  va_copy(again, arguments);
  const int size = std::vsnprintf(nullptr, 0, format, arguments);
  std::string text;
  if (size > 0) {
    std::vector<char> buffer(static_cast<size_t>(size) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, again);
    text.assign(buffer.data(), static_cast<size_t>(size));
  }
  va_end(again);
  return text;
}

}  // namespace

void PrintFormat(FILE* stream, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const std::string text = FormatArguments(format, arguments);
  va_end(arguments);
  if (!text.empty()) WriteText(stream, text);
}

std::string FormatText(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const std::string text = FormatArguments(format, arguments);
  va_end(arguments);
  return text;
}
