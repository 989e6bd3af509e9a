// Edits in place through mirale-cli's batch and journal, end to end: which
// files are edited where they lie and which are rewritten (with padding by the
// policy), what the command line says of it, and the crash safety: writes and
// flushes failing at every step, the process dying at every step, torn writes
// and damaged recovery records, each followed by the next start's recovery.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "base/padding_policy.h"
#include "cli/batch_runner.h"
#include "cli/interrupted_edits.h"
#include "cli/run_journal.h"
#include "engine/choosable_tags.h"
#include "engine/in_place_retag.h"
#include "engine/message_table.h"
#include "flac/flac_metadata.h"
#include "journal/journal_folder.h"
#include "journal/recovery_record.h"
#include "journal/run_records.h"
#include "ogg/ogg_crc.h"
#include "tests/support/cli_harness.h"
#include "tests/support/memory_io.h"
#include "tools/flac_fixtures.h"
#include "tools/stream_probe.h"
#include "vorbis_comments/comment_list.h"

namespace {

namespace fs = std::filesystem;
using fixtures::Bytes;

bool IsFlac(const Bytes& file) {
  return file.size() > 4 && std::equal(file.begin(), file.begin() + 4, "fLaC");
}

FlacMetadata MetadataOf(const Bytes& file) {
  memory_io::Source source;
  source.data = file.data();
  source.size = file.size();
  FlacMetadata metadata;
  EXPECT_TRUE(ReadFlacMetadata(&source, memory_io::Read, file.size(), metadata).ok());
  return metadata;
}

std::vector<std::string> TagsOf(const Bytes& file) {
  if (!IsFlac(file)) {
    return inspect::ParseComments(inspect::Inspect(file).streams.at(0).packets.at(1)).entries;
  }
  const FlacMetadata metadata = MetadataOf(file);
  CommentList list;
  if (metadata.commentIndex >= 0) {
    ParseCommentList(metadata.blocks[static_cast<size_t>(metadata.commentIndex)].body, list);
  }
  return list.entries;
}

// Where the tags lie: the pages of the comment header (Ogg), the metadata (FLAC).
std::pair<size_t, size_t> TagRegion(const Bytes& file) {
  if (IsFlac(file)) return {0, static_cast<size_t>(MetadataOf(file).framesOffset)};
  const inspect::Inspection seen = inspect::Inspect(file);
  const inspect::Page& first = seen.pages.at(seen.streams[0].pageOfPacket[0] + 1);
  const inspect::Page& last = seen.pages.at(seen.streams[0].pageOfPacket[1]);
  return {first.offset, last.offset + last.size};
}

// The room left after the tags for the next edit.
size_t RoomAfterTags(const Bytes& file) {
  if (!IsFlac(file)) {
    const inspect::Comments comments =
        inspect::ParseComments(inspect::Inspect(file).streams[0].packets[1]);
    // Vorbis: the framing byte, then zeros.
    const bool vorbis = inspect::Inspect(file).streams[0].packets[0][0] == 0x01;
    return comments.binaryData.size() - (vorbis ? 1 : 0);
  }
  size_t room = 0;
  for (const FlacBlock& block : MetadataOf(file).blocks) {
    if (block.type == kFlacPadding) room += block.body.size();
  }
  return room;
}

void ExpectOnlyTagsChanged(const Bytes& before, const Bytes& after) {
  ASSERT_EQ(after.size(), before.size());
  const std::pair<size_t, size_t> region = TagRegion(before);
  for (size_t i = 0; i < before.size(); ++i) {
    if (before[i] != after[i]) {
      ASSERT_TRUE(i >= region.first && i < region.second) << "byte " << i << " changed";
    }
  }
}

// The writes of the journal and of the audio files, counted as one sequence of
// steps: one may fail (the failing write cut halfway, as on a full disk), and
// each may be watched just before it runs.
struct Steps {
  int count = 0;
  int failAt = -1;
  bool corruptWrites = false;    // the audio files get a wrong byte, silently
  std::set<uint64_t> corrupted;  // the files written wrong
  std::function<void(bool fileWrite)> before;

