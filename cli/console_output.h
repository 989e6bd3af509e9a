// printf-style output of UTF-8 text to the console streams, through WriteText
// (cli/platform.h), so that a Windows console shows every character; and the
// same formatting into a string.
#pragma once
#include <cstdio>
#include <string>

#if defined(__GNUC__)
#define MIRALE_PRINTF_FORMAT(formatAt, firstAt) __attribute__((format(printf, formatAt, firstAt)))
#else
#define MIRALE_PRINTF_FORMAT(formatAt, firstAt)
#endif

void PrintFormat(FILE* stream, const char* format, ...) MIRALE_PRINTF_FORMAT(2, 3);

std::string FormatText(const char* format, ...) MIRALE_PRINTF_FORMAT(1, 2);
