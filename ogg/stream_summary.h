// What a rewrite must keep, summed up while the input is read: the headers, a
// digest of every audio packet of the first stream in order, and a digest of the
// pages after it. The checker of the new file computes the same from the output.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/byte_codec.h"
#include "ogg/ogg_crc.h"

// Packets in order, each fed as one or more pieces and then ended. Two sequences
// have equal digests when they hold the same packets (up to CRC collisions of
// their bytes and hash collisions of their lengths, which a fault of the writer
// does not make).
class PacketDigest {
 public:
  void AddBytes(const unsigned char* data, size_t size) {
    bytesCrc_ = OggCrcUpdate(bytesCrc_, data, size);
    bytes_ += size;
    packetBytes_ += size;
  }
  void EndPacket() {
    lengthsHash_ = (lengthsHash_ + packetBytes_ + 1) * 0x9E3779B97F4A7C15ull;
    packetBytes_ = 0;
    ++count_;
  }
  void AddPacket(const unsigned char* data, size_t size) {
    AddBytes(data, size);
    EndPacket();
  }
  // A page's body, split into packets by its lacing values alone: a value below
  // 255 ends a packet, a packet left open goes on with the next page fed.
  void AddLacedBody(const unsigned char* lacing, int segments, const unsigned char* body) {
    size_t size = 0;
    for (int i = 0; i < segments; ++i) size += lacing[i];
    bytesCrc_ = OggCrcUpdate(bytesCrc_, body, size);
    bytes_ += size;
    for (int i = 0; i < segments; ++i) {
      packetBytes_ += lacing[i];
      if (lacing[i] < 255) EndPacket();
    }
  }
  uint64_t Count() const { return count_; }
  bool operator==(const PacketDigest& other) const {
    return count_ == other.count_ && bytes_ == other.bytes_ && bytesCrc_ == other.bytesCrc_ &&
           lengthsHash_ == other.lengthsHash_ && packetBytes_ == other.packetBytes_;
  }
  bool operator!=(const PacketDigest& other) const { return !(*this == other); }

 private:
  uint64_t count_ = 0;
  uint64_t bytes_ = 0;
  uint64_t packetBytes_ = 0;  // of the packet being fed
  uint64_t lengthsHash_ = 0;
  uint32_t bytesCrc_ = 0;
};

// A page's place as a small packet: its serial number, sequence number and flags.
inline void AddPagePlace(PacketDigest& digest, uint32_t serial, uint32_t sequence, int flags) {
  unsigned char place[9];
  PutLe32(place, serial);
  PutLe32(place + 4, sequence);
  place[8] = static_cast<unsigned char>(flags);
  digest.AddPacket(place, sizeof place);
}

struct StreamSummary {
  uint32_t serial = 0;
  int headerCount = 3;         // Vorbis: identification, comment, setup; Opus: the first two
  std::string identification;  // the header packets as they must stand in the new file
  std::string comment;
  std::string setup;
  PacketDigest audio;     // the first stream's packets after the headers
  PacketDigest pages;     // the place of every page of the first stream, in order
  PacketDigest trailing;  // every page after the first stream, each as one packet
  // The place of every page that comes out with a wrong checksum because it had
  // one in the input: copied as it is, never given a fresh one.
  PacketDigest damaged;
};