  bool Fails(bool fileWrite = false) {
    if (before) before(fileWrite);
    return count++ == failAt;
  }
};
Steps steps;
// The workers write at once: each step, watched and run, is taken whole, so
// that what is watched is what a process that died there leaves.
std::mutex stepLock;

Status StepWrite(int file, int64_t offset, const std::string& bytes) {
  std::lock_guard<std::mutex> guard(stepLock);
  if (steps.Fails(true)) {
    kDiskInPlaceWrites.write(file, offset, bytes.substr(0, bytes.size() / 2));
    return Status(StatusCode::kNoSpace, "full");
  }
  // The first write of each file goes wrong; putting the old bytes back does not.
  std::string written = bytes;
  FileState state;
  GetDescriptorState(file, state);
  if (steps.corruptWrites && steps.corrupted.insert(state.identity.index).second) {
    written[written.size() / 2] ^= 0x20;
  }
  return kDiskInPlaceWrites.write(file, offset, written);
}
Status StepFlush(int file) {
  std::lock_guard<std::mutex> guard(stepLock);
  return steps.Fails() ? Status(StatusCode::kIoError, "flush failed")
                       : kDiskInPlaceWrites.flush(file);
}
Status StepFlushAll(const std::vector<int>& files) {
  std::lock_guard<std::mutex> guard(stepLock);
  return steps.Fails() ? Status(StatusCode::kIoError, "flush failed")
                       : kDiskInPlaceWrites.flushAll(files);
}
Status StepLogWrite(FILE* file, const std::string& bytes) {
  std::lock_guard<std::mutex> guard(stepLock);
  if (steps.Fails()) {
    kDiskLogWrites.write(file, bytes.substr(0, bytes.size() / 2));
    return Status(StatusCode::kNoSpace, "full");
  }
  return kDiskLogWrites.write(file, bytes);
}
Status StepLogFlush(FILE* file) {
  std::lock_guard<std::mutex> guard(stepLock);
  return steps.Fails() ? Status(StatusCode::kIoError, "flush failed") : kDiskLogWrites.flush(file);
}
const InPlaceWrites kStepWrites = {StepWrite, StepFlush, StepFlushAll};
const LogWriteFunctions kStepLogWrites = {StepLogWrite, StepLogFlush};

class InPlaceTest : public CliTest {
 protected:
  // Writes the files afresh, and no journal.
  std::vector<std::string> Put(const std::vector<std::pair<std::string, Bytes>>& files) {
    std::vector<std::string> paths;
    originals_.clear();
    for (const auto& file : files) {
      paths.push_back(folder_.Put(file.first, file.second));
      originals_.push_back(file.second);
    }
    fs::remove_all(JournalFolder());
    return paths;
  }

  // mirale-cli's batch over the files, each recorded in a journal, with an
  // ALBUM entry that makes the tags growth bytes longer (and ARTIST set when
  // artist is not empty); hooked runs take their writes from steps.
  std::vector<RetagOutcome> Run(const std::vector<std::string>& paths, size_t growth,
                                bool hooked = false, const std::u16string& artist = u"") {
    FixedTagChoices choices;
    if (growth != 0) {
      choices.Tick(kAlbumBox);
      choices.SetField(kAlbumField, WideString(std::u16string(growth - 10, u'a').c_str()));
    }
    if (!artist.empty()) {
      choices.Tick(kArtistBox);
      choices.SetField(kArtistField, WideString(artist.c_str()));
    }
    std::vector<String> files;
    for (const std::string& path : paths) files.push_back(String(path.c_str()));
    std::vector<RetagOutcome> outcomes(paths.size());
    RunJournal journal(hooked ? kStepLogWrites : kDiskLogWrites);
    if (!journal.Start(String(JournalFolder().c_str()), 0).ok()) return outcomes;
    BatchSettings settings;
    settings.workers = 2;
    settings.recorder = &journal;
    settings.inPlace = true;
    settings.padding = PaddingPolicy();
    settings.inPlaceWrites = hooked ? &kStepWrites : nullptr;
    const BatchEnd end = RetagFiles(
        files, choices, settings, [&](size_t i, const RetagOutcome& done) { outcomes[i] = done; });
    if (end == BatchEnd::kDone) {
      journal.Finish(0);
    } else {
      journal.Abandon();
    }
    return outcomes;
  }

