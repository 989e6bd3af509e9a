// TagEditor::Write on generated files of every shape, checked against the input
// with the stream inspector and libvorbisfile; write failures at every stage.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

#include "ogg/ogg_page_reader.h"
#include "tests/support/memory_io.h"
#include "tests/support/rewrite_check.h"
#include "text/wide_string.h"
#include "tools/ogg_fixtures.h"
#include "tools/stream_probe.h"
#include "vorbis/tag_editor.h"

namespace {

using fixtures::Bytes;

Bytes Paged(const fixtures::PageOptions& paging,
            const fixtures::EncodeOptions& options = fixtures::EncodeOptions()) {
  return fixtures::PageStream(fixtures::Encode(options), paging);
}

fixtures::PageOptions Layout(fixtures::HeaderLayout layout, int64_t granuleOffset = 0,
                             int segmentsPerAudioPage = 0) {
  fixtures::PageOptions paging;
  paging.layout = layout;
  paging.granuleOffset = granuleOffset;
  paging.segmentsPerAudioPage = segmentsPerAudioPage;
  return paging;
}

// Larger audio packets, so that many of them span pages.
fixtures::EncodeOptions Rich() {
  fixtures::EncodeOptions options;
  options.quality = 1.0f;
  options.samples = 44100;
  return options;
}

Bytes WithEmptyAudioPacket() {
  fixtures::EncodedStream stream = fixtures::Encode(fixtures::EncodeOptions());
  stream.audio.insert(stream.audio.begin() + 5, fixtures::Packet());
  stream.audio.insert(stream.audio.begin() + 20, fixtures::Packet());
  return fixtures::PageStream(stream, fixtures::PageOptions());
}

void SetLongTitle(TagEditor& editor) {
  std::u16string title(9000, u'\u00e9');  // 18000 bytes of UTF-8: header pages grow
  editor.SetTag("TITLE", WideString(title.c_str()));
}

struct WriteCase {
  const char* name;
  std::function<Bytes()> input;
  std::function<void(TagEditor&)> edit;
  bool comparePcm;
  const char* error;  // LastError after a successful write
  std::function<Bytes()> pcmReference =
      nullptr;  // sound the output must decode to, when not the input's
};

const std::vector<WriteCase>& WriteCases() {
  using fixtures::HeaderLayout;
  static const std::vector<WriteCase> cases = {
      {"basic", [] { return fixtures::Basic(); }, nullptr, true, ""},
      {"basic with a longer comment header", [] { return fixtures::Basic(); }, SetLongTitle, true,
       ""},
      {"spread headers", [] { return fixtures::MakeShape("spread-headers"); }, nullptr, true, ""},
      {"audio on the setup page", [] { return fixtures::MakeShape("audio-on-setup-page"); },
       SetLongTitle, true, "", [] { return fixtures::Basic(); }},
      {"huge comment", [] { return fixtures::MakeShape("huge-comment"); }, SetLongTitle, true, ""},
      {"chained", fixtures::Chained, SetLongTitle, true, ""},
      {"page of another stream in the audio", fixtures::ForeignPageInAudio, nullptr, false, ""},
      // libvorbisfile trims the last block only on an end-of-stream page, which the
      // output has and the input lacks.
      {"no end-of-stream page", fixtures::NoEndOfStream, nullptr, true, "",
       [] { return fixtures::Basic(); }},
      {"truncated", fixtures::Truncated, nullptr, true, ""},
      {"garbage between pages", fixtures::GarbageBetweenPages, nullptr, true, ""},
      {"garbage after the first stream", fixtures::GarbageAfterFirstStream, nullptr, true,
       "Corrupt or missing data, continuing..."},
      {"trimmed final block", [] { return fixtures::MakeShape("trimmed"); }, nullptr, true, ""},
      {"stream not starting at zero", [] { return Paged(Layout(HeaderLayout::kOnePage, 123456)); },
       nullptr, true, ""},
      {"not at zero, pages cut elsewhere",
       [] { return Paged(Layout(HeaderLayout::kWithAudio, 999999)); }, SetLongTitle, true, "",
       [] { return Paged(Layout(HeaderLayout::kOnePage, 999999)); }},
      {"pages of many packets", [] { return Paged(Layout(HeaderLayout::kOnePage, 0, 255)); },
       nullptr, true, ""},
      {"pages ending no packet", [] { return Paged(Layout(HeaderLayout::kSpread, 0, 1), Rich()); },
       nullptr, true, ""},
      {"empty audio packets", WithEmptyAudioPacket, nullptr, true, ""},
      {"headers only", fixtures::HeadersOnly, nullptr, true, ""},
      {"page with a wrong checksum, kept wrong", fixtures::BadChecksum, SetLongTitle, true, ""},
      {"ID3v1 block after the last page", fixtures::Id3v1Trailer, nullptr, true, ""},
      {"opus", [] { return fixtures::OpusFile(); }, SetLongTitle, true, ""},
      {"opus with binary data after the list", fixtures::OpusBinaryTags, SetLongTitle, true, ""},
      {"opus with padding after the list",
       [] {
         fixtures::OpusOptions padded;
         padded.binaryTail = {0x00, 0x00, 0x00};  // lowest bit clear: may be dropped
         return fixtures::OpusFile(padded);
       },
       nullptr, true, ""},
      {"opus tags over several pages, made smaller", fixtures::OpusLargeTags,
       [](TagEditor& editor) { editor.RemoveTag("METADATA_BLOCK_PICTURE"); }, true, ""},
      // Its last granule position was never trimmed, so the flag trims nothing.
      {"opus without end-of-stream page", fixtures::OpusNoEndOfStream, nullptr, true, ""},
  };
  return cases;
}

TEST(TagEditorWrite, RewritesEveryShapeFaithfully) {
  for (const WriteCase& c : WriteCases()) {
    SCOPED_TRACE(c.name);
    Bytes input = c.input();
    rewrite::Result result = rewrite::Run(input, c.edit);
    ASSERT_TRUE(result.opened);
    EXPECT_TRUE(result.written);
    EXPECT_TRUE(result.verified);
    EXPECT_EQ(result.error, c.error);
    Bytes reference = c.pcmReference ? c.pcmReference() : input;
    rewrite::ExpectFaithfulRewrite(input, result.output, c.comparePcm, &reference);
  }
}

TEST(TagEditorWrite, FixturesHaveTheShapesTheyClaim) {
  // Audio packets really share the setup header's page.
  inspect::Inspection shared = inspect::Inspect(fixtures::MakeShape("audio-on-setup-page"));
  EXPECT_EQ(shared.streams[0].pageOfPacket[3], shared.streams[0].pageOfPacket[2]);
  // The final granule position really trims the last block.
  inspect::Decoded trimmed = inspect::Decode(fixtures::MakeShape("trimmed"));
  EXPECT_EQ(trimmed.samples, 7777);
  // Input pages on which no packet ends.
  inspect::Inspection tiny =
      inspect::Inspect(Paged(Layout(fixtures::HeaderLayout::kSpread, 0, 1), Rich()));
  int unended = 0;
  for (const inspect::Page& page : tiny.pages) unended += page.packetsEnded == 0;
  EXPECT_GT(unended, 10);
}

TEST(TagEditorWrite, MarksEndOfStreamAndPutsTheForeignPageAfterIt) {
  Bytes input = fixtures::ForeignPageInAudio();
  rewrite::Result result = rewrite::Run(input);
  ASSERT_TRUE(result.written);
  inspect::Inspection pages = inspect::Inspect(result.output);
  uint32_t first = pages.pages[0].serial;
  size_t i = 0;
  while (i < pages.pages.size() && pages.pages[i].serial == first) ++i;
  ASSERT_LT(i, pages.pages.size());
  EXPECT_TRUE(pages.pages[i - 1].eos);
  EXPECT_TRUE(pages.pages[i].bos);
  // The rest of the first stream follows as it was in the input.
  EXPECT_EQ(pages.pages[i + 1].serial, first);
}

TEST(TagEditorWrite, EmptyCommentListGivesTheMinimalCommentPacket) {
  fixtures::EncodeOptions none;
  none.comments.clear();
  const std::function<void(TagEditor&)> removeAll = [](TagEditor& editor) {
    editor.RemoveTag("ARTIST");
    editor.RemoveTag("TITLE");
  };
  const struct {
    const char* name;
    Bytes input;
    std::function<void(TagEditor&)> edit;
  } cases[] = {
      {"file without comments", fixtures::Basic(none), nullptr},
      {"all comments removed", fixtures::Basic(), removeAll},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    rewrite::Result result = rewrite::Run(c.input, c.edit);
    ASSERT_TRUE(result.written);
    std::string vendor =
        inspect::ParseComments(inspect::Inspect(c.input).streams[0].packets[1]).vendor;
    ASSERT_FALSE(vendor.empty());
    Bytes packet = inspect::Inspect(result.output).streams[0].packets[1];
    EXPECT_EQ(packet.size(), 7 + 4 + vendor.size() + 4 + 1);
    EXPECT_EQ(packet.back(), 1);
    rewrite::ExpectFaithfulRewrite(c.input, result.output);
  }
}

TEST(TagEditorWrite, FailingWriteStopsAtOnceWithTheWriteError) {
  Bytes input = fixtures::Chained();
  rewrite::Result good = rewrite::Run(input);
  ASSERT_TRUE(good.written);
  long total = static_cast<long>(inspect::Inspect(good.output).pages.size()) * 2;
  inspect::Inspection outputPages = inspect::Inspect(good.output);
  const long failures[] = {0, 1, 2, total / 2, total / 2 + 1, total - 2, total - 1};
  for (long failAt : failures) {
    SCOPED_TRACE(failAt);
    memory_io::Source source;
    source.data = input.data();
    source.size = input.size();
    memory_io::Sink sink;
    sink.failAtCall = failAt;
    TagEditor editor;
    ASSERT_TRUE(editor.Open(&source, memory_io::Read, memory_io::Write).ok());
    EXPECT_EQ(editor.Write(&sink).code(), StatusCode::kIoError);
    EXPECT_STREQ(editor.LastError(),
                 "Error writing stream to output. Output stream may be corrupted or truncated.");
    EXPECT_EQ(sink.calls, failAt + 1);
    // What was written is the good output up to the failing page.
    size_t page = static_cast<size_t>(failAt / 2);
    size_t written = outputPages.pages[page].offset;
    if (failAt % 2 == 1) written += 27 + outputPages.pages[page].bytes[26];  // header went out
    EXPECT_EQ(sink.bytes.size(), written);
    EXPECT_TRUE(std::equal(sink.bytes.begin(), sink.bytes.end(), good.output.begin()));
  }
}

TEST(TagEditorWrite, SecondWriteFails) {
  Bytes input = fixtures::Basic();
  memory_io::Source source;
  source.data = input.data();
  source.size = input.size();
  memory_io::Sink sink;
  TagEditor editor;
  ASSERT_TRUE(editor.Open(&source, memory_io::Read, memory_io::Write).ok());
  EXPECT_TRUE(editor.Write(&sink).ok());
  EXPECT_EQ(editor.Write(&sink).code(), StatusCode::kInvalid);
  TagEditor unopened;
  EXPECT_EQ(unopened.Write(&sink).code(), StatusCode::kInvalid);
}

}  // namespace

