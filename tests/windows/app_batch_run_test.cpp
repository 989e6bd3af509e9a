// Whole runs of the real dialog on generated files: each result colour, the
// tags in the files afterwards, the timer order, repeated and empty runs, a
// drop during a run, and a picture of the dialog.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/padding_policy.h"
#include "engine/message_table.h"
#include "tests/support/flac_check.h"
#include "tests/support/temp_folder.h"
#include "tests/windows/app_dialog_harness.h"
#include "tools/flac_fixtures.h"
#include "tools/ogg_fixtures.h"
#include "tools/stream_probe.h"

namespace {

using namespace app_test;
namespace fs = std::filesystem;

const std::u16string kOk = u" OK";

class BatchRunTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetDialog(); }

  // 8-bit windows-1252 texts of the message table as the trace control holds them
  // (all of them are Latin-1 characters).
  static std::u16string Wide(const char* prefix, const char* text = "") {
    std::u16string out;
    for (const char* part : {prefix, text}) {
      for (const char* p = part; *p != 0; ++p) {
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(*p)));
      }
    }
    return out;
  }

  TempFolder folder_;
};

TEST_F(BatchRunTest, ABadDateLeavesEveryFileAtItsOwnPath) {
  const fixtures::Bytes original = fixtures::Basic();
  const std::string first = folder_.Put("A - One.ogg", original);
  const std::string second = folder_.Put("A - Two.ogg", original);
  Click(1007);
  Type(1008, L"999");
  Drop({first, second});
  ASSERT_TRUE(RunAll());
  for (int line = 0; line < 2; ++line) {
    EXPECT_EQ(LastSegment(line), Wide(" ", CurrentMessages().BadDate));
    EXPECT_EQ(LastColour(line), 0x0000C8u);
  }
  for (const std::string& path : {first, second}) {
    EXPECT_EQ(fixtures::ReadFile(path), original);
    EXPECT_FALSE(fs::exists(path + ".old"));
  }
}

TEST_F(BatchRunTest, EachOutcomeGetsItsColouredSegment) {
  const std::string green = folder_.Put("01 - Band - Song.ogg", fixtures::Basic());
  const std::string orange = folder_.Put("NoSeparator.ogg", fixtures::Basic());
  const std::string locked = folder_.Put("locked.ogg", fixtures::Basic());
  const std::string gone = folder_.Put("gone.ogg", fixtures::Basic());
  SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY);
  Click(1004);
  Type(1006, L"Caf\u00E9 Album");
  Click(1013);
  Drop({green, orange, locked, gone});
  ASSERT_EQ(FileList.Count(), 4);
  fs::remove(gone);

  ASSERT_TRUE(RunAll());
  const MessageTable& m = CurrentMessages();
  ASSERT_EQ(Trace.LineCount(), 6);
  EXPECT_EQ(LastSegment(0), kOk);
  EXPECT_EQ(LastColour(0), 0x00C800u);
  EXPECT_EQ(LastSegment(1), Wide(" \xB1OK : ", m.SeparatorNotFound));
  EXPECT_EQ(LastColour(1), 0x0096C8u);
  EXPECT_EQ(LastSegment(2), Wide(" ", m.FileIsReadOnly));
  EXPECT_EQ(LastColour(2), 0x0000C8u);
  EXPECT_EQ(LastSegment(3), Wide(" ", m.CannotOpenInput));  // gone before its turn
  EXPECT_EQ(LastColour(3), 0x0000C8u);
  EXPECT_EQ(LastSegment(4), Wide(m.AllDone));
  EXPECT_EQ(LastColour(4), 0xC80000u);
  EXPECT_TRUE(IsWindowEnabled(Item(1017)));
  EXPECT_TRUE(IsWindowEnabled(Item(1006)));
  EXPECT_EQ(GetFocus(), Item(1017));  // the focus comes back to "Retag !"

  EXPECT_EQ(
      inspect::CommentEntriesOf(green),
      (std::vector<std::string>{"TITLE=Fixture Title", "ALBUM=Caf\xC3\xA9 Album", "ARTIST=Band"}));
  EXPECT_EQ(inspect::CommentEntriesOf(orange).back(), "ARTIST=");
  EXPECT_FALSE(fs::exists(locked + ".old"));
  SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);

  // "Retag !" again over the same list: the earlier lines are cleared first.
  ASSERT_TRUE(RunAll());
  EXPECT_EQ(Trace.LineCount(), 6);
  EXPECT_EQ(LastSegment(0), kOk);
}

