// Packets placed in pages by their lacing values (see packet_pages.h).
#include "ogg/packet_pages.h"

#include "base/byte_codec.h"
#include "ogg/ogg_crc.h"

namespace {

constexpr size_t kMinHeader = 27;

// The header size of the page at at, or 0 when run holds no whole header there.
size_t HeaderSize(const std::string& run, size_t at) {
  if (run.size() - at < kMinHeader) return 0;
  const size_t size = kMinHeader + static_cast<unsigned char>(run[at + 26]);
  return run.size() - at < size ? 0 : size;
}

// Calls visit(header, headerSize, bodySize) on every whole page of run in turn.
template <typename Visit>
void ForEachPage(std::string& run, Visit visit) {
  for (size_t at = 0; at < run.size();) {
    const size_t headerSize = HeaderSize(run, at);
    if (headerSize == 0) return;
    unsigned char* header = reinterpret_cast<unsigned char*>(&run[at]);
    size_t bodySize = 0;
    for (size_t s = kMinHeader; s < headerSize; ++s) bodySize += header[s];
    if (run.size() - at - headerSize < bodySize) return;
    visit(header, headerSize, bodySize);
    at += headerSize + bodySize;
  }
}

}  // namespace

bool FindPacket(const std::vector<PlacedPage>& pages, size_t index, PacketPlace& place) {
  place = PacketPlace();
  size_t packet = 0;  // the packet the next segment belongs to
  bool open = false;  // the last segment did not end a packet
  size_t runAt = 0;   // where the current page starts, from the packet's first page
  bool started = false;
  for (size_t p = 0; p < pages.size(); ++p) {
    const std::string& page = pages[p].bytes;
    const size_t headerSize = HeaderSize(page, 0);
    if (headerSize == 0) return false;
    // A page that says it continues a packet when none is open begins with the
    // end of a packet that was never started: no packet's bytes, as for libogg.
    bool orphan = (page[5] & 1) != 0 && !open;
    size_t bodyAt = headerSize;
    for (size_t s = kMinHeader; s < headerSize; ++s) {
      const size_t lace = static_cast<unsigned char>(page[s]);
      if (orphan) {
        orphan = lace == 255;
      } else {
        if (packet == index) {
          if (!started) {
            started = true;
            place.firstPage = p;
          }
          place.lastPage = p;
          if (lace > 0) place.spans.push_back({runAt + bodyAt, lace});
          if (lace < 255) return true;
        }
        open = lace == 255;
        if (!open) ++packet;
      }
      bodyAt += lace;
    }
    if (started) runAt += page.size();
  }
  return false;
}

std::string GatherSpans(const std::string& run, const std::vector<PacketSpan>& spans) {
  std::string bytes;
  for (const PacketSpan& span : spans) bytes.append(run, span.at, span.size);
  return bytes;
}

std::string ReplaceSpans(const std::string& run, const std::vector<PacketSpan>& spans,
                         const std::string& packet) {
  std::string pages = run;
  size_t taken = 0;
  for (const PacketSpan& span : spans) {
    pages.replace(span.at, span.size, packet, taken, span.size);
    taken += span.size;
  }
  ForEachPage(pages, [](unsigned char* header, size_t headerSize, size_t bodySize) {
    PutLe32(header + 22, OggPageCrc(header, headerSize, header + headerSize, bodySize));
  });
  return pages;
}

std::string WithoutChecksums(const std::string& run) {
  std::string pages = run;
  ForEachPage(pages, [](unsigned char* header, size_t, size_t) { PutLe32(header + 22, 0); });
  return pages;
}
