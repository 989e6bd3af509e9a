// The pattern scanner: the three number readers and the matching of patterns
// made of literals, blank runs and conversions.
#include <gtest/gtest.h>

#include <cstdint>

#include "format/pattern_scanner.h"

namespace {

enum class Width { kLong, kUShort, kUByte };

struct ReaderCase {
  Width width;
  const char* text;
  int start;
  char letter;
  bool ok;
  long long value;  // meaningful when ok
  int end;          // the position afterwards
};

// Runs one reader on a target prefilled with a sentinel; returns what it stored.
long long RunReader(const ReaderCase& c, bool& ok, int& position) {
  position = c.start;
  switch (c.width) {
    case Width::kLong: {
      int32_t target = 777;
      ok = ScanLong(c.text, position, c.letter, &target);
      return target;
    }
    case Width::kUShort: {
      uint16_t target = 777;
      ok = ScanUShort(c.text, position, c.letter, &target);
      return target;
    }
    case Width::kUByte:
    default: {
      uint8_t target = 77;
      ok = ScanUByte(c.text, position, c.letter, &target);
      return target;
    }
  }
}

TEST(FormatPatternScanner, NumberReadersStoreTheirWidthAndAdvance) {
  const ReaderCase cases[] = {
      {Width::kLong, "12 - Title", 0, 0, true, 12, 2},
      {Width::kLong, "ab 17x", 2, 0, true, 17, 5},  // leading blank skipped
      {Width::kLong, "-42", 0, '?', true, -42, 3},
      {Width::kLong, "99999999999", 0, 0, true, 2147483647, 11},
      {Width::kLong, "-99999999999", 0, 0, true, -2147483647LL - 1, 12},
      {Width::kLong, "Title", 0, 0, false, 777, 0},
      {Width::kLong, "", 0, 0, false, 777, 0},
      {Width::kUByte, "261", 0, '?', true, 5, 3},
      {Width::kUByte, "ff", 0, 'x', true, 255, 2},
      {Width::kUByte, "0XfF", 0, 'X', true, 255, 4},
      {Width::kUByte, "101", 0, 'b', true, 5, 3},
      {Width::kUByte, "1012", 0, 'B', true, 5, 3},
      {Width::kUByte, "2", 0, 'b', false, 77, 0},
      {Width::kUByte, "ff", 0, 'd', false, 77, 0},
      {Width::kUByte, "-5", 0, 0, true, 251, 2},
      {Width::kUByte, "+7", 0, 0, true, 7, 2},
      {Width::kUShort, "70000", 0, 0, true, 4464, 5},
      {Width::kUShort, "65535", 0, 0, true, 65535, 5},
      {Width::kUShort, "-1", 0, 0, true, 65535, 2},
      // Beyond 32 bits the runtime saturates before the value is cut to width.
      {Width::kUShort, "99999999999", 0, 0, true, 65535, 11},
      {Width::kUShort, "-", 0, 0, false, 777, 0},
  };
  for (const ReaderCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.text << " at " << c.start << " letter " << +c.letter);
    bool ok = false;
    int position = -1;
    const long long value = RunReader(c, ok, position);
    EXPECT_EQ(ok, c.ok);
    EXPECT_EQ(value, c.value);
    EXPECT_EQ(position, c.end);
  }
}

