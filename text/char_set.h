// Single-byte character sets: lower-casing and decoding of the 8-bit text the
// system holds itself. CurrentCharSet is always windows-1252; iso-8859-1 and
// iso-8859-15 are built and registered too but nothing selects them.
#pragma once
#include "text/growable_array.h"

class CharSet {
 public:
  CharSet();  // registers the new set in CharSetRegistry
  CharSet(const CharSet&) = delete;
  CharSet& operator=(const CharSet&) = delete;
  // Case changes work in place on length bytes; a length of 0 or below does nothing.
  virtual void ToLower(char* bytes, int length) const = 0;
  virtual void ToUpper(char* bytes, int length) const = 0;
  virtual char16_t Decode(unsigned char byte) const = 0;
  virtual const char* Name() const = 0;
  virtual ~CharSet();
};

// Every set, in construction order: windows-1252, iso-8859-1, iso-8859-15.
extern GrowableArray<CharSet*> CharSetRegistry;
extern CharSet* const CurrentCharSet;
