// DateTime: the parse count of every kind of typed date, the normalised text of
// its leading fields, and the formatter's separators.
#include <gtest/gtest.h>

#include "format/date_time.h"

namespace {

String FormatFirst(const DateTime& date, int n) {
  return date.Format(n >= 1, n >= 2, n >= 3, n >= 4, n >= 5, n >= 6);
}

TEST(FormatDateTime, StartsAtTheFirstOfJanuary1900) {
  const DateTime date;
  EXPECT_EQ(date.year, 1900);
  EXPECT_EQ(date.month, 1);
  EXPECT_EQ(date.day, 1);
  EXPECT_EQ(date.hour, 0);
  EXPECT_EQ(date.minute, 0);
  EXPECT_EQ(date.second, 0);
  EXPECT_STREQ(FormatFirst(date, 6).CStr(), "1900-01-01 00:00:00");
}

TEST(FormatDateTime, ParseCountsLeadingFieldsInRangeAndFormatNormalises) {
  struct Case {
    const char* text;
    int count;
    const char* normalised;
  };
  const Case cases[] = {
      {"2004", 1, "2004"},
      {"2004-5", 2, "2004-05"},
      {"2004-05-06", 3, "2004-05-06"},
      {"2004-5-6 7:5:3", 6, "2004-05-06 07:05:03"},
      {"2004-05-06 7:05:30", 6, "2004-05-06 07:05:30"},
      {"", 1, "1900"},
      {"abc", 1, "1900"},
      {"2004-13-01", 1, "2004"},  // month out of range
      {"2004-00-10", 1, "2004"},
      {"2004-02-31", 3, "2004-02-31"},  // no month-length test
      {"2004-05-00", 2, "2004-05"},
      {"2004-05-32", 2, "2004-05"},
      {"2004-05-06 24:00", 3, "2004-05-06"},
      {"2004-05-06 23:60:00", 4, "2004-05-06 23"},
      {"2004-05-06 23:59:60", 5, "2004-05-06 23:59"},
      {"2004-05-06 23:59:59", 6, "2004-05-06 23:59:59"},
      {"2004-13-06 23:59:59", 1, "2004"},  // an early cut drops every later field
      {"2004/05/06", 1, "2004"},
      {"2004-261-01", 3, "2004-05-01"},  // 261 is stored as 5
      {"99", 1, "0099"},                 // low years are the engine's to refuse
      {"65535", 1, "65535"},
      {"70000-1", 2, "4464-01"},
      {"2004-05-0612", 2, "2004-05"},  // the day takes every digit: 612 is stored as 100
      // The hour is missing but the minute is read: four fields are counted,
      // the hour keeps its defined start value and the minute is dropped.
      {"2004-05-06 :30", 4, "2004-05-06 00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    DateTime date;
    const int n = date.Parse(String(c.text));
    EXPECT_EQ(n, c.count);
    EXPECT_STREQ(FormatFirst(date, n).CStr(), c.normalised);
  }
}

TEST(FormatDateTime, FieldsBeyondTheCountTakeDefaults) {
  DateTime date;
  ASSERT_EQ(date.Parse(String("1999-12-31 23:59:59")), 6);
  // A later parse does not inherit anything from the earlier one.
  EXPECT_EQ(date.Parse(String("2004-05-06 23:60:59")), 4);
  EXPECT_EQ(date.year, 2004);
  EXPECT_EQ(date.month, 5);
  EXPECT_EQ(date.day, 6);
  EXPECT_EQ(date.hour, 23);
  EXPECT_EQ(date.minute, 0);
  EXPECT_EQ(date.second, 0);

  EXPECT_EQ(date.Parse(String("2004-05-06 :30")), 4);
  EXPECT_EQ(date.hour, 0);
  EXPECT_EQ(date.minute, 0);

  EXPECT_EQ(date.Parse(String("x")), 1);
  EXPECT_EQ(date.year, 1900);
  EXPECT_EQ(date.month, 1);
  EXPECT_EQ(date.day, 1);
}

TEST(FormatDateTime, FormatSeparatesOnlyBetweenSelectedFields) {
  DateTime date;
  ASSERT_EQ(date.Parse(String("2004-5-6 7:8:9")), 6);
  struct Case {
    bool year, month, day, hour, minute, second;
    const char* expected;
  };
  const Case cases[] = {
      {false, true, false, false, false, false, "05"},
      {false, false, false, true, false, false, "07"},
      {true, false, true, false, false, false, "2004-06"},
      {false, false, true, true, false, false, "06 07"},
      {false, false, false, false, true, true, "08:09"},
      {true, false, false, false, false, true, "2004:09"},
      {false, false, false, false, false, false, ""},
  };
  for (const Case& c : cases) {
    EXPECT_STREQ(date.Format(c.year, c.month, c.day, c.hour, c.minute, c.second).CStr(),
                 c.expected);
  }
}

}  // namespace
