// Editing the comment header where it lies. When the new comment header can be
// given exactly the old one's length by changing only its padding, the pages
// that hold it keep their sizes and lacing values and no other byte of the file
// changes. TagEditor::PlanInPlace says which bytes to write where; VerifyInPlace
// checks the file read back once they were written and flushed.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/status.h"
#include "ogg/io_functions.h"
#include "ogg/packet_pages.h"
#include "vorbis_comments/comment_list.h"

struct InPlaceEdit {
  // Whether the edit can be made in place; when not, the file must be rewritten
  // and nothing else here is set.
  bool fits = false;
  // The bytes from the first to the last page holding the comment header: where
  // they start in the file, what they are now, and what to write there instead
  // (as long: the pages with the new comment header and fresh checksums; the
  // same bytes when the comment header does not change). The old bytes are
  // what a failed edit puts back.
  uint64_t offset = 0;
  std::string oldBytes;
  std::string newBytes;

  // What the file must hold once the new bytes are written.
  bool opus = false;
  CommentList comments;                  // the new comment header's list
  std::string binaryData;                // Opus binary data after the list, kept
  std::vector<PacketSpan> commentSpans;  // the comment header's bytes in the range
  std::string setup;                     // the Vorbis setup header as read, to be found as it was
  bool followed = false;                 // a page follows the range; else the file ends there
  uint32_t nextSerial = 0;               // that page's serial and sequence numbers
  uint32_t nextSequence = 0;
};

// Checks the file read through read from its first byte, after the edit's new
// bytes were written there and flushed: the pages from the start up to the
// range and through it lie back to back; every page of the range has a valid
// checksum; the headers parse (identification and comment; the Vorbis setup
// header, never written, is found byte for byte as it was read, its codebooks
// not unpacked); the comment list (and the Opus binary data) is the one
// planned; the range's
// bytes outside the comment header are the old ones; and the page that followed
// the range still starts right after it (or the file still ends there). Reads
// no further than that. kCorrupt naming what differs (a failed read shows as a
// difference), kInvalid for an edit that does not fit.
Status VerifyInPlace(void* input, ReadFunc read, const InPlaceEdit& edit);
