// Ogg's page checksum (see ogg_crc.h), one table lookup per byte.
#include "vorbis/ogg_crc.h"

namespace {

struct CrcTable {
  uint32_t entry[256];
  CrcTable() {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t r = i << 24;
      for (int bit = 0; bit < 8; ++bit) r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
      entry[i] = r;
    }
  }
};

const CrcTable& Table() {
  static const CrcTable table;
  return table;
}

}  // namespace

uint32_t OggCrcUpdate(uint32_t crc, const unsigned char* data, size_t size) {
  const uint32_t* table = Table().entry;
  for (size_t i = 0; i < size; ++i) crc = (crc << 8) ^ table[((crc >> 24) ^ data[i]) & 0xFF];
  return crc;
}

uint32_t OggPageCrc(const unsigned char* header, size_t headerSize, const unsigned char* body,
                    size_t bodySize) {
  static const unsigned char kZeros[4] = {0, 0, 0, 0};
  uint32_t crc = 0;
  if (headerSize < 26) return OggCrcUpdate(OggCrcUpdate(0, header, headerSize), body, bodySize);
  crc = OggCrcUpdate(crc, header, 22);
  crc = OggCrcUpdate(crc, kZeros, 4);
  crc = OggCrcUpdate(crc, header + 26, headerSize - 26);
  return OggCrcUpdate(crc, body, bodySize);
}

uint32_t OggCrcAppendZeros(uint32_t crc, uint64_t count) {
  const uint32_t* table = Table().entry;
  for (uint64_t i = 0; i < count; ++i) crc = (crc << 8) ^ table[(crc >> 24) & 0xFF];
  return crc;
}
