// RetagFile on real generated files on a real disk: each failure with its
// message and what is left on disk, each tag step with its key and value.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/message_table.h"
#include "engine/retag_file.h"
#include "engine/taggable_file.h"
#include "tests/support/flac_check.h"
#include "tests/support/temp_folder.h"
#include "tools/flac_fixtures.h"
#include "tools/ogg_fixtures.h"
#include "tools/stream_probe.h"

namespace {

namespace fs = std::filesystem;
using fixtures::Bytes;

struct Outcome {
  bool ok;
  std::string message;
};

class RetagFileTest : public ::testing::Test {
 protected:
  void SetUp() override { CurrentMessageTable = &EnglishMessages; }
  void TearDown() override { CurrentMessageTable = nullptr; }

  Outcome Retag(const std::string& path, int position = 1, WriteFunc write = nullptr) {
    String message;
    const bool ok = RetagFile(String(path.c_str()), message, position, choices_, write);
    return {ok, message.CStr()};
  }

  // Every packet but the comment header unchanged, and the audio decodes alike.
  static void ExpectSameStream(const Bytes& before, const std::string& path) {
    const Bytes after = fixtures::ReadFile(path);
    const inspect::Inspection a = inspect::Inspect(before);
    const inspect::Inspection b = inspect::Inspect(after);
    ASSERT_FALSE(a.streams.empty());
    ASSERT_FALSE(b.streams.empty());
    const auto& in = a.streams[0].packets;
    const auto& out = b.streams[0].packets;
    ASSERT_EQ(in.size(), out.size());
    for (size_t i = 0; i < in.size(); ++i) {
      if (i == 1) continue;
      ASSERT_EQ(in[i], out[i]) << "packet " << i;
    }
    const inspect::Decoded da = inspect::Decode(before);
    const inspect::Decoded db = inspect::Decode(after);
    ASSERT_TRUE(db.ok);
    EXPECT_EQ(da.samples, db.samples);
    EXPECT_EQ(da.pcm, db.pcm);
  }

  static bool Exists(const std::string& path) { return fs::exists(path); }

  TempFolder folder_;
  FixedTagChoices choices_;
};

TEST_F(RetagFileTest, NothingTickedRewritesTheFileWithItsOwnComments) {
  const Bytes original = fixtures::Basic();
  const std::string path = folder_.Put("plain.ogg", original);
  const Outcome outcome = Retag(path);
  EXPECT_TRUE(outcome.ok);
  EXPECT_EQ(outcome.message, "");
  EXPECT_FALSE(Exists(path + ".old"));
  EXPECT_EQ(inspect::CommentEntriesOf(path),
            (std::vector<std::string>{"ARTIST=Fixture Artist", "TITLE=Fixture Title"}));
  ExpectSameStream(original, path);
}

TEST_F(RetagFileTest, RewriteLeavesThePaddingOfItsPolicyAndNoneByDefault) {
  const Bytes original = fixtures::Basic();
  for (const bool padded : {false, true}) {
    SCOPED_TRACE(padded);
    const std::string path = folder_.Put(padded ? "padded.ogg" : "plain.ogg", original);
    RetagRequest request;
    request.path = String(path.c_str());
    request.choices = &choices_;
    if (padded) request.padding = PaddingPolicy();
    request.flacPadding = PaddingPolicy();  // not for Ogg files
    EXPECT_EQ(RetagFile(request).kind, OutcomeKind::kOk);
    const Bytes packet = inspect::Inspect(fixtures::ReadFile(path)).streams[0].packets[1];
    // The framing byte, then the padding.
    EXPECT_EQ(inspect::ParseComments(packet).binaryData.size(),
              1 + (padded ? PaddingPolicy::kMinimum : 0));
    ExpectSameStream(original, path);
  }
}

TEST_F(RetagFileTest, EveryStepWritesItsKeyInTheFixedOrder) {
  const Bytes original = fixtures::Basic();
  const std::string path = folder_.Put("07 - Name Artist - Name Title.ogg", original);
  choices_.Tick(kDateBox);
  choices_.SetField(kDateField, WideString(u"2005-7-1"));
  choices_.Tick(kAlbumBox);
  choices_.SetField(kAlbumField, WideString(u"\u00C9t\u00E9 \U0001F3B5"));
  choices_.Tick(kLabelBox);
  choices_.SetField(kLabelField, WideString(u"Label"));
  choices_.Tick(kGenreBox);
  choices_.SetField(kGenreField, WideString());
  choices_.Tick(kArtistBox);
  choices_.SetField(kArtistField, WideString(u"Typed Artist"));
  choices_.Tick(kTrackFromNameBox);
  choices_.Tick(kTrackFromOrderBox);  // ignored while the name's number is ticked
  choices_.Tick(kTitleFromNameBox);
  choices_.Tick(kCommentBox);
  choices_.SetField(kCommentField, WideString(u"line one\r\nline two"));

  const Outcome outcome = Retag(path, 5);
  EXPECT_TRUE(outcome.ok);
  EXPECT_EQ(outcome.message, "");
  const std::vector<std::string> expected = {
      "DATE=2005-07-01",     "ALBUM=\xC3\x89t\xC3\xA9 \xF0\x9F\x8E\xB5",
      "LABEL=Label",         "GENRE=",
      "ARTIST=Typed Artist", "TRACKNUMBER=7",
      "TITLE=Name Title",    "COMMENT=line one\r\nline two",
  };
  EXPECT_EQ(inspect::CommentEntriesOf(path), expected);
  ExpectSameStream(original, path);
}

TEST_F(RetagFileTest, TrackNumberSources) {
  struct Case {
    const char* name;
    ChoiceId box;
    int position;
    const char* entry;  // null: the file keeps its own TRACKNUMBER
    const char* message;
  };
  const Case cases[] = {
      {"03 - A - B.ogg", kTrackFromOrderBox, 3, "TRACKNUMBER=3", ""},
      {"A - B.ogg", kTrackFromOrderBox, 12, "TRACKNUMBER=12", ""},
      {"09 - A - B.ogg", kTrackFromNameBox, 1, "TRACKNUMBER=9", ""},
      {"A - B.ogg", kTrackFromNameBox, 1, nullptr, EnglishMessages.TrackNumberNotFound},
  };
  fixtures::EncodeOptions options;
  options.comments = {"TRACKNUMBER=42", "TITLE=t"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FixedTagChoices choices;
    choices.Tick(c.box);
    choices_ = choices;
    const std::string path = folder_.Put(c.name, fixtures::Basic(options));
    const Outcome outcome = Retag(path, c.position);
    EXPECT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.message, c.message);
    const std::vector<std::string> entries = inspect::CommentEntriesOf(path);
    if (c.entry != nullptr) {
      EXPECT_EQ(entries, (std::vector<std::string>{"TITLE=t", c.entry}));
    } else {
      EXPECT_EQ(entries, (std::vector<std::string>{"TRACKNUMBER=42", "TITLE=t"}));
    }
    fs::remove(path);
  }
}

