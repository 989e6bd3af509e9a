// A digest of the bytes after FLAC's metadata (the frames and any tail), taken
// on the input side while they are copied and again from the new file: their
// count and a CRC-32 over them, computed in large pieces at memory speed.
#pragma once
#include <cstddef>
#include <cstdint>

class FrameDigest {
 public:
  void Add(const unsigned char* data, size_t size);

  uint64_t Bytes() const { return bytes_; }
  bool operator==(const FrameDigest& other) const {
    return bytes_ == other.bytes_ && crc_ == other.crc_;
  }
  bool operator!=(const FrameDigest& other) const { return !(*this == other); }

 private:
  uint64_t bytes_ = 0;
  uint32_t crc_ = 0;
};
