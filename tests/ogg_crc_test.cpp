// Ogg's page checksum: against the CRCs libogg wrote into generated pages, against
// the bit-by-bit definition, and the incremental update of a renumbered page.
#include "ogg/ogg_crc.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "tools/ogg_fixtures.h"

namespace {

using fixtures::Bytes;

uint32_t Le32(const unsigned char* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The definition, one bit at a time.
uint32_t ReferenceCrc(uint32_t crc, const unsigned char* data, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    crc ^= uint32_t(data[i]) << 24;
    for (int bit = 0; bit < 8; ++bit)
      crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
  }
  return crc;
}

uint32_t PageCrc(const Bytes& page) {
  size_t headerSize = 27 + page[26];
  return OggPageCrc(page.data(), headerSize, page.data() + headerSize, page.size() - headerSize);
}

Bytes Noise(size_t size, uint32_t seed) {
  std::mt19937 random(seed);
  Bytes bytes(size);
  for (unsigned char& byte : bytes) byte = static_cast<unsigned char>(random());
  return bytes;
}

TEST(OggCrc, PageCrcMatchesLiboggOnEveryGeneratedPage) {
  for (const char* shape :
       {"basic", "spread-headers", "audio-on-setup-page", "huge-comment", "chained", "trimmed"}) {
    std::vector<fixtures::RawPage> pages = fixtures::SplitPages(fixtures::MakeShape(shape));
    ASSERT_GT(pages.size(), 2u) << shape;
    for (const fixtures::RawPage& page : pages) {
      EXPECT_EQ(Le32(&page.bytes[22]), PageCrc(page.bytes)) << shape << " at " << page.offset;
    }
  }
}

TEST(OggCrc, UpdateMatchesDefinitionAtAnyLengthAndAlignment) {
  // The largest possible page is 65307 bytes; the folded kernels switch paths at
  // multiples of 16, 64 and 256 bytes.
  const Bytes data = Noise(65307 + 64, 1);
  const size_t lengths[] = {0,  1,   3,   15,  16,  17,  31,   33,   63,   64,
                            65, 127, 129, 255, 256, 257, 1000, 4097, 65307};
  for (size_t offset : {0, 1, 7, 8, 13, 63}) {
    for (size_t length : lengths) {
      for (uint32_t start : {0u, 0xDEADBEEFu}) {
        EXPECT_EQ(ReferenceCrc(start, &data[offset], length),
                  OggCrcUpdate(start, &data[offset], length))
            << "offset " << offset << " length " << length << " start " << start;
      }
    }
  }
}

TEST(OggCrc, AppendZerosMatchesFeedingZeros) {
  const Bytes zeros(1 << 20, 0);
  for (uint64_t count : {0u, 1u, 2u, 3u, 4u, 5u, 255u, 4096u, 65307u, 1u << 20}) {
    EXPECT_EQ(ReferenceCrc(0x12345678u, zeros.data(), count), OggCrcAppendZeros(0x12345678u, count))
        << count;
  }
  // Counts too large to feed: appending in two steps equals appending at once.
  const uint64_t big = (uint64_t(1) << 40) + 12345;
  EXPECT_EQ(OggCrcAppendZeros(OggCrcAppendZeros(0xCAFEu, big), 77777),
            OggCrcAppendZeros(0xCAFEu, big + 77777));
}

// A renumbered page's CRC follows from its old one and the change alone, so a
// page whose CRC was wrong stays exactly as wrong.
TEST(OggCrc, IncrementalRenumberingEqualsRecomputation) {
  std::vector<fixtures::RawPage> pages = fixtures::SplitPages(fixtures::MakeShape("basic"));
  std::mt19937 random(7);
  for (fixtures::RawPage& page : pages) {
    for (bool damaged : {false, true}) {
      Bytes bytes = page.bytes;
      if (damaged) bytes[bytes.size() / 2] ^= 0x40;
      const uint32_t stored = Le32(&bytes[22]);
      const uint32_t error = stored ^ PageCrc(bytes);
      for (int round = 0; round < 8; ++round) {
        const uint32_t sequence = static_cast<uint32_t>(random());
        unsigned char delta[4];
        for (int i = 0; i < 4; ++i) {
          unsigned char renumbered = static_cast<unsigned char>(sequence >> (8 * i));
          delta[i] = bytes[18 + i] ^ renumbered;
          bytes[18 + i] = renumbered;
        }
        const uint32_t updated =
            Le32(&bytes[22]) ^ OggCrcAppendZeros(OggCrcUpdate(0, delta, 4), bytes.size() - 22);
        for (int i = 0; i < 4; ++i) bytes[22 + i] = static_cast<unsigned char>(updated >> (8 * i));
        EXPECT_EQ(error, updated ^ PageCrc(bytes)) << "page at " << page.offset;
      }
      EXPECT_EQ(damaged, error != 0);
    }
  }
}

}  // namespace
