// The journal of mirale-cli's runs and --undo, end to end: the old comment
// header comes back exactly with the audio intact, run after run; changed and
// failed files are left alone; no run writes when its journal cannot be written.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/journal_scan.h"
#include "cli/run_journal.h"
#include "journal/journal_folder.h"
#include "tests/support/cli_harness.h"
#include "tests/support/flac_check.h"
#include "tests/support/rewrite_check.h"
#include "tools/flac_fixtures.h"
#include "tools/ogg_fixtures.h"
#include "tools/stream_probe.h"

namespace {

namespace fs = std::filesystem;

fixtures::Bytes CommentHeaderOf(const std::string& path) {
  return inspect::Inspect(fixtures::ReadFile(path)).streams.at(0).packets.at(1);
}

size_t JournalCount(const std::string& folder) {
  size_t count = 0;
  std::error_code error;
  for (auto it = fs::directory_iterator(folder, error); !error && it != fs::directory_iterator();
       it.increment(error)) {
    ++count;
  }
  return count;
}

TEST_F(CliTest, UndoPutsEachRunBackInTurn) {
  fixtures::EncodeOptions options;
  options.comments = {"artist=Kept Case", "ALBUM=First", "COMMENT=" + fixtures::LargeValue(9000)};
  const fixtures::Bytes original = fixtures::Basic(options);
  const std::string one = folder_.Put("one.ogg", original);
  const std::string two = folder_.Put("two.ogg", fixtures::Basic());

  // The first run names one.ogg twice: undo must go back to before its first retag.
  ASSERT_EQ(Cli({"--album", "Wrong", "--track-from-order", one, two, one}).status, 0);
  const fixtures::Bytes afterFirst = CommentHeaderOf(one);
  // The second run reaches one.ogg by another path.
  const std::string oneAgain = (fs::path(folder_.Path()) / "." / "one.ogg").string();
  ASSERT_EQ(Cli({"--genre", "Second", two, oneAgain}, false, false, 2).status, 0);

  const fixtures::Bytes beforeDry = fixtures::ReadFile(one);
  const CliRun dry = Cli({"--undo", "--dry-run"});
  EXPECT_EQ(dry.status, 0);
  EXPECT_NE(dry.out.find(" OK\n  artist=Kept Case\n  COMMENT="), std::string::npos) << dry.out;
  EXPECT_NE(dry.out.find("\n  ALBUM=Wrong\n  TRACKNUMBER=3\n---"), std::string::npos);
  EXPECT_EQ(fixtures::ReadFile(one), beforeDry);

  const CliRun second = Cli({"--undo"});
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_NE(second.out.find("(2 files)\n" + two + " OK\n"), std::string::npos) << second.out;
  EXPECT_EQ(CommentHeaderOf(one), afterFirst);

  const CliRun first = Cli({"--undo"});
  EXPECT_EQ(first.status, 0) << first.err;
  const fixtures::Bytes restored = fixtures::ReadFile(one);
  EXPECT_EQ(CommentHeaderOf(one), inspect::Inspect(original).streams[0].packets[1]);
  rewrite::ExpectFaithfulRewrite(original, restored);
  EXPECT_EQ(inspect::CommentEntriesOf(two),
            (std::vector<std::string>{"ARTIST=Fixture Artist", "TITLE=Fixture Title"}));

  const CliRun none = Cli({"--undo"});
  EXPECT_EQ(none.status, 1);
  EXPECT_NE(none.err.find("no run to undo"), std::string::npos) << none.err;
}

TEST_F(CliTest, UndoLeavesChangedAndFailedFilesAlone) {
  const std::string kept = folder_.Put("kept.ogg", fixtures::Basic());
  const std::string changed = folder_.Put("changed.ogg", fixtures::Basic());
  const std::string broken = folder_.Put("broken.ogg", fixtures::Bytes{'n', 'o'});
  const CliRun run = Cli({"--album", "X", kept, broken, changed});
  ASSERT_EQ(run.status, 1);
  EXPECT_EQ(JournalCount(JournalFolder()), 1u);
  ASSERT_EQ(Cli({"--no-journal", "--genre", "Later", changed}).status, 0);

  const CliRun undo = Cli({"--undo"});
  EXPECT_EQ(undo.status, 1);
  // Only the files the run retagged are taken back, and only those unchanged since.
  EXPECT_NE(undo.out.find("(2 files)\n" + kept + " OK\n---"), std::string::npos) << undo.out;
  EXPECT_NE(undo.err.find("skipped " + changed + ": changed since that run"), std::string::npos)
      << undo.err;
  EXPECT_EQ(inspect::CommentEntriesOf(kept),
            (std::vector<std::string>{"ARTIST=Fixture Artist", "TITLE=Fixture Title"}));
  EXPECT_EQ(inspect::CommentEntriesOf(changed).back(), "GENRE=Later");
  EXPECT_EQ(fixtures::ReadFile(broken), (fixtures::Bytes{'n', 'o'}));
  EXPECT_EQ(JournalCount(JournalFolder()), 0u);
}

TEST_F(CliTest, NoFileIsTouchedWhenTheJournalCannotBeWritten) {
  const std::string song = folder_.Put("song.ogg", fixtures::Basic());
  const fixtures::Bytes before = fixtures::ReadFile(song);
  // Below a regular file no folder can be made, not even by root.
  PointStateAt(folder_.Put("not a folder", fixtures::Bytes{'x'}) + "/state");
  const CliRun refused = Cli({"--album", "X", song});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("cannot write the journal"), std::string::npos) << refused.err;
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(fixtures::ReadFile(song), before);

