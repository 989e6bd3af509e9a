// ScanPattern: a scanf restricted to caller-supplied number readers. A pattern
// holds literal text, runs of blanks and "%" conversions; each conversion is
// carried out by the reader passed with it. The readers also serve on their own.
#pragma once
#include "text/shared_string.h"

// Reads a number at text + position. On success stores it into target, advances
// position past it and returns true; otherwise leaves both alone. The letter
// picks the base: x or X 16, b or B 2, anything else 10.
typedef bool (*NumberReader)(const char* text, int& position, char letter, void* target);

// Into an int32_t: strtol, clamped to the 32-bit range.
bool ScanLong(const char* text, int& position, char letter, void* target);
// Into a uint16_t / uint8_t: strtoul as on a 32-bit runtime (a magnitude beyond
// 32 bits saturates, "-5" negates), then kept modulo 65536 / 256.
bool ScanUShort(const char* text, int& position, char letter, void* target);
bool ScanUByte(const char* text, int& position, char letter, void* target);

// One element of a parsed pattern.
struct PatternToken {
  char letter = 0;  // 0 for literal and blank tokens, else the letter after "%"
  String text;      // the literal's characters, " " for a blank token, empty for a conversion
  NumberReader reader = nullptr;
  void* target = nullptr;
};

// The arguments after pattern are (NumberReader, void* target) pairs, one per
// conversion in order, closed by a null reader. Returns how many conversions
// succeeded. A failed conversion does not end the scan; a literal that does not
// match does. An empty input gives 0.
int ScanPattern(const String& input, const char* pattern, ...);
