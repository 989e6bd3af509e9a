// The journal under faults, end to end: a journal cut or corrupted at every
// byte, its writes failing at every step, a run and an undo ended after each
// file. Whatever happens, --undo writes only headers that decode, says OK only
// for files that have their old tags again, and every file a run touched goes
// back.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/batch_runner.h"
#include "cli/journal_scan.h"
#include "cli/run_journal.h"
#include "journal/journal_folder.h"
#include "tests/support/cli_harness.h"
#include "tools/ogg_fixtures.h"
#include "tools/stream_probe.h"

namespace {

namespace fs = std::filesystem;
using fixtures::Bytes;

class JournalFaultTest : public CliTest {
 protected:
  // Small songs with tags of their own, written afresh.
  std::vector<std::string> PutSongs(size_t count) {
    std::vector<std::string> paths;
    originals_.clear();
    for (size_t i = 0; i < count; ++i) {
      fixtures::EncodeOptions options;
      options.samples = 6000;
      options.comments = {"TITLE=Song " + std::to_string(i), "ARTIST=Band"};
      const std::string path = folder_.File("song" + std::to_string(i) + ".ogg");
      fs::remove(path + ".old");
      paths.push_back(folder_.Put("song" + std::to_string(i) + ".ogg",
                                  fixtures::Basic(options, 0x100 + static_cast<uint32_t>(i))));
      originals_.push_back(inspect::CommentEntriesOf(path));
    }
    fs::remove_all(JournalFolder());
    return paths;
  }

  // Every file has its own tags again, and no ".old" beside it.
  void ExpectOriginals(const std::vector<std::string>& paths) {
    for (size_t i = 0; i < paths.size(); ++i) {
      EXPECT_EQ(inspect::CommentEntriesOf(paths[i]), originals_[i]) << paths[i];
      EXPECT_FALSE(fs::exists(paths[i] + ".old")) << paths[i];
    }
  }

  std::string TheJournal() const {
    const std::vector<uint64_t> numbers = JournalNumbers(String(JournalFolder().c_str()));
    return numbers.empty() ? std::string()
                           : JournalPath(String(JournalFolder().c_str()), numbers.back()).CStr();
  }

