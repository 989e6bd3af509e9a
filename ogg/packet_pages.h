// A packet's place in the pages that hold it, found from their lacing values
// alone, and those pages with the packet's bytes replaced by as many others:
// what an edit in place writes, each page keeping its size and lacing values.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A page as read, at its offset in the file.
struct PlacedPage {
  uint64_t offset = 0;
  std::string bytes;  // header and body
};

// Some of a packet's bytes: where they lie in a run of whole pages, counted
// from the run's first byte.
struct PacketSpan {
  size_t at = 0;
  size_t size = 0;
};

struct PacketPlace {
  size_t firstPage = 0;  // indices into the pages searched
  size_t lastPage = 0;
  // The packet's bytes in order, counted from the first byte of the first page,
  // the pages from there taken back to back.
  std::vector<PacketSpan> spans;
};

// Finds packet number index (from 0) in pages that follow one another in one
// stream, the first beginning with a packet: a lacing value below 255 ends a
// packet. False when the pages end before the packet does.
bool FindPacket(const std::vector<PlacedPage>& pages, size_t index, PacketPlace& place);

// The bytes the spans cover in run, in order.
std::string GatherSpans(const std::string& run, const std::vector<PacketSpan>& spans);

// The run of whole pages with the bytes the spans cover replaced by packet (as
// long as the spans together), each page given the checksum of its new bytes.
std::string ReplaceSpans(const std::string& run, const std::vector<PacketSpan>& spans,
                         const std::string& packet);

// The run with every page's checksum field set to zero: what an edit of the
// pages' bodies leaves as it was in their headers.
std::string WithoutChecksums(const std::string& run);