// A .flac drop is retagged as an Ogg one, with the same line; the FLAC file
// gets the padding of mirale-cli's policy, the Ogg file none, as ever.
TEST_F(BatchRunTest, AFlacDropIsRetaggedWithPaddingAndAnOggDropWithout) {
  const fixtures::Bytes flac = fixtures::MakeFlacShape("flac-no-padding");
  const std::string song = folder_.Put("Band - Song.FLAC", flac);
  const std::string other = folder_.Put("Band - Other.ogg", fixtures::Basic());
  Click(1004);
  Type(1006, L"Caf\u00E9 Album");
  Click(1013);
  Drop({song, other});
  ASSERT_EQ(FileList.Count(), 2);
  ASSERT_TRUE(RunAll());
  EXPECT_EQ(LastSegment(0), kOk);
  EXPECT_EQ(LastColour(0), 0x00C800u);
  EXPECT_EQ(LastSegment(1), kOk);
  EXPECT_FALSE(fs::exists(song + ".old"));

  const fixtures::Bytes written = fixtures::ReadFile(song);
  flac_check::ExpectFaithfulRewrite(flac, written);
  const FlacMetadata metadata = flac_check::MetadataOf(written);
  EXPECT_EQ(
      metadata.comments.entries,
      (std::vector<std::string>{"TITLE=Fixture Title", "ALBUM=Caf\xC3\xA9 Album", "ARTIST=Band"}));
  EXPECT_EQ(metadata.blocks.back().type, kFlacPadding);
  EXPECT_EQ(metadata.blocks.back().body.size(), PaddingPolicy::kMinimum);
  const fixtures::Bytes packet = inspect::Inspect(fixtures::ReadFile(other)).streams[0].packets[1];
  EXPECT_EQ(inspect::ParseComments(packet).binaryData.size(), 1u);  // the framing byte alone
}

TEST_F(BatchRunTest, LineOfFileIGetsItsSegmentAtTickIPlusOne) {
  Click(1015);
  Drop({folder_.Put("a.ogg", fixtures::Basic()), folder_.Put("b.ogg", fixtures::Basic()),
        folder_.Put("c.ogg", fixtures::Basic())});
  SendMessageW(Dialog(), WM_COMMAND, MAKEWPARAM(kRetagButton, BN_CLICKED), 0);
  EXPECT_FALSE(IsWindowEnabled(Item(1017)));
  std::vector<int> before;
  for (int line = 0; line < 3; ++line) before.push_back(Trace.Line(line).Count());
  int ticks = 0;
  std::vector<std::vector<int>> addedAfterTick;
  ASSERT_TRUE(PumpUntilIdle([&] {
    ++ticks;
    std::vector<int> added;
    for (int line = 0; line < 3; ++line) added.push_back(Trace.Line(line).Count() - before[line]);
    addedAfterTick.push_back(added);
  }));
  ASSERT_EQ(ticks, 4);
  EXPECT_EQ(addedAfterTick[0], (std::vector<int>{1, 0, 0}));
  EXPECT_EQ(addedAfterTick[1], (std::vector<int>{1, 1, 0}));
  EXPECT_EQ(addedAfterTick[2], (std::vector<int>{1, 1, 1}));
  EXPECT_EQ(inspect::CommentEntriesOf(folder_.File("c.ogg")).back(), "TRACKNUMBER=3");
}

TEST_F(BatchRunTest, EmptyListShowsOnlyTheCompletionLine) {
  ASSERT_TRUE(RunAll());
  ASSERT_EQ(Trace.LineCount(), 2);
  EXPECT_EQ(Segment(0, 0), Wide(CurrentMessages().AllDone));
}

TEST_F(BatchRunTest, DropDuringARunIsRefused) {
  const std::string a = folder_.Put("a.ogg", fixtures::Basic());
  const std::string b = folder_.Put("b.ogg", fixtures::Basic());
  Drop({a});
  SendMessageW(Dialog(), WM_COMMAND, MAKEWPARAM(kRetagButton, BN_CLICKED), 0);
  Drop({b, folder_.Put("c.ogg", fixtures::Basic())});
  EXPECT_EQ(FileList.Count(), 1);
  EXPECT_STREQ(FileList[0].CStr(), a.c_str());
  ASSERT_TRUE(PumpUntilIdle([] {}));
  EXPECT_EQ(LastSegment(0), kOk);
  EXPECT_EQ(Trace.LineCount(), 3);
}

}  // namespace