  std::vector<std::vector<std::string>> originals_;
};

TEST_F(JournalFaultTest, ACutOrCorruptedJournalNeverGivesABadHeaderOrAFalseOk) {
  const std::vector<std::string> songs = PutSongs(2);
  ASSERT_EQ(Cli({"--album", "Run", songs[0], songs[1]}).status, 0);
  const std::string path = TheJournal();
  const Bytes journal = fixtures::ReadFile(path);
  // The files as the run left them, kept under a second name: same file, same stamp.
  for (const std::string& song : songs) fs::create_hard_link(song, song + ".keep");

  for (size_t at = 0; at < journal.size(); ++at) {
    for (const bool cut : {true, false}) {
      SCOPED_TRACE((cut ? "cut at " : "bit flipped at ") + std::to_string(at));
      for (const std::string& song : songs) {
        fs::remove(song);
        fs::remove(song + ".old");
        fs::create_hard_link(song + ".keep", song);
      }
      Bytes damaged = journal;
      if (cut) {
        damaged.resize(at);
      } else {
        damaged[at] ^= static_cast<unsigned char>(1u << (at % 8));
      }
      fs::remove_all(JournalFolder());
      fs::create_directories(JournalFolder());
      fixtures::WriteFile(path, damaged);

      const CliRun undo = Cli({"--undo"});
      for (size_t i = 0; i < songs.size(); ++i) {
        ASSERT_TRUE(inspect::Decode(fixtures::ReadFile(songs[i])).ok);
        if (undo.out.find(songs[i] + " OK") != std::string::npos) {
          EXPECT_EQ(inspect::CommentEntriesOf(songs[i]), originals_[i]);
        }
      }
    }
  }
}

// Journal writes that fail at one chosen step, the failing write cut halfway
// as on a full disk.
int step = 0;
int failAt = 0;
Status FailingWrite(FILE* file, const std::string& bytes) {
  if (step++ != failAt) return kDiskLogWrites.write(file, bytes);
  kDiskLogWrites.write(file, bytes.substr(0, bytes.size() / 2));
  return Status(StatusCode::kNoSpace, "full");
}
Status FailingFlush(FILE* file) {
  if (step++ != failAt) return kDiskLogWrites.flush(file);
  return Status(StatusCode::kIoError, "flush failed");
}

TEST_F(JournalFaultTest, AJournalWriteFailingAtEveryStepStopsTheRunBeforeAnyUnrecordedFile) {
  FixedTagChoices choices;
  choices.Tick(kTrackFromOrderBox);
  bool failed = true;
  for (failAt = 0; failed; ++failAt) {
    SCOPED_TRACE("failing step " + std::to_string(failAt));
    const std::vector<std::string> songs = PutSongs(5);
    std::vector<String> files;
    for (const std::string& song : songs) files.push_back(String(song.c_str()));
    step = 0;
    RunJournal journal(LogWriteFunctions{FailingWrite, FailingFlush});
    if (journal.Start(String(JournalFolder().c_str()), 0).ok()) {
      BatchSettings settings;
      settings.workers = 2;
      settings.recorder = &journal;
      std::vector<size_t> reported;
      const BatchEnd end = RetagFiles(
          files, choices, settings, [&](size_t i, const RetagOutcome&) { reported.push_back(i); });
      failed = end == BatchEnd::kJournalFailed || !journal.Finish(0).ok();
      if (end != BatchEnd::kDone) journal.Abandon();
      EXPECT_EQ(failed, step > failAt);
    }
    // Every file touched is in what the journal holds.
    RecordLogReader reader;
    RunScan scan;
    const bool kept =
        ScanRunJournal(String(TheJournal().c_str()), reader, scan).ok() && scan.entries != 0;
    for (size_t i = 0; i < songs.size(); ++i) {
      bool recorded = false;
      for (const RunFile& file : scan.files) recorded = recorded || file.path == songs[i];
      if (!recorded) {
        EXPECT_EQ(inspect::CommentEntriesOf(songs[i]), originals_[i]) << songs[i];
        EXPECT_FALSE(fs::exists(songs[i] + ".old"));
      }
    }
    reader.Close();
    if (kept) {
      EXPECT_EQ(Cli({"--undo"}).status, 0);
    }
    ExpectOriginals(songs);
  }
  EXPECT_GT(failAt, 4);
}

TEST_F(JournalFaultTest, ARunOrAnUndoEndedAfterEachFileIsPutBackWhole) {
  const size_t count = 4;
  for (size_t after = 0; after < count; ++after) {
    SCOPED_TRACE("ended after " + std::to_string(after));
    std::vector<std::string> songs = PutSongs(count);
    std::vector<std::string> run = {"--album", "Ended"};
    run.insert(run.end(), songs.begin(), songs.end());
    endAfter_ = after;
    EXPECT_EQ(Cli(run, false, false, 2).status, 1);
    // A new file left halfway beside its ".old" copy.
    for (const std::string& song : songs) {
      if (fs::exists(song + ".old") && fs::exists(song)) fs::resize_file(song, 3000);
    }
    endAfter_ = SIZE_MAX;
    const CliRun undo = Cli({"--undo"});
    EXPECT_EQ(undo.status, 0) << undo.err;
    ExpectOriginals(songs);

    songs = PutSongs(count);
    ASSERT_EQ(Cli(run, false, false, 2).status, 0);
    endAfter_ = after;
    EXPECT_EQ(Cli({"--undo"}, false, false, 2).status, 1);
    endAfter_ = SIZE_MAX;
    const CliRun resumed = Cli({"--undo"});
    EXPECT_EQ(resumed.status, 0) << resumed.err;
    EXPECT_EQ(resumed.err, "");
    ExpectOriginals(songs);
    EXPECT_EQ(Cli({"--undo"}).status, 1);  // no run left
  }
}

}  // namespace