TEST_F(RetagFileTest, DatesAreNormalisedOrRefused) {
  struct Case {
    const char* typed;
    const char* stored;  // null: refused with "Bad date."
  };
  const Case cases[] = {
      {"2004", "2004"},
      {"2005-7-1", "2005-07-01"},
      {"2005-13-01", "2005"},
      {"2004-05-06 7:5:3", "2004-05-06 07:05:03"},
      {"2004-02-31", "2004-02-31"},
      {"  2004-05", "2004-05"},
      {"999-01-01", nullptr},
      {"05", nullptr},
      {"", nullptr},
      {"abc", nullptr},
      {"-2004", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    choices_.Tick(kDateBox);
    choices_.SetField(kDateField, String(c.typed), WideString());
    const Bytes original = fixtures::Basic();
    const std::string path = folder_.Put("date.ogg", original);
    const Outcome outcome = Retag(path);
    if (c.stored != nullptr) {
      EXPECT_TRUE(outcome.ok);
      EXPECT_EQ(inspect::CommentEntriesOf(path).back(), std::string("DATE=") + c.stored);
      fs::remove(path);
    } else {
      // Refused before the file is touched.
      EXPECT_FALSE(outcome.ok);
      EXPECT_EQ(outcome.message, "Bad date.");
      EXPECT_EQ(fixtures::ReadFile(path), original);
      EXPECT_FALSE(Exists(path + ".old"));
      fs::remove(path);
    }
  }
}

TEST_F(RetagFileTest, MissingSeparatorWarnsAndStillWritesEmptyValues) {
  const std::string path = folder_.Put("NoSeparator.ogg", fixtures::Basic());
  choices_.Tick(kArtistFromNameBox);
  choices_.Tick(kTitleFromNameBox);
  const Outcome outcome = Retag(path);
  EXPECT_TRUE(outcome.ok);
  EXPECT_EQ(outcome.message, EnglishMessages.SeparatorNotFound);
  EXPECT_EQ(inspect::CommentEntriesOf(path), (std::vector<std::string>{"ARTIST=", "TITLE="}));
}

TEST_F(RetagFileTest, ExistingOldCopyIsNeverReplaced) {
  const Bytes original = fixtures::Basic();
  const std::string path = folder_.Put("song.ogg", original);
  const Bytes leftOver = {'o', 'l', 'd'};
  folder_.Put("song.ogg.old", leftOver);
  for (const MessageTable* table : {&EnglishMessages, &FrenchMessages}) {
    CurrentMessageTable = table;
    const Outcome outcome = Retag(path);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.message, table->CannotRenameInput);
    EXPECT_EQ(fixtures::ReadFile(path), original);
    EXPECT_EQ(fixtures::ReadFile(path + ".old"), leftOver);
  }
}

