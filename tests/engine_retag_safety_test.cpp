// What a retag leaves on disk when something goes wrong: reads that fail, a
// writer that corrupts its output, unreadable input left out. Each case checks
// the disk afterwards: one intact copy of the user's file, always.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/choosable_tags.h"
#include "engine/message_table.h"
#include "engine/retag_file.h"
#include "opus/opus_headers.h"
#include "tests/support/flac_check.h"
#include "tests/support/temp_folder.h"
#include "tools/flac_fixtures.h"
#include "tools/ogg_fixtures.h"
#include "tools/stream_probe.h"
#include "vorbis/comment_packet.h"

namespace {

namespace fs = std::filesystem;
using fixtures::Bytes;

// Reads that fail once the file position reaches failAt.
long failAt = 0;
size_t FailingRead(void* buffer, size_t size, size_t count, void* handle) {
  FILE* file = static_cast<FILE*>(handle);
  const long position = std::ftell(file);
  if (position >= failAt) return 0;
  const size_t allowed = static_cast<size_t>(failAt - position);
  return std::fread(buffer, size, count < allowed ? count : allowed, file);
}

// A writer gone wrong: every header or body write goes through corrupt, which
// may change, drop or repeat it, while the writer is told all went well.
std::function<void(long call, Bytes& bytes, int& times)> corrupt;
long writeCall = 0;
size_t CorruptingWrite(const void* data, size_t size, size_t count, void* handle) {
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  Bytes piece(bytes, bytes + size * count);
  int times = 1;
  corrupt(writeCall++, piece, times);
  for (int i = 0; i < times; ++i)
    std::fwrite(piece.data(), 1, piece.size(), static_cast<FILE*>(handle));
  return count;
}

class RetagSafetyTest : public ::testing::Test {
 protected:
  void SetUp() override { CurrentMessageTable = &EnglishMessages; }
  void TearDown() override { CurrentMessageTable = nullptr; }

  RetagOutcome Retag(const std::string& path, ReadFunc read = nullptr, WriteFunc write = nullptr) {
    RetagRequest request;
    request.path = String(path.c_str());
    request.choices = &choices_;
    request.read = read;
    request.write = write;
    return RetagFile(request);
  }

  // A failure must leave the original whole: at its own path when refused
  // before the move, else at the ".old" path with nothing at its own.
  static void ExpectOneIntactCopy(const std::string& path, const Bytes& original) {
    if (fs::exists(path + ".old")) {
      EXPECT_FALSE(fs::exists(path));
      EXPECT_EQ(fixtures::ReadFile(path + ".old"), original);
    } else {
      EXPECT_EQ(fixtures::ReadFile(path), original);
    }
  }