namespace {

// Records how far the output lags behind the input at every write.
struct LagSink {
  memory_io::Source* source;
  size_t written = 0;
  size_t maxLag = 0;
};

size_t LagWrite(const void*, size_t size, size_t count, void* handle) {
  LagSink* sink = static_cast<LagSink*>(handle);
  sink->written += size * count;
  size_t lag = sink->source->position > sink->written ? sink->source->position - sink->written : 0;
  if (lag > sink->maxLag) sink->maxLag = lag;
  return count;
}

void AppendTo(const unsigned char* data, size_t size, void* context) {
  Bytes* bytes = static_cast<Bytes*>(context);
  bytes->insert(bytes->end(), data, data + size);
}

TEST(TagEditorWrite, OutputKeepsUpWithInput) {
  Bytes input;
  fixtures::BuildLongStream(fixtures::EncodeOptions(), 4 << 20, AppendTo, &input);
  memory_io::Source source;
  source.data = input.data();
  source.size = input.size();
  LagSink sink{&source};
  TagEditor editor;
  ASSERT_TRUE(editor.Open(&source, memory_io::Read, LagWrite).ok());
  ASSERT_TRUE(editor.Write(&sink).ok());
  EXPECT_EQ(sink.written, input.size());
  // Input held back in the editor is bounded by a read block and two pages
  // (the one being written and the next), not by the length.
  EXPECT_LT(sink.maxLag, OggPageReader::kBlockSize + 2 * 65307 + 4096);
}

}  // namespace

namespace {

TEST(TagEditorWrite, GranulePositionsNearTheTopOfTheRangeDoNotOverflow) {
  fixtures::EncodeOptions trimmed;  // the last block is cut short
  trimmed.samples = 7777;
  fixtures::PageOptions paging;
  paging.granuleOffset = INT64_MAX - 7777;  // the last page ends at the very top
  paging.segmentsPerAudioPage = 1;          // every packet's own position is known
  Bytes input = fixtures::PageStream(fixtures::Encode(trimmed), paging);
  rewrite::Result result = rewrite::Run(input);
  ASSERT_TRUE(result.written);
  inspect::Inspection in = inspect::Inspect(input);
  inspect::Inspection out = inspect::Inspect(result.output);
  ASSERT_EQ(out.streams[0].packets.size(), in.streams[0].packets.size());
  EXPECT_EQ(out.pages.back().granule, in.pages.back().granule);
}

}  // namespace