  // The next start's recovery; what it said on stderr.
  std::string Recover(bool dryRun = false, bool french = false) {
    return OnConsole(
               [&](const CliConsole& console) {
                 RecoverInterruptedEdits(dryRun, console);
                 return 0;
               },
               false, french)
        .err;
  }

  std::string TheJournal() const {
    const String folder(JournalFolder().c_str());
    return JournalPath(folder, JournalNumbers(folder).back()).CStr();
  }

  std::vector<Bytes> originals_;
};

struct PathCase {
  const char* name;
  std::function<Bytes()> file;
  const char* extension;
  size_t growth;
  std::u16string artist;
  bool inPlace;
  bool takesPadding;  // a rewrite leaves the policy's padding
};

Bytes PaddedFlac(size_t padding) {
  return fixtures::LayOutFlac(
      {fixtures::FlacStreamInfo(), fixtures::FlacComments(), fixtures::FlacPadding(padding)});
}

TEST_F(InPlaceTest, EachShapeIsEditedInPlaceWhenItFitsElseRewrittenWithPadding) {
  using fixtures::HeaderLayout;
  const PathCase cases[] = {
      {"vorbis, comment sharing its page with the setup header, padding just enough",
       [] { return fixtures::PaddedComment(100); }, ".ogg", 100, u"", true, false},
      {"vorbis, padding one byte short", [] { return fixtures::PaddedComment(100); }, ".ogg", 101,
       u"", false, true},
      {"vorbis, no padding", [] { return fixtures::Basic(); }, ".ogg", 11, u"", false, true},
      {"vorbis, comment over several pages",
       [] { return fixtures::PaddedComment(700, HeaderLayout::kSpread); }, ".ogg", 700, u"", true,
       false},
      {"opus, padding just enough", [] { return fixtures::OpusPadded(100); }, ".opus", 100, u"",
       true, false},
      {"opus, padding one byte short", [] { return fixtures::OpusPadded(100); }, ".opus", 101, u"",
       false, true},
      {"opus, binary data, list as long", fixtures::OpusBinaryTags, ".opus", 0, u"Fixture Artisu",
       true, false},
      {"opus, binary data, list longer", fixtures::OpusBinaryTags, ".opus", 11, u"", false, false},
      {"flac, padding just enough", [] { return PaddedFlac(100); }, ".flac", 100, u"", true, false},
      {"flac, padding one byte short", [] { return PaddedFlac(100); }, ".flac", 101, u"", false,
       true},
      {"flac, no padding", [] { return fixtures::MakeFlacShape("flac-no-padding"); }, ".flac", 11,
       u"", false, true},
      {"flac, padding not last", [] { return fixtures::MakeFlacShape("flac-padding-not-last"); },
       ".flac", 11, u"", true, false},
  };
  for (const PathCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes input = c.file();
    const std::string path = Put({{std::string("song") + c.extension, input}})[0];
    FileIdentity before;
    ASSERT_TRUE(GetFileIdentity(String(path.c_str()), before).ok());
    const RetagOutcome outcome = Run({path}, c.growth, false, c.artist)[0];
    ASSERT_EQ(outcome.kind, OutcomeKind::kOk) << outcome.message.CStr();
    EXPECT_EQ(outcome.inPlace != nullptr, c.inPlace);
    const Bytes output = fixtures::ReadFile(path);
    const std::vector<std::string> tags = TagsOf(output);
    const std::string album = "ALBUM=" + std::string(c.growth == 0 ? 0 : c.growth - 10, 'a');
    EXPECT_TRUE(c.growth == 0 || std::find(tags.begin(), tags.end(), album) != tags.end());
    FileIdentity after;
    ASSERT_TRUE(GetFileIdentity(String(path.c_str()), after).ok());
    EXPECT_EQ(after == before, c.inPlace);
    if (c.inPlace) {
      ExpectOnlyTagsChanged(input, output);
    } else if (c.takesPadding) {
      EXPECT_EQ(RoomAfterTags(output), PaddingPolicy().BytesFor(input.size()));
    }
    EXPECT_TRUE(IsFlac(output) ? fixtures::FlacDecodesIntact(output)
                               : inspect::Decode(output).pcm == inspect::Decode(input).pcm);
    EXPECT_EQ(Recover(), "");
  }
}

// Three files edited in place at once: Vorbis, Opus and FLAC.
std::vector<std::pair<std::string, Bytes>> PaddedSongs() {
  return {{"a.ogg", fixtures::PaddedComment(100)},
          {"b.opus", fixtures::OpusPadded(100)},
          {"c.flac", PaddedFlac(100)}};
}

TEST_F(InPlaceTest, AWriteFlushOrCheckFailingAtEveryStepLeavesEachFileAsItWasOrDone) {
  std::vector<Bytes> done;
  int failAt = -2;
  for (;; ++failAt) {
    SCOPED_TRACE("failing step " + std::to_string(failAt));
    const std::vector<std::string> paths = Put(PaddedSongs());
    steps = Steps();
    steps.failAt = failAt;
    steps.corruptWrites = failAt == -1;  // every check fails
    const std::vector<RetagOutcome> outcomes = Run(paths, 50, true);
    for (size_t i = 0; i < paths.size(); ++i) {
      const Bytes now = fixtures::ReadFile(paths[i]);
      if (failAt == -2) done.push_back(now);
      if (outcomes[i].kind == OutcomeKind::kOk) {
        EXPECT_EQ(now, done[i]) << paths[i];
      } else {
        EXPECT_EQ(now, originals_[i]) << paths[i];
      }
      if (failAt == -1) {
        EXPECT_STREQ(outcomes[i].message.CStr(), EnglishMessages.InPlaceVerifyFailed);
      }
    }
    EXPECT_EQ(Recover(), "");
    for (size_t i = 0; i < paths.size(); ++i) {
      EXPECT_TRUE(fixtures::ReadFile(paths[i]) == originals_[i] ||
                  fixtures::ReadFile(paths[i]) == done[i]);
    }
    if (failAt >= 0 && steps.count <= failAt) break;  // nothing failed: every step was tried
  }
  steps = Steps();
  EXPECT_GT(failAt, 6);
}

// What the disk holds when the process dies at a step: the audio files and
// the journal as they are then.
struct Snapshot {
  std::vector<Bytes> files;
  Bytes journal;
};

Snapshot Take(const std::vector<std::string>& paths, const std::string& journal) {
  Snapshot snapshot;
  for (const std::string& path : paths) snapshot.files.push_back(fixtures::ReadFile(path));
  if (!journal.empty()) snapshot.journal = fixtures::ReadFile(journal);
  return snapshot;
}

void PutBack(const Snapshot& snapshot, const std::vector<std::string>& paths,
             const std::string& journal) {
  for (size_t i = 0; i < paths.size(); ++i) fixtures::WriteFile(paths[i], snapshot.files[i]);
  fixtures::WriteFile(journal, snapshot.journal);
}

// The files whose recovery records the journal holds retired.
std::set<std::string> RetiredFiles(const std::string& journal) {
  RecordLogReader reader;
  LogRecord record;
  std::map<int64_t, std::string> fileOf;
  std::set<std::string> retired;
  if (!reader.Open(String(journal.c_str())).ok()) return retired;
  while (reader.Next(record)) {
    RecoveryRecord recovery;
    int64_t offset;
    if (record.type == kInPlaceRecoveryRecord && DecodeRecoveryRecord(record.payload, recovery)) {
      fileOf[record.offset] = recovery.path;
    } else if (record.type == kInPlaceRetiredRecord && DecodeRetirement(record.payload, offset)) {
      retired.insert(fileOf[offset]);
    }
  }
  return retired;
}

TEST_F(InPlaceTest, AProcessDeadAtAnyStepIsPutBackWholeAtTheNextStart) {
  const std::vector<std::string> paths = Put(PaddedSongs());
  std::vector<Snapshot> deaths;
  steps = Steps();
  steps.before = [&](bool) {
    const std::vector<uint64_t> numbers = JournalNumbers(String(JournalFolder().c_str()));
    deaths.push_back(Take(paths, numbers.empty() ? std::string() : TheJournal()));
  };
  Run(paths, 50, true);
  steps = Steps();
  deaths.push_back(Take(paths, TheJournal()));
  const Snapshot done = deaths.back();
  size_t restored = 0;
  for (size_t d = 0; d < deaths.size(); ++d) {
    SCOPED_TRACE("died before step " + std::to_string(d));
    PutBack(deaths[d], paths, TheJournal());
    const std::set<std::string> retired = RetiredFiles(TheJournal());
    const std::string said = Recover();
    for (size_t i = 0; i < paths.size(); ++i) {
      const Bytes now = fixtures::ReadFile(paths[i]);
      EXPECT_EQ(now, retired.count(paths[i]) != 0 ? done.files[i] : originals_[i]) << paths[i];
      if (deaths[d].files[i] != now) {
        ++restored;
        EXPECT_NE(said.find("restored after an interrupted edit: " + paths[i]), std::string::npos)
            << said;
      }
    }
    EXPECT_EQ(Recover(), "");  // retired
  }
  EXPECT_GE(restored, 6u);  // each file, after its write and after the flush
}

struct TornCase {
  const char* name;
  std::function<void(Bytes& file, size_t offset, const Bytes& written)> tear;
  bool restored;  // else left alone, with a warning
};

TEST_F(InPlaceTest, ATornWriteComesBackOldAndAFileChangedSinceIsLeftAlone) {
  const TornCase cases[] = {
      {"written up to a sector in the middle",
       [](Bytes& file, size_t offset, const Bytes& written) {
         const size_t cut = (offset + written.size() / 2) / 512 * 512 - offset;
         std::copy(written.begin(), written.begin() + cut, file.begin() + offset);
       },
       true},
      {"every other sector written",
       [](Bytes& file, size_t offset, const Bytes& written) {
         for (size_t i = 0; i < written.size(); ++i) {
           if ((offset + i) / 512 % 2 == 0) file[offset + i] = written[i];
         }
       },
       true},
      {"a byte that is neither old nor new",
       [](Bytes& file, size_t offset, const Bytes& written) {
         std::copy(written.begin(), written.end(), file.begin() + offset);
         file[offset + written.size() / 2] ^= 0x55;
       },
       false},
  };
  for (const bool flac : {false, true}) {
    for (const TornCase& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (flac ? ", flac" : ", vorbis"));
      // Tags 2,000 bytes longer change bytes in several sectors.
      const std::vector<std::string> paths =
          Put({flac ? std::make_pair(std::string("c.flac"), PaddedFlac(3000))
                    : std::make_pair(std::string("a.ogg"), fixtures::PaddedComment(3000))});
      // Dies at its write of the file: the new bytes, as a tear leaves them.
      Snapshot death;
      steps = Steps();
      steps.before = [&](bool fileWrite) {
        if (fileWrite && death.files.empty()) death = Take(paths, TheJournal());
      };
      ASSERT_EQ(Run(paths, 2000, true)[0].kind, OutcomeKind::kOk);
      steps = Steps();
      const Bytes edited = fixtures::ReadFile(paths[0]);
      size_t first = 0;
      while (first < edited.size() && edited[first] == originals_[0][first]) ++first;
      size_t last = edited.size();
      while (last > first && edited[last - 1] == originals_[0][last - 1]) --last;
      c.tear(death.files[0], first, Bytes(edited.begin() + first, edited.begin() + last));
      PutBack(death, paths, TheJournal());

      // A dry run only tells.
      const std::string told = Recover(true);
      EXPECT_NE(told.find("an interrupted edit of " + paths[0] + " is pending"), std::string::npos)
          << told;
      EXPECT_EQ(fixtures::ReadFile(paths[0]), death.files[0]);
      const std::string said = Recover(false, true);
      if (c.restored) {
        EXPECT_EQ(fixtures::ReadFile(paths[0]), originals_[0]);
        EXPECT_EQ(said, "restauré après une modification interrompue : " + paths[0] + "\n");
      } else {
        EXPECT_EQ(fixtures::ReadFile(paths[0]), death.files[0]);
        EXPECT_NE(said.find("n'est plus tel qu'une modification interrompue"), std::string::npos)
            << said;
      }
      EXPECT_EQ(Recover(), "");
    }
  }
}

