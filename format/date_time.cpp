// DateTime parsing through the pattern scanner and formatting through FormatInto.
#include "format/date_time.h"

#include "format/format_string.h"
#include "format/pattern_scanner.h"

namespace {
constexpr uint16_t kDefaultYear = 1900;
}  // namespace

DateTime::DateTime() : year(kDefaultYear), month(1), day(1), hour(0), minute(0), second(0) {}

DateTime::~DateTime() = default;

int DateTime::Parse(const String& text) {
  // A malformed text such as "2004-05-06 :30" counts fields that no conversion
  // set; starting from the defaults keeps them defined and independent of any
  // earlier parse.
  year = kDefaultYear;
  month = day = 1;
  hour = minute = second = 0;
  int n = ScanPattern(text, "%?-%?-%? %?:%?:%?", ScanUShort, &year, ScanUByte, &month, ScanUByte,
                      &day, ScanUByte, &hour, ScanUByte, &minute, ScanUByte, &second,
                      static_cast<NumberReader>(nullptr));
  if (n == 0) {
    year = kDefaultYear;
    n = 1;
  }
  // Each cut is followed by the tests of the fields before it, so n ends as the
  // number of leading fields that are all in range.
  if (n >= 6 && second > 59) n = 5;
  if (n >= 5 && minute > 59) n = 4;
  if (n >= 4 && hour > 23) n = 3;
  if (n >= 3 && (day == 0 || day > 31)) n = 2;
  if (n >= 2 && (month == 0 || month > 12)) n = 1;
  if (n < 2) month = 1;
  if (n < 3) day = 1;
  if (n < 4) hour = 0;
  if (n < 5) minute = 0;
  if (n < 6) second = 0;
  return n;
}

String DateTime::Format(bool withYear, bool withMonth, bool withDay, bool withHour, bool withMinute,
                        bool withSecond) const {
  struct Field {
    bool selected;
    int value;
    const char* separator;
    const char* format;
  };
  const Field fields[] = {
      {withYear, year, "", "%.4d"},      {withMonth, month, "-", "%.2d"},
      {withDay, day, "-", "%.2d"},       {withHour, hour, " ", "%.2d"},
      {withMinute, minute, ":", "%.2d"}, {withSecond, second, ":", "%.2d"},
  };
  String result;
  String number;
  for (const Field& field : fields) {
    if (!field.selected) continue;
    if (!result.IsEmpty()) result.Append(field.separator);
    FormatInto(number, field.format, field.value);
    result.Append(number);
  }
  return result;
}
