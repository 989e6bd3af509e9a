// The rewrite oracle: everything is derived from the input file and libvorbis,
// never from the editor's own bookkeeping.
#include "tests/support/rewrite_check.h"

#include <gtest/gtest.h>
#include <vorbis/codec.h>

#include <algorithm>
#include <cstring>

#include "ogg/rewrite_verifier.h"
#include "tests/support/memory_io.h"
#include "tools/stream_probe.h"

namespace rewrite {
namespace {

Bytes Slice(const Bytes& bytes, size_t from, size_t to) {
  return Bytes(bytes.begin() + static_cast<long>(from), bytes.begin() + static_cast<long>(to));
}

ogg_packet View(const Bytes& bytes) {
  ogg_packet packet;
  memset(&packet, 0, sizeof packet);
  packet.packet = const_cast<unsigned char*>(bytes.data());
  packet.bytes = static_cast<long>(bytes.size());
  return packet;
}

// The granule position every audio packet should carry: the input's own where it
// has one, otherwise the previous packet's plus the overlap of the two blocks.
std::vector<int64_t> ExpectedGranules(const inspect::Stream& input) {
  std::vector<int64_t> expected;
  vorbis_info info;
  vorbis_comment comments;
  vorbis_info_init(&info);
  vorbis_comment_init(&comments);
  for (size_t k = 0; k < 3 && k < input.packets.size(); ++k) {
    ogg_packet packet = View(input.packets[k]);
    packet.b_o_s = k == 0;
    vorbis_synthesis_headerin(&info, &comments, &packet);
  }
  int64_t running = 0;
  long previous = 0;
  for (size_t k = 3; k < input.packets.size(); ++k) {
    ogg_packet packet = View(input.packets[k]);
    long size = vorbis_packet_blocksize(&info, &packet);
    if (size >= 0) {
      if (previous) running += (previous + size) / 4;
      previous = size;
    }
    if (input.granules[k] != -1) running = input.granules[k];
    expected.push_back(running);
  }
  vorbis_comment_clear(&comments);
  vorbis_info_clear(&info);
  return expected;
}

}  // namespace

Result Run(const Bytes& input, const std::function<void(TagEditor&)>& edit) {
  Result result;
  memory_io::Source source;
  source.data = input.data();
  source.size = input.size();
  memory_io::Sink sink;
  TagEditor editor;
  result.opened = editor.Open(&source, memory_io::Read, memory_io::Write).ok();
  if (result.opened) {
    result.opus = editor.IsOpus();
    if (edit) edit(editor);
    result.written = editor.Write(&sink).ok();
  }
  if (result.written) {
    memory_io::Source written;
    written.data = sink.bytes.data();
    written.size = sink.bytes.size();
    result.verified = VerifyRewrite(&written, memory_io::Read, editor.Summary()).ok();
  }
  result.error = editor.LastError() ? editor.LastError() : "";
  result.output = sink.bytes;
  return result;
}

FirstStream SplitFirstStream(const Bytes& file) {
  FirstStream first;
  inspect::Inspection all = inspect::Inspect(file);
  if (all.pages.empty()) return first;
  first.serial = all.pages[0].serial;
  first.end = file.size();
  for (const inspect::Page& page : all.pages) {
    if (page.serial != first.serial) {
      first.end = page.offset;
      break;
    }
    if (page.eos) {
      first.end = page.offset + page.size;
      break;
    }
  }
  inspect::Inspection prefix = inspect::Inspect(Slice(file, 0, first.end));
  if (const inspect::Stream* stream = prefix.Find(first.serial)) first.packets = stream->packets;
  return first;
}

size_t HeaderCount(const Bytes& identification) {
  return identification.size() >= 8 && memcmp(identification.data(), "OpusHead", 8) == 0 ? 2 : 3;
}

void ExpectFaithfulRewrite(const Bytes& input, const Bytes& output, bool comparePcm,
                           const Bytes* pcmReference) {
  FirstStream in = SplitFirstStream(input);
  FirstStream out = SplitFirstStream(output);
  ASSERT_GE(in.packets.size(), 2u);
  const size_t headers = HeaderCount(in.packets[0]);
  ASSERT_GE(in.packets.size(), headers);
  EXPECT_EQ(out.serial, in.serial);
  ASSERT_EQ(out.packets.size(), in.packets.size()) << "packet count of the first stream";
  EXPECT_TRUE(out.packets[0] == in.packets[0]) << "identification header changed";
  if (headers == 3) {
    EXPECT_TRUE(out.packets[2] == in.packets[2]) << "setup header changed";
  }
  size_t differing = 0;
  for (size_t k = headers; k < in.packets.size(); ++k) differing += out.packets[k] != in.packets[k];
  EXPECT_EQ(differing, 0u) << "audio packets differ";
  inspect::Comments before = inspect::ParseComments(in.packets[1]);
  inspect::Comments after = inspect::ParseComments(out.packets[1]);
  EXPECT_TRUE(after.valid);
  EXPECT_EQ(after.vendor, before.vendor);
  if (headers == 2) {
    // Opus binary data after the list stays when its first byte says so.
    const bool kept = !before.binaryData.empty() && (before.binaryData[0] & 1) != 0;
    EXPECT_TRUE(after.binaryData == (kept ? before.binaryData : Bytes()));
  }

  inspect::Inspection whole = inspect::Inspect(output);
  EXPECT_EQ(whole.skippedBytes, 0u);

  // Pages of the rewritten first stream.
  inspect::Inspection firstPages = inspect::Inspect(Slice(output, 0, out.end));
  const inspect::Stream* stream = firstPages.Find(out.serial);
  ASSERT_TRUE(stream != nullptr);
  inspect::Inspection inputPrefix = inspect::Inspect(Slice(input, 0, in.end));
  const inspect::Stream& inStream = *inputPrefix.Find(in.serial);
  std::vector<int64_t> expected = ExpectedGranules(inStream);
  const size_t lastHeaderPage = stream->pageOfPacket[headers - 1];
  const std::vector<inspect::Page>& pages = firstPages.pages;
  for (size_t i = 0; i < pages.size(); ++i) {
    const inspect::Page& page = pages[i];
    EXPECT_EQ(page.sequence, i) << "page " << i;
    EXPECT_EQ(page.bos, i == 0) << "page " << i;
    EXPECT_EQ(page.eos, i + 1 == pages.size()) << "page " << i;
    if (page.packetsEnded == 0) {
      EXPECT_EQ(page.granule, -1) << "page " << i << " ends no packet";
    } else if (i <= lastHeaderPage) {
      EXPECT_EQ(page.granule, 0) << "header page " << i;
    }
  }
  // The identification header alone on the first page; the audio starts on a
  // page of its own.
  if (stream->packets.size() > 1) {
    EXPECT_EQ(stream->pageOfPacket[0], 0u);
    EXPECT_EQ(stream->pageOfPacket[1] - stream->packets[1].size() / 65025, 1u);
  }
  if (stream->packets.size() > headers) {
    EXPECT_GT(stream->pageOfPacket[headers], lastHeaderPage);
  }
  for (size_t k = headers; k < stream->packets.size(); ++k) {
    bool lastOnPage =
        k + 1 == stream->packets.size() || stream->pageOfPacket[k + 1] != stream->pageOfPacket[k];
    if (lastOnPage && headers == 3) {
      EXPECT_EQ(pages[stream->pageOfPacket[k]].granule, expected[k - 3])
          << "page " << stream->pageOfPacket[k] << " ending with audio packet " << k - 3;
    }
  }

  // The audio pages come out as they went in: same body, granule position and
  // flags (the last gains the end-of-stream flag), a wrong checksum kept wrong.
  // Counted from the end: audio that shared the last header's page is rebuilt
  // onto pages of its own.
  const size_t inHeaderPage = inStream.pageOfPacket[headers - 1];
  const std::vector<inspect::Page>& inPages = inputPrefix.pages;
  const bool sharedStart =
      inStream.packets.size() > headers && inStream.pageOfPacket[headers] == inHeaderPage;
  const size_t inAudio = inPages.size() - inHeaderPage - 1;
  const size_t outAudio = pages.size() - lastHeaderPage - 1;
  if (!sharedStart) {
    EXPECT_EQ(outAudio, inAudio) << "audio pages";
  }
  for (size_t i = 0; i < inAudio && i < outAudio; ++i) {
    const inspect::Page& a = inPages[inPages.size() - 1 - i];
    const inspect::Page& b = pages[pages.size() - 1 - i];
    SCOPED_TRACE(testing::Message() << "output page " << pages.size() - 1 - i);
    EXPECT_TRUE(Slice(a.bytes, 27, a.bytes.size()) == Slice(b.bytes, 27, b.bytes.size()))
        << "lacing or body";
    EXPECT_EQ(b.granule, a.granule);
    EXPECT_EQ(b.bytes[5], a.bytes[5] | (i == 0 ? 4 : 0)) << "flags";
    EXPECT_EQ(b.crcValid, a.crcValid);
  }
  for (size_t i = 0; i < pages.size() - std::min(inAudio, outAudio); ++i) {
    EXPECT_TRUE(pages[i].crcValid) << "page " << i;
  }

  // Everything after the first stream: the input's pages, byte for byte.
  std::vector<fixtures::RawPage> rest;
  for (const inspect::Page& page : inspect::Inspect(Slice(input, in.end, input.size())).pages) {
    rest.push_back({page.offset, page.bytes});
  }
  EXPECT_TRUE(Slice(output, out.end, output.size()) == fixtures::JoinPages(rest))
      << "pages after the first stream differ";

  if (comparePcm) {
    inspect::Decoded original = inspect::Decode(pcmReference ? *pcmReference : input);
    inspect::Decoded rewritten = inspect::Decode(output);
    EXPECT_EQ(rewritten.ok, original.ok);
    EXPECT_EQ(rewritten.samples, original.samples);
    EXPECT_TRUE(rewritten.pcm == original.pcm) << "decoded audio differs";
  }
}

}  // namespace rewrite
