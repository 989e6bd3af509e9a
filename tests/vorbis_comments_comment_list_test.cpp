// The shared comment list: what is appended reads back as it was and leaves the
// reader right after the list; a list cut anywhere, or claiming more entries
// than its bytes can hold, is refused.
#include <gtest/gtest.h>

#include <string>

#include "vorbis_comments/comment_list.h"

namespace {

std::string Encoded(const std::string& vendor, const std::vector<std::string_view>& entries) {
  std::string bytes;
  ByteWriter out(bytes);
  AppendCommentList(out, vendor, entries);
  return bytes;
}

TEST(CommentList, ReadsBackWhatWasAppendedAndStopsAfterIt) {
  const std::string binary("A=\0\xFF", 4);
  const std::string bytes = Encoded("vendor", {"TITLE=x", "", binary}) + '\x01';
  ByteReader in(bytes);
  CommentList list;
  ASSERT_TRUE(ReadCommentList(in, list));
  EXPECT_EQ(list.vendor, "vendor");
  EXPECT_EQ(list.entries, (std::vector<std::string>{"TITLE=x", "", binary}));
  EXPECT_EQ(in.Remaining(), 1u);  // the byte after the list is the caller's
}

TEST(CommentList, RefusesACutListAndAnImpossibleCount) {
  const std::string bytes = Encoded("v", {"A=1", "B=22"});
  for (size_t length = 0; length < bytes.size(); ++length) {
    ByteReader in(bytes.data(), length);
    CommentList list;
    EXPECT_FALSE(ReadCommentList(in, list)) << length;
  }
  // Four billion entries in a few bytes: refused before anything is sized.
  const std::string lying =
      Encoded("v", {}).substr(0, 5) + std::string("\xFF\xFF\xFF\xFF\0\0\0\0", 8);
  ByteReader in(lying);
  CommentList list;
  EXPECT_FALSE(ReadCommentList(in, list));
}

}  // namespace
