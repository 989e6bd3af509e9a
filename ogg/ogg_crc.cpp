// Ogg's page checksum (see ogg_crc.h). The bulk work is ISA-L's crc32_ieee, which
// picks a carry-less multiply (PCLMULQDQ) kernel or a table at run time, so one
// binary runs at tens of GB/s where the processor allows and correctly anywhere.
#include "ogg/ogg_crc.h"

#include <isa-l/crc.h>

namespace {

const uint32_t kPolynomial = 0x04C11DB7u;

// a * b modulo the polynomial, both as remainders (bit 31 holds x^31).
constexpr uint32_t MultiplyModulo(uint32_t a, uint32_t b) {
  uint32_t product = 0;
  for (int bit = 31; bit >= 0; --bit) {
    product = (product & 0x80000000u) ? (product << 1) ^ kPolynomial : product << 1;
    if ((b >> bit) & 1u) product ^= a;
  }
  return product;
}

// x^(8 * 2^k) modulo the polynomial for k = 0..63: appending 2^k zero bytes to a
// message multiplies its CRC by entry k. Built by the compiler, so nothing is
// initialised at run time and any thread may use it at once.
struct ZeroPowers {
  uint32_t entry[64] = {};
  constexpr ZeroPowers() {
    entry[0] = 0x100u;  // x^8
    for (int k = 1; k < 64; ++k) entry[k] = MultiplyModulo(entry[k - 1], entry[k - 1]);
  }
};

constexpr ZeroPowers kZeroPowers;

}  // namespace

uint32_t OggCrcUpdate(uint32_t crc, const unsigned char* data, size_t size) {
  if (size == 0) return crc;
  // crc32_ieee inverts its running value on the way in and out; Ogg's does not.
  return ~crc32_ieee(~crc, data, size);
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
  for (int k = 0; count != 0; ++k, count >>= 1) {
    if (count & 1u) crc = MultiplyModulo(crc, kZeroPowers.entry[k]);
  }
  return crc;
}
