// FormatInto and its bound: printf results, the bound's arithmetic and argument
// walk, the scratch buffers and how the target's buffer is reused or replaced.
#include "format/format_string.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstring>
#include <string>

namespace {

int Estimate(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int bound = EstimateFormatLength(format, args);
  va_end(args);
  return bound;
}

std::string Formatted(const char* format, int value) {
  String target;
  FormatInto(target, format, value);
  return target.CStr();
}

TEST(FormatString, IntegerConversions) {
  struct Case {
    const char* format;
    int value;
    const char* expected;
  };
  const Case cases[] = {
      {"%d", 0, "0"},
      {"%d", -42, "-42"},
      {"%.4d", 5, "0005"},
      {"%.2d", 123, "123"},
      {"%.4d", 12345, "12345"},
      {"%5d|", 42, "   42|"},
      {"%-4d|", 7, "7   |"},
      {"%+d", 3, "+3"},
      {"track %d", 9, "track 9"},
      {"100%% %d", 1, "100% 1"},
      {"%d", -2147483647 - 1, "-2147483648"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    EXPECT_EQ(Formatted(c.format, c.value), c.expected);
  }
  String target;
  FormatInto(target, "%x/%X/%o/%c", 255, 171, 8, 'q');
  EXPECT_STREQ(target.CStr(), "ff/AB/10/q");
}

TEST(FormatString, BoundAddsWidthPrecisionAndTextLengths) {
  struct Case {
    const char* what;
    int bound;
    int expected;
  };
  const char* null = nullptr;
  const Case cases[] = {
      {"plain text", Estimate("abc"), 4},
      {"one int", Estimate("%d", 5), 3 + 30},
      {"width and precision digits", Estimate("%12.3d", 5), 7 + 12 + 3 + 30},
      {"star width, negative", Estimate("%*d", -7, 5), 4 + 7 + 30},
      {"star precision", Estimate("%.*d", 9, 5), 5 + 9 + 30},
      {"text length", Estimate("[%s]", "hello"), 5 + 30 + 5},
      {"null text", Estimate("%s", null), 3 + 30 + 6},
      {"percent twice", Estimate("%%"), 3 + 30},
      {"double", Estimate("%f", 1.5), 3 + 30 + 307},
      {"lone percent at the end", Estimate("a%"), 3 + 30},
      // The walk must take each argument with its own type to find the next.
      {"double then text", Estimate("%f%s", 2.0, "xyz"), 5 + 30 + 307 + 30 + 3},
      {"int then text", Estimate("%d%s", 1, "abcdef"), 5 + 30 + 30 + 6},
      {"star then text", Estimate("%*s", 4, "ab"), 4 + 4 + 30 + 2},
      {"long long then text", Estimate("%lld%s", 1LL << 40, "ab"), 7 + 30 + 30 + 2},
  };
  for (const Case& c : cases) EXPECT_EQ(c.bound, c.expected) << c.what;
}

// Estimates and formats from one list, then reads the list's first argument:
// neither call may have consumed the caller's list.
int FirstArgumentAfterUse(String& target, const char* format, ...) {
  va_list args;
  va_start(args, format);
  EstimateFormatLength(format, args);
  FormatIntoV(target, format, args);
  const int first = va_arg(args, int);
  va_end(args);
  return first;
}

TEST(FormatString, TheCallersListIsNotConsumed) {
  String target;
  EXPECT_EQ(FirstArgumentAfterUse(target, "%d-%d", 11, 22), 11);
  EXPECT_STREQ(target.CStr(), "11-22");
}

TEST(FormatString, LongTextGoesThroughTheHeapScratchBuffer) {
  const std::string long_text(1000, 'x');
  String target("old");
  FormatInto(target, "<%s>", long_text.c_str());
  EXPECT_EQ(target.Length(), 1002);
  EXPECT_EQ(std::string(target.CStr()), "<" + long_text + ">");
  // Just below and just above the stack buffer's 256 bytes.
  for (int n : {200, 223, 224, 225, 300}) {
    const std::string text(static_cast<size_t>(n), 'y');
    FormatInto(target, "%s", text.c_str());
    EXPECT_EQ(std::string(target.CStr()), text) << n;
  }
}

TEST(FormatString, NullTextPrintsAsNull) {
  String target;
  // Opaque to the compiler, which would otherwise reject a literal null here.
  const char* volatile null = nullptr;
  FormatInto(target, "[%s]", null);
  EXPECT_STREQ(target.CStr(), "[(null)]");
}

TEST(FormatString, EmptyOutputEmptiesTheTargetOnlyWhenItHadText) {
  String target("abc");
  FormatInto(target, "%s", "");
  EXPECT_TRUE(target.UsesSharedEmptyBuffer());

  String untouched;
  untouched.Assign("");  // a private buffer of length 0
  const void* before = untouched.BufferAddress();
  FormatInto(untouched, "%s", "");
  EXPECT_EQ(untouched.BufferAddress(), before);

  String from_null_format("abc");
  FormatInto(from_null_format, nullptr);
  EXPECT_TRUE(from_null_format.UsesSharedEmptyBuffer());
}

TEST(FormatString, TargetBufferFollowsTheBlockRule) {
  String sole("abcdef");
  const void* before = sole.BufferAddress();
  FormatInto(sole, "%d", 12);
  EXPECT_STREQ(sole.CStr(), "12");
  EXPECT_EQ(sole.BufferAddress(), before);  // same block count: reused in place

  String longer(std::string(70, 'z').c_str());
  FormatInto(longer, "%d", 12);
  EXPECT_STREQ(longer.CStr(), "12");
  EXPECT_EQ(longer.ReferenceCount(), 1);

  String original("keep me");
  String shared(original);
  FormatInto(shared, "%d", 7);
  EXPECT_STREQ(original.CStr(), "keep me");
  EXPECT_STREQ(shared.CStr(), "7");
  EXPECT_EQ(original.ReferenceCount(), 1);
  EXPECT_EQ(shared.ReferenceCount(), 1);
}

}  // namespace
