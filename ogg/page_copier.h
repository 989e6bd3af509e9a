// The page headers the writer makes without libogg: a page copied with a new
// sequence number and flags, its CRC carried over incrementally so that a page
// that was damaged stays exactly as damaged; and the empty page that ends a stream.
#pragma once
#include <cstddef>
#include <cstdint>

#include "ogg/ogg_page_reader.h"

// The largest page header: 27 bytes and 255 lacing values.
constexpr size_t kMaxPageHeader = 27 + 255;

// Copies page's header into header (room for kMaxPageHeader bytes) with the
// given sequence number and flags; returns the header's size.
size_t CopyPageHeader(const OggPageView& page, uint32_t sequence, int flags, unsigned char* header);

// A page of no packets with the end-of-stream flag (27 bytes, no body).
constexpr size_t kEndPageSize = 27;
void MakeEndPage(uint32_t serial, uint32_t sequence, unsigned char* header);
