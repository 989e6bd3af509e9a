// Ogg's page checksum: CRC-32 with polynomial 0x04C11DB7, initial value 0, no
// reflection and no final XOR, computed over a page whose CRC field (bytes 22 to
// 25 of the header) reads as zero.
#pragma once
#include <cstddef>
#include <cstdint>

// Continues a running CRC over size more bytes (start with 0).
uint32_t OggCrcUpdate(uint32_t crc, const unsigned char* data, size_t size);

// The CRC a page should carry: over header and body, with the header's CRC
// field taken as zero (the header bytes themselves are not changed).
uint32_t OggPageCrc(const unsigned char* header, size_t headerSize, const unsigned char* body,
                    size_t bodySize);

// The CRC of a message followed by count zero bytes, given the CRC of the
// message alone. The CRC is linear, so this carries the CRC of a change to
// some bytes of a page over the rest of the page.
uint32_t OggCrcAppendZeros(uint32_t crc, uint64_t count);
