// What a rewrite must keep, summed up while the input is read: the headers, a
// digest of every audio packet of the first stream in order, and a digest of the
// pages after it. The checker of the new file computes the same from the output.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "vorbis/ogg_crc.h"

// Packets in order, each fed as one or more pieces and then ended. Two sequences
// have equal digests when they hold the same packets (up to CRC collisions of
// both their bytes and their lengths, which a fault of the writer does not make).
class PacketDigest {
 public:
  void AddBytes(const unsigned char* data, size_t size) {
    // Small pieces are gathered first: the checksum pays a cost per call.
    if (staged_ + size > sizeof staging_) FlushStaged();
    if (size >= sizeof staging_ / 4) {
      bytesCrc_ = OggCrcUpdate(bytesCrc_, data, size);
    } else if (size > 0) {
      std::memcpy(staging_ + staged_, data, size);
      staged_ += size;
    }
    bytes_ += size;
    packetBytes_ += size;
  }
  void EndPacket() {
    // Lengths are gathered and checksummed a block at a time: one call per
    // packet would cost more than the packet's bytes.
    unsigned char* length = lengths_ + 4 * pending_;
    for (int i = 0; i < 4; ++i) length[i] = static_cast<unsigned char>(packetBytes_ >> (8 * i));
    packetBytes_ = 0;
    ++count_;
    if (++pending_ == kBatch) {
      lengthsCrc_ = OggCrcUpdate(lengthsCrc_, lengths_, sizeof lengths_);
      pending_ = 0;
    }
  }
  void AddPacket(const unsigned char* data, size_t size) {
    AddBytes(data, size);
    EndPacket();
  }
  uint64_t Count() const { return count_; }
  bool operator==(const PacketDigest& other) const {
    return count_ == other.count_ && bytes_ == other.bytes_ && BytesCrc() == other.BytesCrc() &&
           LengthsCrc() == other.LengthsCrc() && packetBytes_ == other.packetBytes_;
  }
  bool operator!=(const PacketDigest& other) const { return !(*this == other); }

 private:
  static constexpr size_t kBatch = 256;
  uint32_t LengthsCrc() const { return OggCrcUpdate(lengthsCrc_, lengths_, 4 * pending_); }
  uint32_t BytesCrc() const { return OggCrcUpdate(bytesCrc_, staging_, staged_); }
  void FlushStaged() {
    bytesCrc_ = OggCrcUpdate(bytesCrc_, staging_, staged_);
    staged_ = 0;
  }

  uint64_t count_ = 0;
  uint64_t bytes_ = 0;
  uint64_t packetBytes_ = 0;  // of the packet being fed
  uint32_t bytesCrc_ = 0;
  uint32_t lengthsCrc_ = 0;
  size_t pending_ = 0;
  unsigned char lengths_[4 * kBatch] = {};
  size_t staged_ = 0;
  unsigned char staging_[16 * 1024] = {};
};

struct StreamSummary {
  uint32_t serial = 0;
  std::string identification;  // the header packets as they must stand in the new file
  std::string comment;
  std::string setup;
  PacketDigest audio;     // the first stream's packets after the headers
  PacketDigest trailing;  // every page after the first stream, each as one packet
};