TEST_F(InPlaceTest, ARecoveryRecordCutOrDamagedIsNeverApplied) {
  const std::vector<std::string> paths = Put({PaddedSongs()[0]});
  // Dies right after the new bytes were written.
  Snapshot death;
  bool written = false;
  steps = Steps();
  steps.before = [&](bool fileWrite) {
    if (!fileWrite && written && death.files.empty()) death = Take(paths, TheJournal());
    written = written || fileWrite;
  };
  Run(paths, 50, true);
  steps = Steps();
  ASSERT_NE(death.files[0], originals_[0]);
  const std::string journal = TheJournal();
  // The recovery record is the last of the journal then.
  RecordLogReader reader;
  LogRecord record;
  ASSERT_TRUE(reader.Open(String(journal.c_str())).ok());
  size_t start = 0;
  while (reader.Next(record)) {
    if (record.type == kInPlaceRecoveryRecord) start = static_cast<size_t>(record.offset);
  }
  reader.Close();
  ASSERT_NE(start, 0u);
  const size_t end = death.journal.size();
  for (size_t at = start; at < end; at += std::max<size_t>(1, (end - start) / 97)) {
    for (int damage = 0; damage < 3; ++damage) {
      SCOPED_TRACE("damage " + std::to_string(damage) + " at " + std::to_string(at));
      Snapshot damaged = death;
      if (damage == 0) {
        damaged.journal.resize(at);
      } else {
        damaged.journal[at] ^= 0x04;
      }
      // The log's checksum made right: only the record's own catches it.
      if (damage == 2 && at >= start + 6 && at < end - 4) {
        const uint32_t crc = OggCrcUpdate(0, damaged.journal.data() + start, end - 4 - start);
        for (int b = 0; b < 4; ++b)
          damaged.journal[end - 4 + b] = static_cast<unsigned char>(crc >> (8 * b));
      }
      PutBack(damaged, paths, journal);
      EXPECT_EQ(Recover(), "");
      EXPECT_EQ(fixtures::ReadFile(paths[0]), death.files[0]);
    }
  }
}

