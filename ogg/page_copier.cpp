// Page headers made without libogg (see page_copier.h).
#include "ogg/page_copier.h"

#include <cstring>

#include "base/byte_codec.h"
#include "ogg/ogg_crc.h"

namespace {

// The CRC a page must carry once the bytes at offset change by delta (XORed in),
// from the CRC it carried: the CRC is linear, so the change's own CRC, carried
// over the rest of the page, is all that differs. A wrong CRC stays as wrong.
uint32_t CarriedCrc(uint32_t crc, const unsigned char* delta, size_t size, size_t offset,
                    size_t pageSize) {
  return crc ^ OggCrcAppendZeros(OggCrcUpdate(0, delta, size), pageSize - offset - size);
}

}  // namespace

size_t CopyPageHeader(const OggPageView& page, uint32_t sequence, int flags,
                      unsigned char* header) {
  memcpy(header, page.header, page.headerSize);
  uint32_t crc = page.StoredCrc();
  if (sequence != page.Sequence()) {
    unsigned char delta[4];
    PutLe32(delta, sequence ^ page.Sequence());
    crc = CarriedCrc(crc, delta, 4, 18, page.Size());
    PutLe32(header + 18, sequence);
  }
  if (flags != page.Flags()) {
    const unsigned char delta = static_cast<unsigned char>(flags ^ page.Flags());
    crc = CarriedCrc(crc, &delta, 1, 5, page.Size());
    header[5] = static_cast<unsigned char>(flags);
  }
  PutLe32(header + 22, crc);
  return page.headerSize;
}

void MakeEndPage(uint32_t serial, uint32_t sequence, unsigned char* header) {
  memset(header, 0, kEndPageSize);
  memcpy(header, "OggS", 4);
  header[5] = OggPageView::kLast;
  memset(header + 6, 0xFF, 8);  // no packet ends on this page
  PutLe32(header + 14, serial);
  PutLe32(header + 18, sequence);
  PutLe32(header + 22, OggPageCrc(header, kEndPageSize, nullptr, 0));
}
