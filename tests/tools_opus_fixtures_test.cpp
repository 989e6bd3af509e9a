// The generated Ogg Opus files are paged as players and our rewriter expect them,
// and decode (through the stream probe) to exactly the samples that were encoded.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "tools/ogg_fixtures.h"
#include "tools/stream_probe.h"

namespace {

using fixtures::Bytes;

struct OpusShapeCase {
  const char* shape;
  size_t tagPages;  // pages holding the OpusTags packet
  bool endOfStream;
  Bytes tagsTail;  // bytes the OpusTags packet ends with
};

TEST(OpusFixtures, HeadersOnTheirOwnPagesAndGranulesCountThePreSkip) {
  const std::string lastComment = "TITLE=Fixture Title";
  const std::string afterPicture = "COMMENT=after the picture";
  const OpusShapeCase cases[] = {
      {"opus", 1, true, Bytes(lastComment.begin(), lastComment.end())},
      {"opus-binary-tags", 1, true, {0x01, 0xB1, 0x4A, 0x00, 0xFF, 0x7E}},
      {"opus-large-tags", 3, true, Bytes(afterPicture.begin(), afterPicture.end())},
      {"opus-no-eos", 1, false, Bytes()},
  };
  const fixtures::OpusOptions defaults;
  for (const OpusShapeCase& c : cases) {
    SCOPED_TRACE(c.shape);
    const Bytes file = fixtures::MakeShape(c.shape);
    const inspect::Inspection probe = inspect::Inspect(file);
    ASSERT_EQ(1u, probe.streams.size());
    const inspect::Stream& stream = probe.streams[0];
    ASSERT_GT(stream.packets.size(), 100u);
    const Bytes& head = stream.packets[0];
    ASSERT_EQ(0, memcmp(head.data(), "OpusHead", 8));
    ASSERT_EQ(0, memcmp(stream.packets[1].data(), "OpusTags", 8));
    const Bytes& tags = stream.packets[1];
    ASSERT_GE(tags.size(), c.tagsTail.size());
    EXPECT_TRUE(std::equal(c.tagsTail.begin(), c.tagsTail.end(), tags.end() - c.tagsTail.size()));

    // The first page holds the identification header alone; the comment header
    // fills the next pages and ends with the last of them; audio starts afresh.
    EXPECT_TRUE(probe.pages[0].bos);
    EXPECT_EQ(1, probe.pages[0].packetsEnded);
    EXPECT_EQ(0u, stream.pageOfPacket[0]);
    EXPECT_EQ(c.tagPages, stream.pageOfPacket[1]);
    EXPECT_EQ(1, probe.pages[c.tagPages].packetsEnded);
    EXPECT_EQ(0, probe.pages[c.tagPages].granule);
    EXPECT_FALSE(probe.pages[c.tagPages + 1].continued);
    for (const inspect::Page& page : probe.pages) EXPECT_TRUE(page.crcValid);
    EXPECT_EQ(c.endOfStream, probe.pages.back().eos);

    const int64_t preSkip = head[10] | head[11] << 8;
    EXPECT_GT(preSkip, 0);
    // Only an end-of-stream page trims the padding after the signal.
    const int64_t audioPackets = static_cast<int64_t>(stream.packets.size()) - 2;
    const int64_t end = c.endOfStream ? preSkip + defaults.samples : 960 * audioPackets;
    EXPECT_EQ(end, probe.pages.back().granule);
    inspect::Decoded decoded = inspect::Decode(file);
    EXPECT_TRUE(decoded.ok);
    EXPECT_EQ(1, decoded.channels);
    EXPECT_EQ(end - preSkip, decoded.samples);
  }
}

}  // namespace