  EXPECT_EQ(Cli({"--no-journal", "--album", "X", song}).status, 0);
  EXPECT_EQ(inspect::CommentEntriesOf(song).back(), "ALBUM=X");
}

// FLAC files go back too: their old comment block, or none for a file that
// had none, with every other block, the frames and the audio as they were.
TEST_F(CliTest, UndoPutsFlacFilesBackWithOrWithoutTheirCommentBlock) {
  const fixtures::Bytes tagged = fixtures::MakeFlacShape("flac-picture-first");
  const fixtures::Bytes bare = fixtures::MakeFlacShape("flac-no-comment");
  const std::string one = folder_.Put("one.flac", tagged);
  const std::string two = folder_.Put("two.flac", bare);
  ASSERT_EQ(Cli({"--album", "X", one, two}).status, 0);
  ASSERT_EQ(flac_check::MetadataOf(fixtures::ReadFile(two)).comments.entries,
            std::vector<std::string>{"ALBUM=X"});

  const CliRun dry = Cli({"--undo", "--dry-run"});
  EXPECT_EQ(dry.status, 0) << dry.err;
  EXPECT_NE(dry.out.find(one + " OK\n  ARTIST=Fixture Artist\n  TITLE=Fixture Title\n" + two +
                         " OK\n---"),
            std::string::npos)
      << dry.out;

  const CliRun undo = Cli({"--undo"});
  EXPECT_EQ(undo.status, 0) << undo.err;
  for (const auto& file : {std::make_pair(one, tagged), std::make_pair(two, bare)}) {
    SCOPED_TRACE(file.first);
    const fixtures::Bytes back = fixtures::ReadFile(file.first);
    flac_check::ExpectFaithfulRewrite(file.second, back);
    const FlacMetadata before = flac_check::MetadataOf(file.second);
    const FlacMetadata after = flac_check::MetadataOf(back);
    ASSERT_EQ(after.commentIndex >= 0, before.commentIndex >= 0);
    if (before.commentIndex >= 0) {
      EXPECT_EQ(after.blocks[size_t(after.commentIndex)].body,
                before.blocks[size_t(before.commentIndex)].body);
    }
  }
  EXPECT_EQ(JournalCount(JournalFolder()), 0u);
}

