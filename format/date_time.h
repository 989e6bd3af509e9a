// DateTime: the date typed into the dialog, parsed into up to six numeric fields
// and written back with fixed digits and separators (2004-5-6 7:5:3 becomes
// 2004-05-06 07:05:03). No time zone, no day-of-week, no month-length test.
#pragma once
#include <cstdint>

#include "text/shared_string.h"

class DateTime {
 public:
  DateTime();
  virtual ~DateTime();

  // Reads "year-month-day hour:minute:second" or any leading part of it and
  // returns n, 1 to 6: the number of leading fields supplied and within range.
  // Fields beyond n get month/day 1 and zero times; text without a leading
  // number gives year 1900 and 1. The year is never range-tested here.
  int Parse(const String& text);

  // The selected fields in field order, each preceded by its separator ("-",
  // "-", " ", ":", ":") unless it comes first. Year "%.4d", others "%.2d".
  String Format(bool year, bool month, bool day, bool hour, bool minute, bool second) const;

  uint16_t year;
  uint8_t month, day, hour, minute, second;
};
