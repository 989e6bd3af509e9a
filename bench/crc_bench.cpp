// Page checksum benchmark: OggCrcUpdate against libogg's ogg_page_checksum_set on
// the same largest-possible page (65307 bytes), in GB/s of checksummed bytes.
//
// usage: mirale-crc-bench [--mb N]   (N: megabytes checksummed per figure, default 4096)
#include <ogg/ogg.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/byte_codec.h"
#include "ogg/ogg_crc.h"

namespace {

// Volatile so that the compiler keeps every round of checksums.
volatile uint32_t sink;

template <typename Checksum>
double GigabytesPerSecond(size_t pageSize, double megabytes, Checksum checksum) {
  const long rounds = static_cast<long>(megabytes * 1e6 / static_cast<double>(pageSize)) + 1;
  auto start = std::chrono::steady_clock::now();
  for (long i = 0; i < rounds; ++i) sink = sink ^ checksum();
  std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
  return static_cast<double>(rounds) * static_cast<double>(pageSize) / seconds.count() / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
  double megabytes = 4096;
  for (int i = 1; i < argc; ++i) {
    if (strcmp(argv[i], "--mb") == 0 && i + 1 < argc) {
      megabytes = atof(argv[++i]);
    } else {
      fprintf(stderr, "usage: mirale-crc-bench [--mb N]\n");
      return 2;
    }
  }
  // A full page: 255 lacing values of 255, pseudo-random body.
  const size_t headerSize = 27 + 255;
  const size_t bodySize = 255 * 255;
  std::vector<unsigned char> page(headerSize + bodySize);
  memcpy(page.data(), "OggS", 4);
  page[26] = 255;
  for (size_t i = 27; i < headerSize; ++i) page[i] = 255;
  uint32_t seed = 1;
  for (size_t i = headerSize; i < page.size(); ++i) {
    seed = seed * 1664525u + 1013904223u;
    page[i] = static_cast<unsigned char>(seed >> 24);
  }

  ogg_page view;
  view.header = page.data();
  view.header_len = static_cast<long>(headerSize);
  view.body = page.data() + headerSize;
  view.body_len = static_cast<long>(bodySize);
  double ours = GigabytesPerSecond(page.size(), megabytes, [&] {
    return OggPageCrc(page.data(), headerSize, page.data() + headerSize, bodySize);
  });
  double update = GigabytesPerSecond(page.size(), megabytes,
                                     [&] { return OggCrcUpdate(0, page.data(), page.size()); });
  double libogg = GigabytesPerSecond(page.size(), megabytes, [&] {
    ogg_page_checksum_set(&view);
    return uint32_t(page[22]);
  });
  if (OggPageCrc(page.data(), headerSize, page.data() + headerSize, bodySize) !=
      GetLe32(page.data() + 22)) {
    fprintf(stderr, "mirale-crc-bench: the two checksums differ\n");
    return 1;
  }
  printf("page checksum, %zu-byte page, %.0f MB each:\n", page.size(), megabytes);
  printf("  OggCrcUpdate           %7.2f GB/s\n", update);
  printf("  OggPageCrc             %7.2f GB/s\n", ours);
  printf("  ogg_page_checksum_set  %7.2f GB/s\n", libogg);
  printf("  ratio                  %7.1fx\n", ours / libogg);
  return 0;
}