#ifndef _WIN32
// A symbolic link and its target, and a hard link, in one run: the file
// reached twice goes back to the header it had before the first retag, and
// the hard link (a file of its own once its name was rewritten) to its own.
TEST_F(CliTest, AFileReachedByTwoNamesGoesBackToItsFirstHeader) {
  const std::string real = folder_.Put("real.ogg", fixtures::Basic());
  const fixtures::Bytes header = CommentHeaderOf(real);
  const std::string link = folder_.File("link.ogg");
  const std::string hard = folder_.File("hard.ogg");
  fs::create_symlink(real, link);
  fs::create_hard_link(real, hard);
  ASSERT_EQ(Cli({"--track-from-order", real, link, hard}).status, 0);
  ASSERT_EQ(inspect::CommentEntriesOf(real).back(), "TRACKNUMBER=2");

  const CliRun undo = Cli({"--undo"});
  EXPECT_EQ(undo.status, 0) << undo.err;
  EXPECT_NE(undo.out.find("(2 files)"), std::string::npos) << undo.out;
  EXPECT_EQ(CommentHeaderOf(real), header);
  EXPECT_EQ(CommentHeaderOf(hard), header);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(JournalCount(JournalFolder()), 0u);
}
#endif

// What --undo cannot take, and says so: a run in progress (its journal
// locked), a journal of the older format; a journal left empty by a crash
// is removed with a note and the run before it is taken back.
TEST_F(CliTest, UndoTellsWhatItCannotTake) {
  const std::string song = folder_.Put("song.ogg", fixtures::Basic());
  const fixtures::Bytes header = CommentHeaderOf(song);
  ASSERT_EQ(Cli({"--album", "X", song}).status, 0);
  const String folder(JournalFolder().c_str());
  const String run = JournalPath(folder, JournalNumbers(folder).back());
  {
    ScopedFile held;
    ASSERT_TRUE(OpenFile(run, "rb", held).ok());
    ASSERT_TRUE(LockOpenFile(held.Get()).ok());
    const CliRun busy = Cli({"--undo"});
    EXPECT_EQ(busy.status, 1);
    EXPECT_NE(busy.err.find("a run is in progress"), std::string::npos) << busy.err;
  }
  fixtures::WriteFile(JournalPath(folder, 7).CStr(), fixtures::Bytes());
  const CliRun undo = Cli({"--undo"});
  EXPECT_EQ(undo.status, 0) << undo.err;
  EXPECT_NE(undo.err.find("removed " + std::string(JournalPath(folder, 7).CStr())),
            std::string::npos)
      << undo.err;
  EXPECT_EQ(CommentHeaderOf(song), header);

  const std::string older = "MIRALE JOURNAL 1\n";
  fixtures::WriteFile(JournalPath(folder, 3).CStr(), fixtures::Bytes(older.begin(), older.end()));
  const CliRun old = Cli({"--undo"});
  EXPECT_EQ(old.status, 1);
  EXPECT_NE(old.err.find("older mirale-cli"), std::string::npos) << old.err;
  EXPECT_EQ(JournalCount(JournalFolder()), 1u);
}

TEST_F(CliTest, OnlyTheLastRunsAreKept) {
  const String folder(JournalFolder().c_str());
  const std::string header("\x03vorbis\0\r\n", 10);
  for (int run = 0; run < 23; ++run) {
    RunJournal journal;
    ASSERT_TRUE(journal.Start(folder, run).ok());
    RetagOutcome prepared;
    prepared.filePath = String(folder_.File(std::to_string(run)).c_str());
    prepared.oldCommentHeader = header;
    journal.Record(0, prepared);
    ASSERT_TRUE(journal.Finish(run).ok());
  }
  EXPECT_EQ(JournalCount(JournalFolder()), kKeptJournals);
  const std::vector<uint64_t> numbers = JournalNumbers(folder);
  RecordLogReader reader;
  RunScan newest;
  ASSERT_TRUE(ScanRunJournal(JournalPath(folder, numbers.back()), reader, newest).ok());
  EXPECT_EQ(newest.start.time, 22);
  ASSERT_EQ(newest.files.size(), 1u);
  EXPECT_EQ(newest.files[0].path, folder_.File("22"));
  std::string stored;
  ASSERT_TRUE(ReadOldHeader(reader, newest.files[0], stored));
  EXPECT_EQ(stored, header);
}

}  // namespace