  TempFolder folder_;
  FixedTagChoices choices_;
};

TEST_F(RetagSafetyTest, FailedReadsAreFailuresThatKeepTheFile) {
  const Bytes original = fixtures::Basic();
  const long size = static_cast<long>(original.size());
  for (long offset : {10L, 3000L, 5000L, 20000L, size / 2, size - 1}) {
    SCOPED_TRACE(offset);
    const std::string path = folder_.Put("read.ogg", original);
    failAt = offset;
    const RetagOutcome outcome = Retag(path, FailingRead);
    EXPECT_EQ(outcome.kind, OutcomeKind::kFailure);
    EXPECT_STREQ(outcome.message.CStr(), "Cannot read input.");
    ExpectOneIntactCopy(path, original);
    fs::remove(path);
    fs::remove(path + ".old");
  }
}

TEST_F(RetagSafetyTest, CorruptedOutputFailsVerificationAndKeepsTheOldCopy) {
  const Bytes original = fixtures::Basic();
  // Calls alternate page header, page body; learn how many a good write makes.
  const std::string probe = folder_.Put("probe.ogg", original);
  corrupt = [](long, Bytes&, int&) {};
  writeCall = 0;
  ASSERT_EQ(Retag(probe, nullptr, CorruptingWrite).kind, OutcomeKind::kOk);
  const long calls = writeCall;
  const long middleBody = (calls / 4) * 2 + 1;
  ASSERT_GT(calls, 8);

  struct Case {
    const char* name;
    std::function<void(long, Bytes&, int&)> corrupt;
  };
  const Case cases[] = {
      {"byte flipped in an audio page",
       [=](long call, Bytes& b, int&) {
         if (call == middleBody) b[b.size() / 2] ^= 0x40;
       }},
      {"page dropped",
       [=](long call, Bytes&, int& times) {
         if (call == middleBody || call == middleBody - 1) times = 0;
       }},
      {"page written twice",
       [=](long call, Bytes&, int& times) {
         if (call == middleBody || call == middleBody - 1) times = 2;
       }},
      {"last page cut",
       [=](long call, Bytes& b, int&) {
         if (call == calls - 1) b.resize(b.size() / 2);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = folder_.Put("corrupt.ogg", original);
    corrupt = c.corrupt;
    writeCall = 0;
    const RetagOutcome outcome = Retag(path, nullptr, CorruptingWrite);
    EXPECT_EQ(outcome.kind, OutcomeKind::kFailure);
    EXPECT_STREQ(outcome.message.CStr(), "New file failed verification.");
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(fixtures::ReadFile(path + ".old"), original);
    fs::remove(path + ".old");
  }
}

TEST_F(RetagSafetyTest, UnreadableInputLeftOutIsAWarningAndEveryWarningIsNamed) {
  Bytes badChecksum = fixtures::Basic();
  {
    std::vector<fixtures::RawPage> pages = fixtures::SplitPages(badChecksum);
    pages[4].bytes[pages[4].bytes.size() - 3] ^= 0x01;  // the stored CRC no longer fits
    badChecksum = fixtures::JoinPages(pages);
  }
  Bytes id3 = fixtures::Basic();
  const std::string tag = "TAG" + std::string(125, 'x');
  id3.insert(id3.end(), tag.begin(), tag.end());
  struct Case {
    const char* name;
    Bytes bytes;
  };
  const Case cases[] = {
      {"garbage.ogg", fixtures::GarbageBetweenPages()},
      {"checksum.ogg", badChecksum},
      {"id3.ogg", id3},
      {"truncated.ogg", fixtures::Truncated()},
  };
  choices_.Tick(kTitleFromNameBox);  // none of the names has a separator
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = folder_.Put(c.name, c.bytes);
    const RetagOutcome outcome = Retag(path);
    EXPECT_EQ(outcome.kind, OutcomeKind::kWarning);
    EXPECT_STREQ(outcome.message.CStr(),
                 "Artist - Title separator not found (space hyphen space) ; "
                 "Unreadable data left out.");
    EXPECT_FALSE(fs::exists(path + ".old"));
    EXPECT_EQ(inspect::CommentEntriesOf(path).back(), "TITLE=");
  }
}

// A flush group of which one new file was moved away before the flush: that
// file alone fails (its original stays as ".old"); the others are committed.
TEST_F(RetagSafetyTest, AFileThatVanishedFromItsFlushGroupFailsAlone) {
  const Bytes original = fixtures::Basic();
  std::vector<std::string> paths;
  std::vector<RetagOutcome> outcomes;
  choices_.Tick(kTrackFromOrderBox);
  for (const char* name : {"a.ogg", "b.ogg", "c.ogg"}) {
    paths.push_back(folder_.Put(name, original));
    RetagRequest request;
    request.path = String(paths.back().c_str());
    request.choices = &choices_;
    request.deferCommit = true;
    outcomes.push_back(PrepareRetag(request));
    CompleteRetag(request, outcomes.back());
    ASSERT_EQ(outcomes.back().kind, OutcomeKind::kOk);
  }
  fs::rename(paths[1], folder_.File("moved.ogg"));
  std::vector<RetagOutcome*> group;
  for (RetagOutcome& outcome : outcomes) group.push_back(&outcome);
  FlushRetags(group);
  DropOldCopies(group);
  EXPECT_EQ(outcomes[1].kind, OutcomeKind::kFailure);
  EXPECT_EQ(fixtures::ReadFile(paths[1] + ".old"), original);
  for (size_t i : {0u, 2u}) {
    EXPECT_EQ(outcomes[i].kind, OutcomeKind::kOk);
    EXPECT_EQ(inspect::CommentEntriesOf(paths[i]).back(), "TRACKNUMBER=1");
    EXPECT_FALSE(fs::exists(paths[i] + ".old"));
  }
}

// A file written by another program between the two phases is not the file
// that was prepared (and recorded): it goes back untouched.
TEST_F(RetagSafetyTest, AFileChangedAfterItWasPreparedIsLeftAsItIs) {
  const std::string path = folder_.Put("changed.ogg", fixtures::Basic());
  RetagRequest request;
  request.path = String(path.c_str());
  request.choices = &choices_;
  RetagOutcome outcome = PrepareRetag(request);
  ASSERT_EQ(outcome.kind, OutcomeKind::kOk);
  Bytes changed = fixtures::ReadFile(path);
  changed.push_back('x');
  fixtures::WriteFile(path, changed);
  CompleteRetag(request, outcome);
  EXPECT_EQ(outcome.kind, OutcomeKind::kFailure);
  EXPECT_EQ(fixtures::ReadFile(path), changed);
  EXPECT_FALSE(fs::exists(path + ".old"));
}

// A header written back as it is (taking a retag back) must read as the
// file's own kind of comment header; any other is refused before the file is
// touched. An empty header is a FLAC file's without comment block.
TEST_F(RetagSafetyTest, AHeaderWrittenBackMustReadAsTheFilesOwn) {
  const Bytes ogg = fixtures::Basic();
  const Bytes flac = fixtures::MakeFlacShape("flac-basic");
  const std::string good = BuildVorbisCommentPacket("vendor", {"TITLE=Back"});
  std::string noFraming = good;
  noFraming.back() = 0;
  std::string longList = good;
  longList[7] = 0x7F;  // the vendor's length runs past the packet
  const std::string flacBody = good.substr(7, good.size() - 8);  // the bare list
  const struct {
    const char* name;
    const Bytes& file;
    std::string header;
    bool accepted;
  } rows[] = {
      {"vorbis", ogg, good, true},
      {"no framing bit", ogg, noFraming, false},
      {"length past the end", ogg, longList, false},
      {"opus tags in vorbis", ogg, BuildOpusTagsPacket("vendor", {"TITLE=Back"}, ""), false},
      {"empty", ogg, "", false},
      {"flac list", flac, flacBody, true},
      {"flac without comment block", flac, "", true},
      {"vorbis packet in flac", flac, good, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const bool isFlac = &row.file == &flac;
    const std::string path = folder_.Put(isFlac ? "back.flac" : "back.ogg", row.file);
    RetagRequest request;
    request.path = String(path.c_str());
    request.choices = &choices_;
    request.commentHeader = &row.header;
    const RetagOutcome outcome = RetagListedFile(request);
    EXPECT_EQ(outcome.kind != OutcomeKind::kFailure, row.accepted);
    if (!row.accepted) {
      EXPECT_EQ(fixtures::ReadFile(path), row.file);
    } else if (isFlac) {
      const FlacMetadata metadata = flac_check::MetadataOf(fixtures::ReadFile(path));
      EXPECT_EQ(metadata.commentIndex >= 0, !row.header.empty());
      EXPECT_EQ(metadata.comments.entries, row.header.empty()
                                               ? std::vector<std::string>()
                                               : std::vector<std::string>{"TITLE=Back"});
    } else {
      EXPECT_EQ(inspect::CommentEntriesOf(path), std::vector<std::string>{"TITLE=Back"});
    }
    EXPECT_FALSE(fs::exists(path + ".old"));
  }
}

}  // namespace
