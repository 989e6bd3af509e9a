// The frame digest (see frame_digest.h), on ISA-L's CRC-32, which picks a
// carry-less multiply kernel where the processor has one.
#include "flac/frame_digest.h"

#include <isa-l/crc.h>

void FrameDigest::Add(const unsigned char* data, size_t size) {
  if (size == 0) return;
  crc_ = crc32_ieee(crc_, data, size);
  bytes_ += size;
}
