// String: reference counts, the 64-byte block rule, the shared empty buffer,
// substrings, trimming and the block allocator's markers.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "text/block_alloc.h"
#include "text/shared_string.h"

namespace {

String Repeat(char c, int n) {
  String s;
  for (int i = 0; i < n; ++i) s.Append(c);
  return s;
}

TEST(TextString, EmptyValuesShareTheStaticBufferWithoutCounting) {
  String a;
  String b(static_cast<const char*>(nullptr));
  String c("");
  String d(a);
  for (const String* s : {&a, &b, &c, &d}) {
    EXPECT_TRUE(s->UsesSharedEmptyBuffer());
    EXPECT_EQ(s->ReferenceCount(), 0x7FFFFFFF);
    EXPECT_STREQ(s->CStr(), "");
  }
  d = a;
  a.Clear();
  EXPECT_EQ(d.ReferenceCount(), 0x7FFFFFFF);
  EXPECT_EQ(a.GetBuffer(), nullptr);
}

TEST(TextString, CopiesShareUntilOneChanges) {
  String a("abc");
  String b(a);
  EXPECT_EQ(a.BufferAddress(), b.BufferAddress());
  EXPECT_EQ(a.ReferenceCount(), 2);
  b.Append('d');
  EXPECT_STREQ(a.CStr(), "abc");
  EXPECT_STREQ(b.CStr(), "abcd");
  EXPECT_EQ(a.ReferenceCount(), 1);
  EXPECT_EQ(b.ReferenceCount(), 1);
  EXPECT_NE(a.BufferAddress(), b.BufferAddress());

  String c(a);
  c.GetBuffer()[0] = 'X';
  EXPECT_STREQ(a.CStr(), "abc");
  EXPECT_STREQ(c.CStr(), "Xbc");
}

TEST(TextString, BufferMovesExactlyWhenTheBlockCountChanges) {
  struct Case {
    int from;
    int to;
    bool moves;
  };
  const Case cases[] = {{62, 63, false},  {63, 64, true},   {64, 63, true},
                        {64, 127, false}, {127, 128, true}, {1, 0, false}};
  for (const Case& c : cases) {
    String s = Repeat('x', c.from);
    const void* before = s.BufferAddress();
    s.SetLength(c.to, 0);
    EXPECT_EQ(s.BufferAddress() != before, c.moves) << c.from << " -> " << c.to;
    EXPECT_EQ(s.Length(), c.to);
    EXPECT_EQ(s.CStr()[c.to], '\0');
    const int kept = c.from < c.to ? c.from : c.to;
    for (int i = 0; i < kept; ++i) ASSERT_EQ(s[i], 'x');
  }
  EXPECT_EQ(SharedBuffer<char>::BlockCount(0), 1);
  EXPECT_EQ(SharedBuffer<char>::BlockCount(63), 1);
  EXPECT_EQ(SharedBuffer<char>::BlockCount(64), 2);
}

TEST(TextString, TrimRightAcrossABlockBoundaryKeepsTheText) {
  String s = Repeat('a', 63);
  s.Append(' ');
  const void* before = s.BufferAddress();
  s.TrimRight();
  EXPECT_NE(s.BufferAddress(), before);
  EXPECT_EQ(s.Length(), 63);
  EXPECT_TRUE(s.Equals(Repeat('a', 63).CStr()));
}

TEST(TextString, TrimDefaultSetAndEdgeSets) {
  String s("\t  abc \r\n");
  s.TrimLeft();
  s.TrimRight();
  EXPECT_STREQ(s.CStr(), "abc");

  String spaces("    ");
  spaces.TrimLeft();
  EXPECT_EQ(spaces.Length(), 0);
  EXPECT_FALSE(spaces.UsesSharedEmptyBuffer());

  String kept(" x ");
  const void* before = kept.BufferAddress();
  kept.TrimLeft("");
  kept.TrimRight("");
  EXPECT_STREQ(kept.CStr(), " x ");
  EXPECT_EQ(kept.BufferAddress(), before);
}

TEST(TextString, SubstringsClampTheirCounts) {
  struct Case {
    String result;
    const char* expected;
  };
  const String abc("abc");
  const String abcd("abcd");
  const Case cases[] = {
      {abc.Left(-1), ""},       {abc.Left(100), "abc"},  {abc.Left(2), "ab"},
      {abcd.Right(2), "cd"},    {abcd.Right(9), "abcd"}, {abcd.Mid(1), "bcd"},
      {abcd.Mid(1, 10), "bcd"}, {abcd.Mid(1, -3), ""},   {abcd.Mid(4), ""},
  };
  for (const Case& c : cases) {
    EXPECT_STREQ(c.result.CStr(), c.expected);
    EXPECT_FALSE(c.result.UsesSharedEmptyBuffer());  // each result has its own buffer
    EXPECT_EQ(c.result.ReferenceCount(), 1);
  }
}

TEST(TextString, AssignAppendAndEquals) {
  String s("abc");
  s.Assign(s);
  EXPECT_STREQ(s.CStr(), "abc");
  s.Append(static_cast<const char*>(nullptr));
  s.Append("");
  EXPECT_STREQ(s.CStr(), "abc");
  s.Append(s);  // appending itself
  EXPECT_STREQ(s.CStr(), "abcabc");
  s.Assign(s.CStr() + 3);  // assigning part of itself
  EXPECT_STREQ(s.CStr(), "abc");
  s.Assign(static_cast<const char*>(nullptr));
  EXPECT_TRUE(s.UsesSharedEmptyBuffer());
  EXPECT_TRUE(s.Equals(nullptr));
  EXPECT_TRUE(s.Equals(""));
  EXPECT_FALSE(String("OGG").Equals("ogg"));
  EXPECT_FALSE(String("og").Equals("ogg"));

  String big = Repeat('z', 200);
  big.Append(big);
  EXPECT_EQ(big.Length(), 400);
  EXPECT_EQ(big[399], 'z');

  String withNul;
  withNul.Append('a');
  withNul.Append('\0');
  EXPECT_EQ(withNul.Length(), 2);
}

TEST(TextString, ConcatAlwaysMakesAFreshBuffer) {
  String empty;
  String path("a.ogg");
  String old = Concat(path, ".old");
  EXPECT_STREQ(old.CStr(), "a.ogg.old");
  EXPECT_STREQ(Concat("x/", path).CStr(), "x/a.ogg");
  String fresh = Concat(empty, "");
  EXPECT_FALSE(fresh.UsesSharedEmptyBuffer());
  EXPECT_STREQ(Concat(path, nullptr).CStr(), "a.ogg");
  EXPECT_EQ(path.ReferenceCount(), 1);
}

TEST(TextString, BlockMarkersFindTheBlockForBothAlignments) {
  alignas(8) unsigned char raw[32] = {};
  void* aligned = BlockMark(raw);
  EXPECT_EQ(aligned, raw + 8);
  uint32_t marker;
  std::memcpy(&marker, raw + 4, 4);
  EXPECT_EQ(marker, 0x11111111u);
  EXPECT_EQ(BlockStart(aligned), raw);

  void* shifted = BlockMark(raw + 4);
  EXPECT_EQ(shifted, raw + 8);
  std::memcpy(&marker, raw + 4, 4);
  EXPECT_EQ(marker, 0x22222222u);
  EXPECT_EQ(BlockStart(shifted), raw + 4);

  void* p = BlockAlloc(13);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 8, 0u);
  BlockFree(p);
}

}  // namespace