TEST_F(RetagFileTest, UnreadableStreamsAreRefusedUntouched) {
  const MessageTable& en = EnglishMessages;
  struct Case {
    const char* name;
    Bytes bytes;
    const char* message;
    const MessageTable* table = &EnglishMessages;
  };
  // Tags that pass a FLAC comment block's 16 MiB - 1 bytes with this album.
  choices_.Tick(kAlbumBox);
  choices_.SetField(kAlbumField, WideString(std::u16string(400, u'a').c_str()));
  const Bytes nearlyFull = fixtures::LayOutFlac(
      {fixtures::FlacStreamInfo(),
       fixtures::FlacComments({"COMMENT=" + std::string(kFlacMaxBlockSize - 300, 'c')})});
  const char* oggFlac = "Ogg bitstream contains FLAC, not Vorbis or Opus.";
  const Case cases[] = {
      {"text.ogg", Bytes{'h', 'e', 'l', 'l', 'o'}, "Input truncated or empty."},
      {"empty.ogg", Bytes{}, "Input truncated or empty."},
      {"junk.ogg", fixtures::JunkPrefix(), "Input is not an Ogg bitstream."},
      {"other.ogg", fixtures::SpeexStream(), "Ogg bitstream contains Speex, not Vorbis or Opus."},
      {"ogg-flac.oga", fixtures::FlacStream(), oggFlac},
      {"ogg-flac.flac", fixtures::FlacStream(), oggFlac},
      {"no-marker.flac", fixtures::MakeFlacShape("flac-refused-no-marker"), en.FlacNoMarker},
      {"text.flac", Bytes{'h', 'i'}, en.FlacNoMarker},
      {"streaminfo.flac", fixtures::MakeFlacShape("flac-refused-streaminfo-not-first"),
       en.FlacBadStreamInfo},
      {"past-end.flac", fixtures::MakeFlacShape("flac-refused-block-past-end"),
       en.FlacBlockPastEnd},
      {"two.flac", fixtures::MakeFlacShape("flac-refused-two-comments"), en.FlacSeveralComments},
      {"deux.flac", fixtures::MakeFlacShape("flac-refused-two-comments"),
       FrenchMessages.FlacSeveralComments, &FrenchMessages},
      {"bad-list.flac", fixtures::MakeFlacShape("flac-refused-bad-comment-list"),
       en.FlacBadCommentList},
      {"too-large.flac", nearlyFull, en.FlacCommentTooLarge},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CurrentMessageTable = c.table;
    const std::string path = folder_.Put(c.name, c.bytes);
    const Outcome outcome = Retag(path);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.message, c.message);
    EXPECT_EQ(fixtures::ReadFile(path), c.bytes);
    EXPECT_FALSE(Exists(path + ".old"));
  }
}

// Every FLAC shape through the rename flow, with the padding the dialog asks
// for FLAC files: the tag written, every kept block, the frames and the audio
// as they were, the policy's padding last, no ".old" left.
TEST_F(RetagFileTest, EveryFlacShapeIsRewrittenWithItsBlocksAndAudioKept) {
  choices_.Tick(kAlbumBox);
  choices_.SetField(kAlbumField, WideString(u"Le Jour"));
  for (const std::string& shape : fixtures::FlacShapeNames()) {
    if (shape.find("refused") != std::string::npos) continue;
    SCOPED_TRACE(shape);
    const Bytes original = fixtures::MakeFlacShape(shape);
    const std::string path = folder_.Put(shape + ".flac", original);
    RetagRequest request;
    request.path = String(path.c_str());
    request.choices = &choices_;
    request.flacPadding = PaddingPolicy();
    const RetagOutcome outcome = RetagFile(request);
    EXPECT_EQ(outcome.kind, OutcomeKind::kOk) << outcome.message.CStr();
    EXPECT_EQ(outcome.codec, CommentCodec::kFlac);
    EXPECT_FALSE(Exists(path + ".old"));
    const Bytes written = fixtures::ReadFile(path);
    flac_check::ExpectFaithfulRewrite(original, written);
    const FlacMetadata metadata = flac_check::MetadataOf(written);
    EXPECT_EQ(metadata.comments.entries.back(), "ALBUM=Le Jour");
    EXPECT_EQ(metadata.blocks.back().type, kFlacPadding);
    EXPECT_EQ(metadata.blocks.back().body.size(), PaddingPolicy::kMinimum);
  }
}

