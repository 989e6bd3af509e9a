// TagEditor::Open on generated files of every shape: which inputs open, which
// failure text each bad input gives, and how much of the input is read.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/support/memory_io.h"
#include "tools/ogg_fixtures.h"
#include "tools/stream_probe.h"
#include "vorbis/tag_editor.h"

namespace {

using fixtures::Bytes;

struct OpenCase {
  const char* shape;
  const char* error;  // null: the open succeeds
  StatusCode code;
};

const OpenCase kOpenCases[] = {
    {"basic", nullptr, StatusCode::kOk},
    {"spread-headers", nullptr, StatusCode::kOk},
    {"audio-on-setup-page", nullptr, StatusCode::kOk},
    {"huge-comment", nullptr, StatusCode::kOk},
    {"padded-comment", nullptr, StatusCode::kOk},  // zeros after the framing bit
    {"opus-padded", nullptr, StatusCode::kOk},     // zeros after the list
    {"chained", nullptr, StatusCode::kOk},
    {"foreign-page", nullptr, StatusCode::kOk},
    {"headers-only", nullptr, StatusCode::kOk},
    {"no-eos", nullptr, StatusCode::kOk},
    {"garbage", nullptr, StatusCode::kOk},
    {"empty", "Input truncated or empty.", StatusCode::kCorrupt},
    {"tiny", "Input truncated or empty.", StatusCode::kCorrupt},
    {"junk-prefix", "Input is not an Ogg bitstream.", StatusCode::kUnsupported},
    {"bad-first-page", "Error reading first page of Ogg bitstream.", StatusCode::kCorrupt},
    {"unfinished-first-packet", "Error reading initial header packet.", StatusCode::kCorrupt},
    {"non-vorbis", nullptr, StatusCode::kOk},  // a minimal Ogg Opus stream
    {"opus", nullptr, StatusCode::kOk},
    {"opus-large-tags", nullptr, StatusCode::kOk},
    {"unknown-codec", "Ogg bitstream does not contain vorbis data.", StatusCode::kUnsupported},
    {"speex", "Ogg bitstream contains Speex, not Vorbis or Opus.", StatusCode::kUnsupported},
    {"flac", "Ogg bitstream contains FLAC, not Vorbis or Opus.", StatusCode::kUnsupported},
    {"theora", "Ogg bitstream contains Theora, not Vorbis or Opus.", StatusCode::kUnsupported},
    {"sequence-hole", "Corrupt secondary header.", StatusCode::kCorrupt},
    {"corrupt-comment", "Corrupt secondary header.", StatusCode::kCorrupt},
    {"corrupt-setup", "Corrupt secondary header.", StatusCode::kCorrupt},
    {"cut-after-first-page", "EOF before end of vorbis headers.", StatusCode::kCorrupt},
    {"multiplexed", "Multiplexed Ogg streams are not supported.", StatusCode::kUnsupported},
};

// A shape by name; "unknown-codec" is the basic file with its identification
// header's codec name changed.
Bytes Shape(const std::string& name) {
  if (name != "unknown-codec") return fixtures::MakeShape(name);
  std::vector<fixtures::RawPage> pages = fixtures::SplitPages(fixtures::Basic());
  pages[0].bytes[28 + pages[0].bytes[26]] = 'x';  // "\x01vorbis" becomes "\x01xorbis"
  fixtures::FixChecksum(pages[0].bytes);
  return fixtures::JoinPages(pages);
}

Status OpenBytes(TagEditor& editor, memory_io::Source& source, const Bytes& bytes) {
  source.data = bytes.data();
  source.size = bytes.size();
  return editor.Open(&source, memory_io::Read, memory_io::Write);
}

TEST(TagEditorOpen, GivesTheExpectedResultForEachShape) {
  for (const OpenCase& c : kOpenCases) {
    SCOPED_TRACE(c.shape);
    Bytes file = Shape(c.shape);
    TagEditor editor;
    memory_io::Source source;
    const Status opened = OpenBytes(editor, source, file);
    EXPECT_EQ(opened.code(), c.code);
    EXPECT_STREQ(opened.detail(), c.error != nullptr ? c.error : "");
    // With the setup header's unpacking deferred, the same verdict, later for
    // a damaged setup header.
    TagEditor deferred;
    memory_io::Source again;
    again.data = file.data();
    again.size = file.size();
    Status late = deferred.Open(&again, memory_io::Read, memory_io::Write, SetupCheck::kDeferred);
    EXPECT_EQ(late.ok(), opened.ok() || std::string(c.shape) == "corrupt-setup");
    if (late.ok()) late = deferred.CheckSetupHeader();
    EXPECT_EQ(late.code(), c.code);
    EXPECT_STREQ(late.detail(), opened.detail());
    if (c.error) {
      ASSERT_NE(editor.LastError(), nullptr);
      EXPECT_STREQ(editor.LastError(), c.error);
      // A failed open leaves nothing behind.
      EXPECT_EQ(editor.Comments(), nullptr);
      EXPECT_EQ(editor.Vendor(), nullptr);
    } else {
      EXPECT_EQ(editor.LastError(), nullptr);
      ASSERT_NE(editor.Comments(), nullptr);
      // The comment list and vendor are the ones in the file.
      inspect::Inspection pages = inspect::Inspect(file);
      inspect::Comments expected = inspect::ParseComments(pages.streams[0].packets[1]);
      ASSERT_TRUE(expected.valid);
      EXPECT_STREQ(editor.Vendor(), expected.vendor.c_str());
      ASSERT_EQ(editor.Comments()->comments, static_cast<int>(expected.entries.size()));
      for (size_t i = 0; i < expected.entries.size(); ++i) {
        EXPECT_EQ(std::string(editor.Comments()->user_comments[i]), expected.entries[i]);
      }
    }
  }
}

TEST(TagEditorOpen, ShortNonOggInputIsTruncatedAndLongOneIsNotOgg) {
  const struct {
    size_t size;
    const char* error;
  } cases[] = {
      {100, "Input truncated or empty."},
      {4095, "Input truncated or empty."},
      {4096, "Input is not an Ogg bitstream."},
      {9000, "Input is not an Ogg bitstream."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    Bytes text(c.size, 'x');
    TagEditor editor;
    memory_io::Source source;
    EXPECT_FALSE(OpenBytes(editor, source, text).ok());
    EXPECT_STREQ(editor.LastError(), c.error);
  }
}

TEST(TagEditorOpen, ReadsFullChunksAndStopsWithTheHeaders) {
  for (const char* shape : {"basic", "spread-headers", "huge-comment"}) {
    SCOPED_TRACE(shape);
    Bytes file = fixtures::MakeShape(shape);
    inspect::Inspection pages = inspect::Inspect(file);
    const inspect::Page& setupPage = pages.pages[pages.streams[0].pageOfPacket[2]];
    size_t headerEnd = setupPage.offset + setupPage.size;

    TagEditor editor;
    memory_io::Source source;
    source.recordRequests = true;
    ASSERT_TRUE(OpenBytes(editor, source, file).ok());
    for (size_t request : source.requests) EXPECT_EQ(request, 4096u);
    // The headers' chunks and no more: the writer goes on from there.
    EXPECT_EQ(source.requests.size(), (headerEnd + 4095) / 4096);
  }
}

TEST(TagEditorOpen, ReopeningAfterFailureClearsTheError) {
  TagEditor editor;
  memory_io::Source source;
  Bytes empty;
  EXPECT_FALSE(OpenBytes(editor, source, empty).ok());
  Bytes file = fixtures::Basic();
  memory_io::Source again;
  EXPECT_TRUE(OpenBytes(editor, again, file).ok());
  EXPECT_EQ(editor.LastError(), nullptr);
  editor.Clear();
  EXPECT_EQ(editor.Comments(), nullptr);
  EXPECT_EQ(editor.Vendor(), nullptr);
}

TEST(TagEditorOpen, OpenFileReadsAndWritesThroughTheRuntimeLibrary) {
  FILE* input = tmpfile();
  FILE* output = tmpfile();
  if (!input || !output) {
    if (input) fclose(input);
    if (output) fclose(output);
    GTEST_SKIP() << "no temporary files here";
  }
  Bytes file = fixtures::Basic();
  ASSERT_EQ(fwrite(file.data(), 1, file.size(), input), file.size());
  rewind(input);
  TagEditor editor;
  ASSERT_TRUE(editor.OpenFile(input).ok());
  EXPECT_TRUE(editor.Write(output).ok());
  rewind(output);
  Bytes written;
  unsigned char buffer[4096];
  size_t count;
  while ((count = fread(buffer, 1, sizeof buffer, output)) > 0) {
    written.insert(written.end(), buffer, buffer + count);
  }
  fclose(input);
  fclose(output);
  // Nothing was changed, and the editor writes what libvorbis would: the same file.
  EXPECT_TRUE(written == file);
}

}  // namespace
