// The order in which a person reads file names: runs of digits compare as
// numbers ("2" before "10"), letters without regard to ASCII case.
#pragma once

// Negative, zero or positive as a comes before, with or after b. Names that
// differ only in case or leading zeros compare equal.
int NaturalCompare(const char* a, const char* b);

// A strict order for sorting: the natural order, then the bytes, so that no two
// different names are equivalent.
bool NaturalLess(const char* a, const char* b);