// A setup header's codebooks are unpacked only for a file to be rewritten: an
// edit in place never writes them, and leaves a damaged one as it was; a
// rewrite refuses the file untouched. The dry run says what the run does.
TEST_F(InPlaceTest, ADamagedSetupHeaderIsLeftAsItWasInPlaceAndRefusedByARewrite) {
  fixtures::EncodeOptions options;
  options.commentPadding = 100;
  fixtures::EncodedStream stream = fixtures::Encode(options);
  stream.setup.data.resize(40);  // codebooks cut short
  const Bytes damaged = fixtures::PageStream(stream, fixtures::PageOptions());
  const std::string path = Put({{"damaged.ogg", damaged}})[0];
  const auto firstLine = [](const std::string& out) { return out.substr(0, out.find('\n')); };
  for (const bool rewrite : {true, false}) {
    SCOPED_TRACE(rewrite ? "--rewrite" : "in place");
    std::vector<std::string> run = {"--album", "Short", path};
    if (rewrite) run.insert(run.begin(), "--rewrite");
    std::vector<std::string> dry = run;
    dry.insert(dry.begin(), "--dry-run");
    const CliRun told = Cli(dry);
    const CliRun done = Cli(run);
    EXPECT_EQ(told.status, done.status);
    EXPECT_EQ(firstLine(told.out), firstLine(done.out));
    if (rewrite) {
      EXPECT_EQ(firstLine(done.out), path + " Corrupt secondary header.");
      EXPECT_EQ(fixtures::ReadFile(path), damaged);
    } else {
      EXPECT_EQ(firstLine(done.out), path + " OK");
      ExpectOnlyTagsChanged(damaged, fixtures::ReadFile(path));
      EXPECT_EQ(TagsOf(fixtures::ReadFile(path)).back(), "ALBUM=Short");
    }
  }
}