struct DateFields {
  uint16_t year = 0;
  uint8_t month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

int ScanDate(const char* text, DateFields& f) {
  return ScanPattern(String(text), "%?-%?-%? %?:%?:%?", ScanUShort, &f.year, ScanUByte, &f.month,
                     ScanUByte, &f.day, ScanUByte, &f.hour, ScanUByte, &f.minute, ScanUByte,
                     &f.second, static_cast<NumberReader>(nullptr));
}

TEST(FormatPatternScanner, DatePatternCountsSuccessfulConversions) {
  struct Case {
    const char* text;
    int count;
    int year, month, day, hour, minute, second;  // 0 where nothing is stored
  };
  const Case cases[] = {
      {"", 0, 0, 0, 0, 0, 0, 0},
      {"2004", 1, 2004, 0, 0, 0, 0, 0},
      {"2004-05", 2, 2004, 5, 0, 0, 0, 0},
      {"2004-05-06", 3, 2004, 5, 6, 0, 0, 0},
      {"2004-05-06 12:34:56", 6, 2004, 5, 6, 12, 34, 56},
      {"2004-05-06   12", 4, 2004, 5, 6, 12, 0, 0},
      {"2004-05-06 \t12:3", 5, 2004, 5, 6, 12, 3, 0},
      {"2004-05-0612", 3, 2004, 5, 612 % 256, 0, 0, 0},  // day takes every digit
      {"2004-05-06 :30", 4, 2004, 5, 6, 0, 30, 0},       // the hour fails, the scan goes on
      {"2004/05/06", 1, 2004, 0, 0, 0, 0, 0},
      {"abc", 0, 0, 0, 0, 0, 0, 0},
      {"-5-6", 2, 65531, 6, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    DateFields f;
    EXPECT_EQ(ScanDate(c.text, f), c.count);
    EXPECT_EQ(f.year, c.year);
    EXPECT_EQ(f.month, c.month);
    EXPECT_EQ(f.day, c.day);
    EXPECT_EQ(f.hour, c.hour);
    EXPECT_EQ(f.minute, c.minute);
    EXPECT_EQ(f.second, c.second);
  }
}

TEST(FormatPatternScanner, LiteralsBlanksAndPercents) {
  struct Case {
    const char* pattern;
    const char* input;
    int count;
    int first, second;  // -1 where nothing is stored
  };
  const Case cases[] = {
      {"%d,%d", ",7", 1, -1, 7},       // a failed conversion does not stop the scan
      {"%d,%d", "3;7", 1, 3, -1},      // a literal that does not match does
      {"abcdef%d", "abc", 0, -1, -1},  // literal longer than the whole input
      {"v%d.%d", "v3.14", 2, 3, 14},  {"%d %d", "1 \t 2", 2, 1, 2},  // a blank run takes any mix
      {"%d %d", "12", 1, 12, -1},                                    // ... or nothing at all
      {"%d\t\t%d", "1 2", 2, 1, 2},   {"%%%d", "%5", 1, 5, -1},      // "%%" is a literal "%"
      {"a%%b%d", "a%b9", 1, 9, -1},   {"%d%", "5", 1, 5, -1},  // a lone "%" at the end is dropped
      {"%x-%b", "ff-11", 2, 255, 3},                           // the letter reaches the reader
      {"  %d", "42", 1, 42, -1},      {"%d-%d", "", 0, -1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pattern << " on " << c.input);
    int32_t first = -1;
    int32_t second = -1;
    EXPECT_EQ(ScanPattern(String(c.input), c.pattern, ScanLong, &first, ScanLong, &second,
                          static_cast<NumberReader>(nullptr)),
              c.count);
    EXPECT_EQ(first, c.first);
    EXPECT_EQ(second, c.second);
  }
}

TEST(FormatPatternScanner, ConversionsWithoutAReaderEndTheScan) {
  int32_t first = -1;
  int32_t third = -1;
  // Only one pair for two conversions: the second has no reader.
  EXPECT_EQ(
      ScanPattern(String("1-2"), "%d-%d", ScanLong, &first, static_cast<NumberReader>(nullptr)), 1);
  EXPECT_EQ(first, 1);
  // A null target leaves the conversion to the literal rule, which ends the scan.
  first = -1;
  EXPECT_EQ(ScanPattern(String("1-2-3"), "%d-%d-%d", ScanLong, &first, ScanLong,
                        static_cast<void*>(nullptr), ScanLong, &third,
                        static_cast<NumberReader>(nullptr)),
            1);
  EXPECT_EQ(third, -1);
}

}  // namespace
