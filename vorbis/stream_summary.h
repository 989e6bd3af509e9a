// What a rewrite must keep, summed up while the input is read: the headers, a
// digest of every audio packet of the first stream in order, and a digest of the
// pages after it. The checker of the new file computes the same from the output.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "vorbis/ogg_crc.h"

// Packets in order, each fed as one or more pieces and then ended. Two sequences
// have equal digests when they hold the same packets (up to CRC collisions of
// both their bytes and their lengths, which a fault of the writer does not make).
class PacketDigest {
 public:
  void AddBytes(const unsigned char* data, size_t size) {
    bytesCrc_ = OggCrcUpdate(bytesCrc_, data, size);
    bytes_ += size;
    packetBytes_ += size;
  }
  void EndPacket() {
    unsigned char length[8];
    for (int i = 0; i < 8; ++i) length[i] = static_cast<unsigned char>(packetBytes_ >> (8 * i));
    lengthsCrc_ = OggCrcUpdate(lengthsCrc_, length, sizeof length);
    packetBytes_ = 0;
    ++count_;
  }
  void AddPacket(const unsigned char* data, size_t size) {
    AddBytes(data, size);
    EndPacket();
  }
  uint64_t Count() const { return count_; }
  bool operator==(const PacketDigest& other) const {
    return count_ == other.count_ && bytes_ == other.bytes_ && bytesCrc_ == other.bytesCrc_ &&
           lengthsCrc_ == other.lengthsCrc_ && packetBytes_ == other.packetBytes_;
  }
  bool operator!=(const PacketDigest& other) const { return !(*this == other); }

 private:
  uint64_t count_ = 0;
  uint64_t bytes_ = 0;
  uint64_t packetBytes_ = 0;  // of the packet being fed
  uint32_t bytesCrc_ = 0;
  uint32_t lengthsCrc_ = 0;
};

struct StreamSummary {
  uint32_t serial = 0;
  std::string identification;  // the header packets as they must stand in the new file
  std::string comment;
  std::string setup;
  PacketDigest audio;     // the first stream's packets after the headers
  PacketDigest trailing;  // every page after the first stream, each as one packet
};
