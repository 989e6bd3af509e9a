// FlacEditor over every generated FLAC shape: the full rewrite and the edit in
// place, each checked by the independent check of written files (which must
// itself catch damage), decoded by libFLAC, and every refusal.
#include "flac/flac_editor.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/memory_io.h"
#include "text/wide_string.h"
#include "tools/flac_fixtures.h"

namespace {

using fixtures::Bytes;

// An editor opened on a file held in memory.
struct OpenFlac {
  explicit OpenFlac(const Bytes& file) : bytes(file) {
    source.data = bytes.data();
    source.size = bytes.size();
    status = editor.Open(&source, memory_io::Read, bytes.size());
  }
  Bytes bytes;
  memory_io::Source source;
  FlacEditor editor;
  Status status;
};

Bytes WriteNew(FlacEditor& editor, const PaddingPolicy& padding = PaddingPolicy()) {
  memory_io::Sink sink;
  Status status = editor.Write(&sink, memory_io::Write, padding);
  EXPECT_TRUE(status.ok()) << status.detail();
  return sink.bytes;
}

Status Verify(const Bytes& file, const FlacExpectation& expected, bool inPlace) {
  memory_io::Source source;
  source.data = file.data();
  source.size = file.size();
  return inPlace ? VerifyFlacInPlace(&source, memory_io::Read, file.size(), expected)
                 : VerifyFlacRewrite(&source, memory_io::Read, file.size(), expected);
}

size_t CountBlocks(const FlacMetadata& metadata, uint8_t type) {
  size_t count = 0;
  for (const FlacBlock& block : metadata.blocks) count += block.type == type;
  return count;
}

// Blocks other than PADDING before the comment block.
int BlocksBeforeComment(const FlacMetadata& metadata) {
  int count = 0;
  for (int i = 0; i < metadata.commentIndex; ++i) {
    count += metadata.blocks[static_cast<size_t>(i)].type != kFlacPadding;
  }
  return count;
}

std::vector<std::string> Shapes() {
  std::vector<std::string> shapes;
  for (const std::string& name : fixtures::FlacShapeNames()) {
    if (name.find("refused") == std::string::npos) shapes.push_back(name);
  }
  return shapes;
}

TEST(FlacEditor, RewriteKeepsEveryBlockFramesAndTailOfEachShape) {
  for (const std::string& shape : Shapes()) {
    for (bool noPadding : {false, true}) {
      SCOPED_TRACE(shape + (noPadding ? " without padding" : ""));
      OpenFlac input(fixtures::MakeFlacShape(shape));
      ASSERT_TRUE(input.status.ok()) << input.status.detail();
      // Open reads the metadata and not one byte of the frames.
      EXPECT_EQ(input.source.position, input.editor.Metadata().framesOffset);
      input.editor.SetTag("album", WideString(u"Le Jour \u00e9t\u00e9"));
      input.editor.RemoveTag("TITLE");
      PaddingPolicy padding;
      padding.noPadding = noPadding;
      const Bytes output = WriteNew(input.editor, padding);
      Status status = Verify(output, input.editor.Expectation(), false);
      EXPECT_TRUE(status.ok()) << status.detail();

      OpenFlac written(output);
      ASSERT_TRUE(written.status.ok());
      const FlacMetadata& metadata = written.editor.Metadata();
      // The comment block stands where it stood among the kept blocks, or
      // right after STREAMINFO.
      EXPECT_EQ(BlocksBeforeComment(metadata),
                input.editor.HadCommentBlock() ? BlocksBeforeComment(input.editor.Metadata()) : 1);
      EXPECT_EQ(written.editor.Comments().back(), "album=Le Jour \xC3\xA9t\xC3\xA9");
      EXPECT_EQ(CountBlocks(metadata, kFlacPadding), noPadding ? 0u : 1u);
      if (!noPadding) {
        EXPECT_EQ(metadata.blocks.back().type, kFlacPadding);
        EXPECT_EQ(metadata.blocks.back().body.size(), PaddingPolicy::kMinimum);
      }
    }
  }
}

TEST(FlacEditor, PaddingPolicyFollowsTheFileSizeWithinItsBounds) {
  PaddingPolicy policy;
  EXPECT_EQ(policy.BytesFor(30000), 1024u);
  EXPECT_EQ(policy.BytesFor(20000000), 20000u);
  EXPECT_EQ(policy.BytesFor(uint64_t(1) << 40), 65536u);
  policy.noPadding = true;
  EXPECT_EQ(policy.BytesFor(20000000), 0u);
}

TEST(FlacEditor, CheckOfWrittenFilesCatchesEachDamage) {
  OpenFlac input(fixtures::MakeFlacShape("flac-id3v1"));
  input.editor.SetTag("ALBUM", WideString(u"x"));
  const Bytes output = WriteNew(input.editor);
  const size_t frames = OpenFlac(output).editor.Metadata().framesOffset;
  const size_t album = std::string(output.begin(), output.end()).find("ALBUM=x");
  struct Damage {
    const char* name;
    std::function<void(Bytes&)> apply;
    const char* detail;
  } const kDamages[] = {
      {"a frame byte", [&](Bytes& b) { b[frames + 100] ^= 1; }, kFlacCheckFrames},
      {"the ID3v1 tail", [](Bytes& b) { b.back() ^= 1; }, kFlacCheckFrames},
      {"a byte cut off the end", [](Bytes& b) { b.pop_back(); }, kFlacCheckFrames},
      {"a STREAMINFO byte", [](Bytes& b) { b[4 + 4 + 20] ^= 1; }, kFlacCheckBlocks},
      {"a tag value", [&](Bytes& b) { b[album + 6] = 'y'; }, kFlacCheckTags},
      {"the marker", [](Bytes& b) { b[0] = 'F'; }, kFlacCheckUnreadable},
  };
  EXPECT_TRUE(Verify(output, input.editor.Expectation(), false).ok());
  for (const Damage& damage : kDamages) {
    Bytes damaged = output;
    damage.apply(damaged);
    EXPECT_STREQ(Verify(damaged, input.editor.Expectation(), false).detail(), damage.detail)
        << damage.name;
  }
}

// The value of length n, as a new ALBUM entry, grows the comment block by
// 4 + 6 + n bytes.
WideString ValueOfLength(size_t n) { return WideString(std::u16string(n, u'v').c_str()); }

TEST(FlacEditor, InPlacePlanFitsWithinOnePaddingBlockOrNotAtAll) {
  enum Change { kGrowBy, kGrowByPaddingAnd, kRemoveArtist };
  struct Row {
    const char* shape;
    Change change;
    long bytes;
    bool fits;
    size_t paddingLeft;  // PADDING blocks after the edit
  } const kRows[] = {
      {"flac-basic", kGrowBy, 17, true, 1},
      {"flac-basic", kRemoveArtist, 0, true, 1},
      {"flac-basic", kGrowByPaddingAnd, 0, true, 1},   // the padding's body: its header stays
      {"flac-basic", kGrowByPaddingAnd, 1, false, 1},  // one byte short
      {"flac-basic", kGrowByPaddingAnd, 4, true, 0},   // the whole block, header included
      {"flac-basic", kGrowByPaddingAnd, 5, false, 1},
      {"flac-no-padding", kGrowBy, 17, false, 0},
      {"flac-padding-not-last", kGrowBy, 17, true, 1},
      {"flac-padding-not-last", kGrowByPaddingAnd, 4, true, 0},
      {"flac-no-comment", kGrowBy, 17, true, 1},
      {"flac-picture-first", kGrowBy, 17, true, 1},
      {"flac-id3v2", kGrowBy, 17, true, 1},
      {"flac-seektable-cuesheet", kGrowBy, 17, true, 1},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(std::string(row.shape) + " change " + std::to_string(row.change) + " " +
                 std::to_string(row.bytes));
    OpenFlac input(fixtures::MakeFlacShape(row.shape));
    ASSERT_TRUE(input.status.ok());
    long growth = row.bytes;
    for (const FlacBlock& block : input.editor.Metadata().blocks) {
      if (block.type == kFlacPadding && row.change == kGrowByPaddingAnd) {
        growth += static_cast<long>(block.body.size());
      }
    }
    if (row.change == kRemoveArtist) {
      input.editor.RemoveTag("ARTIST");
    } else {
      input.editor.SetTag("ALBUM", ValueOfLength(static_cast<size_t>(growth - 10)));
    }
    FlacInPlaceEdit edit;
    ASSERT_TRUE(input.editor.PlanInPlace(edit).ok());
    ASSERT_EQ(edit.fits, row.fits);
    if (!edit.fits) continue;
    ASSERT_EQ(edit.newBytes.size(), edit.oldBytes.size());
    ASSERT_EQ(std::string(input.bytes.begin() + long(edit.offset),
                          input.bytes.begin() + long(edit.offset + edit.oldBytes.size())),
              edit.oldBytes);
    Bytes edited = input.bytes;
    std::copy(edit.newBytes.begin(), edit.newBytes.end(), edited.begin() + long(edit.offset));
    Status status = Verify(edited, input.editor.Expectation(), true);
    EXPECT_TRUE(status.ok()) << status.detail();
    EXPECT_EQ(CountBlocks(OpenFlac(edited).editor.Metadata(), kFlacPadding), row.paddingLeft);
    if (std::string(row.shape) == "flac-padding-not-last") {
      EXPECT_TRUE(fixtures::FlacDecodesIntact(edited));
    }
  }
}

TEST(FlacEditor, RewrittenFileDecodesWithTheAudioMd5OfStreamInfo) {
  OpenFlac input(fixtures::MakeFlacShape("flac-seektable-cuesheet"));
  ASSERT_TRUE(fixtures::FlacDecodesIntact(input.bytes));
  input.editor.SetTag("ARTIST", WideString(u"Les Oiseaux"));
  Bytes output = WriteNew(input.editor);
  EXPECT_TRUE(fixtures::FlacDecodesIntact(output));
  output[output.size() - 2000] ^= 0x10;  // the check can fail
  EXPECT_FALSE(fixtures::FlacDecodesIntact(output));
}

TEST(FlacEditor, OldCommentBlockWrittenBackGivesTheFileItsTagsAgain) {
  for (const char* shape : {"flac-basic", "flac-no-comment"}) {
    SCOPED_TRACE(shape);
    OpenFlac input(fixtures::MakeFlacShape(shape));
    input.editor.SetTag("GENRE", WideString(u"Jazz"));
    OpenFlac retagged(WriteNew(input.editor));
    ASSERT_TRUE(retagged.editor.ReplaceCommentHeader(input.editor.OriginalCommentHeader()).ok());
    OpenFlac undone(WriteNew(retagged.editor));
    EXPECT_TRUE(Verify(undone.bytes, retagged.editor.Expectation(), false).ok());
    EXPECT_EQ(undone.editor.HadCommentBlock(), input.editor.HadCommentBlock());
    EXPECT_EQ(undone.editor.OriginalCommentHeader(), input.editor.OriginalCommentHeader());
  }
}

TEST(FlacEditor, FieldNamesMatchAsciiCaseInsensitivelyAndWhole) {
  OpenFlac input(fixtures::LayOutFlac(
      {fixtures::FlacStreamInfo(),
       fixtures::FlacComments({"artist=a", "ARTISTSORT=s", "ARTIST", "=x", "Artist=b", "T=t"})}));
  input.editor.SetTag("ARTIST", WideString(u"c"));
  input.editor.RemoveTag("t");
  EXPECT_EQ(input.editor.Comments(),
            (std::vector<std::string>{"ARTISTSORT=s", "ARTIST", "=x", "ARTIST=c"}));
}

TEST(FlacEditor, PicturesAreListedWithTypeMimeTypeAndSize) {
  OpenFlac input(fixtures::MakeFlacShape("flac-picture-first"));
  const std::vector<FlacPicture> pictures = input.editor.Pictures();
  ASSERT_EQ(pictures.size(), 1u);
  EXPECT_EQ(pictures[0].type, 3u);
  EXPECT_EQ(pictures[0].mimeType, "image/png");
  EXPECT_EQ(pictures[0].dataSize, 300u);
}

TEST(FlacEditor, RefusesEachMalformedFileAndTooLargeTagsBeforeWriting) {
  struct Refusal {
    Bytes file;
    StatusCode code;
    const char* detail;
  } const kRefusals[] = {
      {fixtures::MakeFlacShape("flac-refused-no-marker"), StatusCode::kCorrupt, kFlacNoMarker},
      {fixtures::FlacStream(), StatusCode::kCorrupt, kFlacNoMarker},  // FLAC in Ogg
      {Bytes(), StatusCode::kCorrupt, kFlacNoMarker},
      {Bytes{'f', 'L', 'a', 'C'}, StatusCode::kCorrupt, kFlacBadStreamInfo},
      {fixtures::MakeFlacShape("flac-refused-streaminfo-not-first"), StatusCode::kCorrupt,
       kFlacBadStreamInfo},
      {fixtures::MakeFlacShape("flac-refused-block-past-end"), StatusCode::kCorrupt,
       kFlacBlockPastEnd},
      {fixtures::MakeFlacShape("flac-refused-two-comments"), StatusCode::kUnsupported,
       kFlacSeveralComments},
      {fixtures::MakeFlacShape("flac-refused-bad-comment-list"), StatusCode::kCorrupt,
       kFlacBadCommentList},
  };
  for (const Refusal& refusal : kRefusals) {
    OpenFlac input(refusal.file);
    EXPECT_EQ(input.status.code(), refusal.code);
    EXPECT_STREQ(input.status.detail(), refusal.detail);
    EXPECT_FALSE(input.editor.IsOpen());
  }

  OpenFlac input(fixtures::MakeFlacShape("flac-basic"));
  EXPECT_EQ(input.editor.ReplaceCommentHeader("\x05").code(), StatusCode::kCorrupt);
  input.editor.SetTag("COMMENT", ValueOfLength(kFlacMaxBlockSize));
  memory_io::Sink sink;
  EXPECT_STREQ(input.editor.Write(&sink, memory_io::Write, PaddingPolicy()).detail(),
               kFlacCommentTooLarge);
  EXPECT_TRUE(sink.bytes.empty());
  FlacInPlaceEdit edit;
  EXPECT_EQ(input.editor.PlanInPlace(edit).code(), StatusCode::kTooLarge);
}

}  // namespace