TEST_F(InPlaceTest, TheCommandLineTellsEachFilesWayAndUndoesAnEditInPlaceInPlace) {
  const std::vector<std::string> paths =
      Put({{"fits.ogg", fixtures::PaddedComment(100)}, {"full.ogg", fixtures::Basic()}});
  const std::vector<std::string> run = {"--album", "Short", paths[0], paths[1]};
  std::vector<std::string> dry = run;
  dry.insert(dry.begin(), "--dry-run");
  const CliRun told = Cli(dry);
  EXPECT_NE(told.out.find(paths[0] + " OK\n  (edited in place)\n"), std::string::npos) << told.out;
  EXPECT_NE(told.out.find(paths[1] + " OK\n  (rewritten)\n"), std::string::npos) << told.out;
  EXPECT_NE(Cli(dry, false, true).out.find("  (modifié sur place)\n"), std::string::npos);
  std::vector<std::string> forced = dry;
  forced.insert(forced.begin(), "--rewrite");
  EXPECT_EQ(Cli(forced).out.find("(edited in place)"), std::string::npos);

#ifndef _WIN32
  // Every name of the file sees an edit in place.
  const std::string link = folder_.File("link.ogg");
  fs::create_hard_link(paths[0], link);
#endif
  FileIdentity fits;
  ASSERT_TRUE(GetFileIdentity(String(paths[0].c_str()), fits).ok());
  ASSERT_EQ(Cli(run).status, 0);
#ifndef _WIN32
  EXPECT_EQ(fixtures::ReadFile(link), fixtures::ReadFile(paths[0]));
  EXPECT_EQ(TagsOf(fixtures::ReadFile(link)).back(), "ALBUM=Short");
#endif
  EXPECT_EQ(RoomAfterTags(fixtures::ReadFile(paths[1])),
            PaddingPolicy().BytesFor(originals_[1].size()));
  // --no-padding rewrites as before: no room.
  const std::string bare = folder_.Put("bare.ogg", fixtures::Basic());
  ASSERT_EQ(Cli({"--no-padding", "--album", "X", bare}).status, 0);
  EXPECT_EQ(RoomAfterTags(fixtures::ReadFile(bare)), 0u);

  // Back in place, byte for byte, the same file; the rewritten one by rewrite.
  ASSERT_EQ(Cli({"--undo"}).status, 0);
  const CliRun undo = Cli({"--undo"});
  EXPECT_EQ(undo.status, 0) << undo.err;
  FileIdentity back;
  ASSERT_TRUE(GetFileIdentity(String(paths[0].c_str()), back).ok());
  EXPECT_TRUE(back == fits);
  EXPECT_EQ(fixtures::ReadFile(paths[0]), originals_[0]);
  EXPECT_EQ(fixtures::ReadFile(paths[1]), originals_[1]);
}

}  // namespace
