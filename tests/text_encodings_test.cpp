// Encodings: windows-1252 decoding, UTF-8 boundaries and surrogates, the UTF-8
// decoder of command-line texts, digit tests and the line splitter.
#include <gtest/gtest.h>

#include <string>

#include "text/encodings.h"

namespace {

std::string Utf8Of(std::u16string units) {
  String out;
  WideToUtf8(WideString(units.c_str()), out);
  return std::string(out.CStr(), static_cast<size_t>(out.Length()));
}

TEST(TextEncodings, WideToUtf8Boundaries) {
  struct Case {
    std::u16string in;
    std::string out;
  };
  const Case cases[] = {
      {u"", ""},
      {u"\u007F", "\x7F"},
      {u"\u0080", "\xC2\x80"},
      {u"\u07FF", "\xDF\xBF"},
      {u"\u0800", "\xE0\xA0\x80"},
      {u"\uFFFF", "\xEF\xBF\xBF"},
      {u"A\u00E9\u20AC", "A\xC3\xA9\xE2\x82\xAC"},
      {u"\U0001F3B5", "\xF0\x9F\x8E\xB5"},                            // a valid pair
      {std::u16string(1, char16_t(0xD83C)), "\xEF\xBF\xBD"},          // lone high
      {std::u16string(1, char16_t(0xDFB5)) + u"x", "\xEF\xBF\xBDx"},  // lone low
      {std::u16string{char16_t(0xD83C), u'a'},
       "\xEF\xBF\xBD"
       "a"},  // high without low
  };
  for (const Case& c : cases) EXPECT_EQ(Utf8Of(c.in), c.out);
}

TEST(TextEncodings, Utf8ToWideRoundTripsAndReplacesMalformedInput) {
  struct Case {
    const char* in;
    std::u16string out;
  };
  const Case cases[] = {
      {"", u""},
      {"Caf\xC3\xA9", u"Caf\u00E9"},
      {"\xE2\x82\xAC", u"\u20AC"},
      {"\xF0\x9F\x8E\xB5", u"\U0001F3B5"},
      {"\xC3", u"\uFFFD"},            // cut sequence
      {"\xC0\xAF", u"\uFFFD\uFFFD"},  // overlong lead
      {"\xED\xA0\x80", u"\uFFFD"},    // encoded surrogate
      {"a\xFFz", u"a\uFFFDz"},
      {"\xE0\x80\xAF", u"\uFFFD"},      // overlong 3-byte '/'
      {"\xF0\x80\x80\xAF", u"\uFFFD"},  // overlong 4-byte '/'
      {"\xF0\x8F\xBF\xBF", u"\uFFFD"},  // overlong 4-byte U+FFFF
      {"\xF4\x90\x80\x80", u"\uFFFD"},  // U+110000, above the last code point
      {"\xED\x9F\xBF", u"\uD7FF"},      // just below the surrogates
      {"\xEE\x80\x80", u"\uE000"},      // just above them
      {"\x7F", u"\x7F"},                // the last of each length
      {"\xDF\xBF", u"\u07FF"},
      {"\xEF\xBF\xBF", u"\uFFFF"},
      {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
      {"\x80", u"\uFFFD"},  // lone continuation bytes
      {"a\xBF\x62", u"a\uFFFDb"},
      {"\xE2\x82\x61", u"\uFFFDa"},  // truncated, then ASCII (a, z)
      {"\xF0\x9F\x8E\x7A", u"\uFFFDz"},
  };
  for (const Case& c : cases) {
    WideString wide;
    Utf8ToWide(c.in, wide);
    EXPECT_TRUE(wide.Equals(c.out.c_str())) << c.in;
  }
}

TEST(TextEncodings, DecodeToWideGoesThroughWindows1252) {
  WideString wide;
  DecodeToWide(String("\x80\xE9\x81"
                      "a"),
               wide);
  EXPECT_TRUE(wide.Equals(u"\u20AC\u00E9\u0081a"));
  DecodeToWide(String(), wide);
  EXPECT_EQ(wide.Length(), 0);
}

TEST(TextEncodings, DigitTests) {
  for (int b = 0; b < 256; ++b) {
    EXPECT_EQ(IsDigitChar(static_cast<unsigned char>(b)), b >= 0x30 && b <= 0x39) << b;
  }
  struct Case {
    char16_t unit;
    bool digit;
  };
  const Case cases[] = {{0x0BE6, false}, {0x0BE7, true}, {0x0660, true},  {0x0669, true},
                        {0x066A, false}, {0x0F29, true}, {0x0F2A, false}, {0x00B2, false}};
  for (const Case& c : cases) EXPECT_EQ(IsUnicodeDigit(c.unit), c.digit) << int(c.unit);
}

TEST(TextEncodings, SplitLinesAtEveryKindOfBreak) {
  struct Case {
    std::u16string text;
    std::vector<std::u16string> lines;
  };
  const Case cases[] = {
      {u"", {}},
      {u"a", {u"a"}},
      {u"a\r\nb", {u"a", u"b"}},
      {u"a\n", {u"a", u""}},
      {u"a\r\rb", {u"a", u"", u"b"}},
      {u"a\r", {u"a", u""}},
      {u"x\r\ny\rz\n", {u"x", u"y", u"z", u""}},
      {u"\n\n", {u"", u"", u""}},
  };
  for (const Case& c : cases) {
    GrowableArray<WideString> lines;
    lines.Resize(5);  // leftovers from an earlier split must go
    SplitLines(WideString(c.text.c_str()), lines);
    ASSERT_EQ(lines.Count(), static_cast<int>(c.lines.size()));
    for (int i = 0; i < lines.Count(); ++i) {
      EXPECT_TRUE(lines[i].Equals(c.lines[i].c_str())) << i;
    }
  }
}

}  // namespace
