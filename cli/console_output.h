// printf-style output of UTF-8 text to the console streams, through WriteText
// (cli/platform.h), so that a Windows console shows every character.
#pragma once
#include <cstdio>

void PrintFormat(FILE* stream, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
