// The check of an edit in place (see in_place_edit.h): the file is read back
// from its first byte with a page reader of its own, and its headers are taken
// out of the pages with libogg and parsed again with libvorbis (or the Opus
// header reader), independently of the editor that planned the edit; the
// setup header, which the edit never writes, is compared with the one read.
#include <ogg/ogg.h>

#include <cstring>
#include <memory>

#include "base/byte_codec.h"
#include "ogg/ogg_page_reader.h"
#include "opus/opus_headers.h"
#include "vorbis/comment_packet.h"
#include "vorbis/tag_editor.h"
#include "vorbis/vorbis_headers.h"

namespace {

const char kNotAnEdit[] = "No edit in place to check.";
const char kPagesMoved[] = "Edited pages are not where they were.";
const char kBadChecksum[] = "Edited page has a wrong checksum.";
const char kHeadersUnreadable[] = "Edited headers do not parse.";
const char kOtherBytesChanged[] = "Edited pages changed outside the comment header.";
const char kCommentsDiffer[] = "Edited comment header holds other comments.";
const char kNextPageMoved[] = "Page after the edited pages is not where it was.";

constexpr size_t kFixedHeader = 27;
// The check reads the header pages only: a few KiB mostly.
constexpr size_t kReadBlock = 16 * 1024;

// The first stream's header packets, taken out of its pages by libogg.
class HeaderPackets {
 public:
  explicit HeaderPackets(size_t count) : count_(count) {}

  // False when the page does not continue the stream or its packets break.
  bool Take(const OggPageView& page) {
    if (!stream_) {
      stream_.reset(new ogg_stream_state);
      ogg_stream_init(stream_.get(), static_cast<int>(page.Serial()));
    }
    ogg_page view;
    view.header = const_cast<unsigned char*>(page.header);
    view.header_len = static_cast<long>(page.headerSize);
    view.body = const_cast<unsigned char*>(page.body);
    view.body_len = static_cast<long>(page.bodySize);
    if (ogg_stream_pagein(stream_.get(), &view) != 0) return false;
    ogg_packet packet;
    while (!Complete()) {
      const int got = ogg_stream_packetout(stream_.get(), &packet);
      if (got == 0) break;
      if (got < 0) return false;
      packets_.emplace_back(reinterpret_cast<const char*>(packet.packet),
                            static_cast<size_t>(packet.bytes));
    }
    return true;
  }
  bool Complete() const { return packets_.size() == count_; }
  const std::string& operator[](size_t i) const { return packets_[i]; }

 private:
  size_t count_;
  std::unique_ptr<ogg_stream_state, OggStreamRelease> stream_;
  std::vector<std::string> packets_;
};

const unsigned char* BytesOf(const std::string& packet) {
  return reinterpret_cast<const unsigned char*>(packet.data());
}

// The comment header's list (and Opus binary data) against the planned ones.
Status CheckComments(const HeaderPackets& headers, const InPlaceEdit& edit) {
  const std::string& packet = headers[1];
  OpusTags tags;
  if (edit.opus) {
    if (CheckOpusHead(BytesOf(headers[0]), headers[0].size()) != OpusHeadCheck::kReadable ||
        !ParseOpusTags(BytesOf(packet), packet.size(), tags)) {
      return Status(StatusCode::kCorrupt, kHeadersUnreadable);
    }
  } else if (!DecoderReadsVorbisHeaders({&headers[0], &packet}) || headers[2] != edit.setup ||
             !ReadCommentHeader(BytesOf(packet), packet.size(), tags.list)) {
    return Status(StatusCode::kCorrupt, kHeadersUnreadable);
  }
  if (tags.list.vendor != edit.comments.vendor || tags.list.entries != edit.comments.entries ||
      tags.binaryData != edit.binaryData) {
    return Status(StatusCode::kCorrupt, kCommentsDiffer);
  }
  return Status::Ok();
}

// Whether the range read back holds the old bytes wherever the comment header
// does not lie, the pages' checksums aside.
bool OnlyCommentChanged(const std::string& read, const InPlaceEdit& edit) {
  const std::string range = WithoutChecksums(read);
  const std::string old = WithoutChecksums(edit.oldBytes);
  size_t from = 0;
  for (const PacketSpan& span : edit.commentSpans) {
    if (range.compare(from, span.at - from, old, from, span.at - from) != 0) return false;
    from = span.at + span.size;
  }
  return range.compare(from, std::string::npos, old, from, std::string::npos) == 0;
}

// The bytes right after the range: the page that followed it, or none.
bool FollowerInPlace(OggPageReader& reader, const InPlaceEdit& edit) {
  const unsigned char* next = nullptr;
  const size_t got = reader.Peek(kFixedHeader, next);
  if (!edit.followed) return got == 0;
  return got == kFixedHeader && memcmp(next, "OggS", 4) == 0 && next[4] == 0 &&
         GetLe32(next + 14) == edit.nextSerial && GetLe32(next + 18) == edit.nextSequence;
}

}  // namespace

Status VerifyInPlace(void* input, ReadFunc read, const InPlaceEdit& edit) {
  if (!edit.fits) return Status(StatusCode::kInvalid, kNotAnEdit);
  const uint64_t end = edit.offset + edit.newBytes.size();
  OggPageReader reader(input, read, kReadBlock);
  HeaderPackets headers(edit.opus ? 2 : 3);
  std::string range;
  uint64_t at = 0;  // where the next page must start
  bool pastRange = false;
  OggPageView page;
  // Pages back to back from the first byte, through the range and the headers.
  while (!pastRange || !headers.Complete()) {
    if (!reader.Next(page) || reader.SkippedBytes() != 0) {
      return Status(StatusCode::kCorrupt, kPagesMoved);
    }
    const uint64_t pageEnd = at + page.Size();
    if (pageEnd > edit.offset && at < end) {
      if (at < edit.offset || pageEnd > end) return Status(StatusCode::kCorrupt, kPagesMoved);
      if (!page.crcValid) return Status(StatusCode::kCorrupt, kBadChecksum);
      range.append(reinterpret_cast<const char*>(page.header), page.headerSize);
      range.append(reinterpret_cast<const char*>(page.body), page.bodySize);
    }
    if (!headers.Complete() && !headers.Take(page)) {
      return Status(StatusCode::kCorrupt, kHeadersUnreadable);
    }
    at = pageEnd;
    if (at == end) {
      pastRange = true;
      if (!FollowerInPlace(reader, edit)) return Status(StatusCode::kCorrupt, kNextPageMoved);
    }
  }
  if (!OnlyCommentChanged(range, edit)) return Status(StatusCode::kCorrupt, kOtherBytesChanged);
  return CheckComments(headers, edit);
}