TEST_F(RetagFileTest, MissingFileCannotBeOpened) {
  const Outcome outcome = Retag(folder_.File("gone.ogg"));
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.message, "Cannot open input.");
}

// Makes the output path unusable at the last moment before it is opened: the
// album field is read once to check the tags before the file is touched, then
// again after the move and before the open for writing.
class BlockingChoices : public FixedTagChoices {
 public:
  explicit BlockingChoices(std::string blocked) : blocked_(std::move(blocked)) { Tick(kAlbumBox); }
  WideString FieldTextWide(ChoiceId) const override {
    if (++reads_ == 2) fs::create_directory(blocked_);
    return WideString(u"Album");
  }

 private:
  std::string blocked_;
  mutable int reads_ = 0;
};

TEST_F(RetagFileTest, OutputThatCannotBeOpenedKeepsTheOldCopy) {
  const Bytes original = fixtures::Basic();
  const std::string path = folder_.Put("blocked.ogg", original);
  BlockingChoices choices(path);
  String message;
  EXPECT_FALSE(RetagFile(String(path.c_str()), message, 1, choices));
  EXPECT_STREQ(message.CStr(), "Cannot open output.");
  EXPECT_TRUE(fs::is_directory(path));
  EXPECT_EQ(fixtures::ReadFile(path + ".old"), original);
}

size_t bytesBeforeFailure = 0;
size_t FailingWrite(const void* data, size_t size, size_t count, void* handle) {
  const size_t bytes = size * count;
  if (bytes > bytesBeforeFailure) {
    bytesBeforeFailure = 0;
    return 0;
  }
  bytesBeforeFailure -= bytes;
  return std::fwrite(data, size, count, static_cast<FILE*>(handle));
}

TEST_F(RetagFileTest, FailedWriteRemovesThePartialOutputAndKeepsTheOldCopy) {
  const Bytes original = fixtures::Basic();
  for (size_t allowed : {size_t{0}, size_t{100}, original.size() / 2, original.size() - 200}) {
    SCOPED_TRACE(allowed);
    const std::string path = folder_.Put("disk-full.ogg", original);
    bytesBeforeFailure = allowed;
    const Outcome outcome = Retag(path, 1, FailingWrite);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.message,
              "Error writing stream to output. Output stream may be corrupted or truncated.");
    EXPECT_FALSE(Exists(path));
    EXPECT_EQ(fixtures::ReadFile(path + ".old"), original);
    fs::remove(path + ".old");
  }
}

#ifndef _WIN32
TEST_F(RetagFileTest, RewrittenFileKeepsThePermissionBits) {
  const std::string path = folder_.Put("mode.ogg", fixtures::Basic());
  chmod(path.c_str(), 0640);
  EXPECT_TRUE(Retag(path).ok);
  struct stat info;
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

// The old copy is swapped for a non-empty folder while the file is being
// written, so that its removal fails after a good write.
std::string swapPath;
size_t SwappingWrite(const void* data, size_t size, size_t count, void* handle) {
  if (!swapPath.empty()) {
    fs::rename(swapPath, swapPath + ".moved");
    fs::create_directories(swapPath + "/inside");
    swapPath.clear();
  }
  return std::fwrite(data, size, count, static_cast<FILE*>(handle));
}

TEST_F(RetagFileTest, OldCopyThatCannotBeDeletedIsAWarning) {
  const std::string path = folder_.Put("Artist - Title.ogg", fixtures::Basic());
  choices_.Tick(kTitleFromNameBox);
  swapPath = path + ".old";
  const Outcome outcome = Retag(path, 1, SwappingWrite);
  EXPECT_TRUE(outcome.ok);
  EXPECT_EQ(outcome.message, "Cannot delete old file.");
  EXPECT_EQ(inspect::CommentEntriesOf(path).back(), "TITLE=Title");
  EXPECT_TRUE(fs::is_directory(path + ".old"));
}
#endif

}  // namespace

namespace {

TEST(TaggableFileName, TakesOggOpusOgaAndFlacInAnyCase) {
  const struct {
    const char* path;
    bool taken;
  } cases[] = {{"a.ogg", true},       {"dir/B.OGA", true},  {"c.Opus", true},    {"d.mp3", false},
               {"ogg", false},        {"e.ogg.old", false}, {"f.opus.x", false}, {"g.FLAC", true},
               {"h.flac.old", false}, {"flac", false}};
  for (const auto& c : cases) EXPECT_EQ(IsTaggableFileName(String(c.path)), c.taken) << c.path;
}

}  // namespace
