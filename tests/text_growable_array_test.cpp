// GrowableArray: minimum capacity from the element size, doubling, byte-copy
// relocation that leaves reference counts alone, Resize and RemoveAll.
#include <gtest/gtest.h>

#include "text/growable_array.h"
#include "text/shared_string.h"

namespace {

struct Sixteen {
  int64_t a = 0;
  int64_t b = 0;
};

class CountingArray : public GrowableArray<String> {
 public:
  void OnRemove(int first, int count) override {
    lastFirst = first;
    lastCount = count;
  }
  int lastFirst = -1;
  int lastCount = -1;
};

TEST(TextGrowableArray, CapacityStartsAtFiveHundredTwelveBytesThenDoubles) {
  GrowableArray<String> strings;
  const int minimum = static_cast<int>(512 / sizeof(String));
  EXPECT_EQ(GrowableArray<String>::MinimumCapacity(), minimum);
  EXPECT_EQ(GrowableArray<Sixteen>::MinimumCapacity(), 32);
  EXPECT_EQ(GrowableArray<int32_t>::MinimumCapacity(), 128);

  String shared("kept");
  strings.Append(shared);
  EXPECT_EQ(strings.Capacity(), minimum);
  for (int i = 1; i < minimum; ++i) strings.Append(shared);
  EXPECT_EQ(shared.ReferenceCount(), minimum + 1);
  strings.Append(shared);  // the move to doubled storage copies bytes only
  EXPECT_EQ(strings.Capacity(), 2 * minimum);
  EXPECT_EQ(shared.ReferenceCount(), minimum + 2);
  EXPECT_STREQ(strings[0].CStr(), "kept");
  EXPECT_STREQ(strings[minimum].CStr(), "kept");

  GrowableArray<Sixteen> records;
  records.Append(Sixteen());
  EXPECT_EQ(records.Capacity(), 32);
}

TEST(TextGrowableArray, ResizeDestroysAndConstructsAtTheEnd) {
  CountingArray strings;
  String a("a");
  String b("b");
  String c("c");
  strings.Append(a);
  strings.Append(b);
  strings.Append(c);
  strings.Resize(1);
  EXPECT_EQ(strings.lastFirst, 1);
  EXPECT_EQ(strings.lastCount, 2);
  EXPECT_EQ(b.ReferenceCount(), 1);
  EXPECT_EQ(c.ReferenceCount(), 1);
  EXPECT_EQ(a.ReferenceCount(), 2);
  strings.Resize(3);
  EXPECT_EQ(strings.Count(), 3);
  EXPECT_TRUE(strings[2].IsEmpty());
  EXPECT_STREQ(strings[0].CStr(), "a");
}

TEST(TextGrowableArray, RemoveAllFreesStorageAndTheArrayStaysUsable) {
  CountingArray strings;
  String a("a");
  strings.Append(a);
  strings.Append(a);
  strings.RemoveAll();
  EXPECT_EQ(strings.Count(), 0);
  EXPECT_EQ(strings.Capacity(), 0);
  EXPECT_EQ(strings.Items(), nullptr);
  EXPECT_EQ(strings.lastCount, 2);
  EXPECT_EQ(a.ReferenceCount(), 1);
  strings.Append(a);
  EXPECT_EQ(strings.Capacity(), GrowableArray<String>::MinimumCapacity());
}

TEST(TextGrowableArray, AppendingAnElementOfTheArrayItselfSurvivesTheMove) {
  GrowableArray<String> strings;
  strings.Append(String("first"));
  while (strings.Count() < strings.Capacity()) strings.Append(String("x"));
  strings.Append(strings[0]);  // the source lives in the storage that moves
  EXPECT_STREQ(strings[strings.Count() - 1].CStr(), "first");
}

}  // namespace
