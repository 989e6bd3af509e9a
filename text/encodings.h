// Conversions between the system's three encodings: 8-bit text (decoded through
// CurrentCharSet, windows-1252), UTF-16 (WideString) and UTF-8 (tag values);
// the digit tests of the file-name parser and the line splitter of the trace control.
#pragma once
#include "text/growable_array.h"
#include "text/shared_string.h"
#include "text/wide_string.h"

// Byte by byte through CurrentCharSet.
void DecodeToWide(const String& source, WideString& target);
// UTF-16 to UTF-8. A valid surrogate pair becomes one four-byte sequence and a
// lone surrogate becomes U+FFFD, so the output is always valid UTF-8.
void WideToUtf8(const WideString& source, String& target);
// UTF-8 to UTF-16 (command-line texts); malformed sequences become U+FFFD.
void Utf8ToWide(const char* source, WideString& target);

bool IsDigitChar(unsigned char byte);
bool IsUnicodeDigit(char16_t unit);

// Splits at CR LF, lone CR and lone LF; n breaks give n + 1 lines, the empty
// text gives none.
void SplitLines(const WideString& text, GrowableArray<WideString>& lines);
