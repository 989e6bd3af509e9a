// Writing side of TagEditor, in three phases: the header pages anew (with any
// audio that shared the last header's page rebuilt onto pages of its own), the
// first stream's audio pages copied as they are but for their sequence numbers,
// then every later page byte for byte. No audio is decoded or re-paged.
#include <cstdint>
#include <cstring>

#include "ogg/ogg_page_reader.h"
#include "ogg/page_copier.h"
#include "opus/opus_headers.h"
#include "vorbis/comment_packet.h"
#include "vorbis/tag_editor.h"

const char kErrorWrite[] =
    "Error writing stream to output. Output stream may be corrupted or truncated.";
const char kErrorCorruptContinuing[] = "Corrupt or missing data, continuing...";

namespace {

// Audio rebuilt from the last header's page may take in following pages while a
// packet runs on; a packet larger than this is given up (left out) instead.
constexpr size_t kMaxRebuiltBytes = 4 * 1024 * 1024;

ogg_packet PacketOf(const std::string& bytes, long number) {
  ogg_packet packet;
  memset(&packet, 0, sizeof packet);
  packet.packet = reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.data()));
  packet.bytes = static_cast<long>(bytes.size());
  packet.packetno = number;
  return packet;
}

// Whether the stream state still holds lacing values not yet taken as packets.
bool HoldsData(const ogg_stream_state& stream) {
  return stream.lacing_fill > stream.lacing_returned;
}

}  // namespace

void TagEditor::ReplaceCommentHeader(const std::string& packet) {
  replacementComment_ = packet;
  replaceComment_ = true;
}

std::string TagEditor::CommentHeader() const {
  std::string packet;
  if (replaceComment_) {
    packet = replacementComment_;
  } else if (comments_) {
    const char* vendor = vendor_ ? vendor_.get() : "";
    packet = opus_ ? BuildOpusTagsPacket(vendor, EntriesOf(*comments_), opusBinary_)
                   : BuildVorbisCommentPacket(vendor, EntriesOf(*comments_));
  }
  // A replacement that does not parse is written as it is, without padding.
  CommentPacketExtent extent;
  std::string padded;
  if (padding_ == 0 || !MeasureCommentPacket(packet, opus_, extent) || !extent.takesPadding ||
      !FitCommentPacket(packet, opus_, extent.contentSize + padding_, padded)) {
    return packet;
  }
  return padded;
}

bool TagEditor::InFirstStream(const OggPageView& page) const {
  return page.Serial() == static_cast<uint32_t>(serial_);
}

bool TagEditor::NextInputPage(OggPageView& page, OggPageView* keep) {
  if (!reader_->Next(page, keep)) return false;
  if (!page.crcValid) dataLeftOut_ = true;
  return true;
}

bool TagEditor::WriteBytes(const unsigned char* data, size_t size, void* output) {
  return write_(data, 1, size, output) == size;
}

bool TagEditor::FlushPages(ogg_stream_state* out, void* output) {
  ogg_page page;
  while (ogg_stream_flush(out, &page)) {
    AddPagePlace(summary_.pages, static_cast<uint32_t>(serial_),
                 static_cast<uint32_t>(ogg_page_pageno(&page)), page.header[5]);
    if (ogg_page_eos(&page)) endWritten_ = true;
    if (!WriteBytes(page.header, static_cast<size_t>(page.header_len), output) ||
        !WriteBytes(page.body, static_cast<size_t>(page.body_len), output)) {
      return false;
    }
  }
  nextSequence_ = static_cast<uint32_t>(out->pageno);
  return true;
}

Status TagEditor::Write(void* output) {
  summary_ = StreamSummary();
  const bool ready = opened_ && reader_;
  // The phases fail only where the write function fails.
  const bool written = ready && WriteStream(output);
  opened_ = false;
  reader_.reset();
  stream_.reset();
  if (written) return Status::Ok();
  lastError_ = kErrorWrite;
  return Status(ready ? StatusCode::kIoError : StatusCode::kInvalid, kErrorWrite);
}

bool TagEditor::WriteStream(void* output) {
  summary_.serial = static_cast<uint32_t>(serial_);
  summary_.headerCount = opus_ ? 2 : 3;
  summary_.identification = identification_;
  summary_.comment = CommentHeader();
  summary_.setup = setup_;
  endWritten_ = false;

  OggPageView page;
  bool more = NextInputPage(page);
  // Audio follows the headers when a packet waits on the last header's page or
  // the stream goes on with more pages.
  const bool audioFollows = ogg_stream_packetpeek(stream_.get(), nullptr) == 1 ||
                            (!headerPageEnded_ && more && InFirstStream(page));
  if (!audioFollows && HoldsData(*stream_)) dataLeftOut_ = true;
  std::unique_ptr<ogg_stream_state, OggStreamRelease> out(new ogg_stream_state);
  ogg_stream_init(out.get(), serial_);
  if (!WriteHeaderPages(out.get(), audioFollows, output)) return false;
  if (audioFollows && !RebuildSharedStart(out.get(), page, more, output)) return false;
  const uint32_t shift = nextSequence_ - (lastHeaderSequence_ + 1);
  if (!headerPageEnded_ && !CopyAudioPages(shift, page, more, output)) return false;
  if (!endWritten_ && !WriteEndPage(output)) return false;
  return CopyTrailingPages(page, more, output);
}

// The identification header alone on the first page, then the comment header
// (and the setup header) flushed, so that audio starts on a page of its own. A
// stream without audio ends on its last header page.
bool TagEditor::WriteHeaderPages(ogg_stream_state* out, bool audioFollows, void* output) {
  ogg_packet identification = PacketOf(summary_.identification, 0);
  identification.b_o_s = 1;
  ogg_stream_packetin(out, &identification);
  if (!FlushPages(out, output)) return false;
  ogg_packet comment = PacketOf(summary_.comment, 1);
  ogg_stream_packetin(out, &comment);
  if (!opus_) {
    ogg_packet setup = PacketOf(summary_.setup, 2);
    ogg_stream_packetin(out, &setup);
  }
  if (!audioFollows) out->e_o_s = 1;
  return FlushPages(out, output);
}

// Audio packets on the last header's page go onto fresh pages, each input page's
// packets flushed together so that every page keeps its granule position. A
// packet that runs on takes in the next pages until it ends, unless one of
// them is damaged (it is then copied as it is, and the packet left out).
bool TagEditor::RebuildSharedStart(ogg_stream_state* out, OggPageView& page, bool& more,
                                   void* output) {
  bool ended = headerPageEnded_;
  size_t taken = 0;
  for (;;) {
    ogg_packet packet;
    for (int got; (got = ogg_stream_packetout(stream_.get(), &packet)) != 0;) {
      if (got < 0) {
        dataLeftOut_ = true;
        continue;
      }
      summary_.audio.AddPacket(packet.packet, static_cast<size_t>(packet.bytes));
      packet.b_o_s = 0;
      packet.e_o_s = 0;
      ogg_stream_packetin(out, &packet);
    }
    if (!HoldsData(*stream_)) break;
    if (ended || !more || !InFirstStream(page) || !page.crcValid || taken > kMaxRebuiltBytes) {
      dataLeftOut_ = true;  // the packet that runs on is lost
      break;
    }
    if (!FlushPages(out, output)) return false;
    if (page.Sequence() != lastHeaderSequence_ + 1) dataLeftOut_ = true;
    lastHeaderSequence_ = page.Sequence();
    ended = page.IsLast();
    taken += page.Size();
    ogg_page taking;
    taking.header = const_cast<unsigned char*>(page.header);
    taking.header_len = static_cast<long>(page.headerSize);
    taking.body = const_cast<unsigned char*>(page.body);
    taking.body_len = static_cast<long>(page.bodySize);
    ogg_stream_pagein(stream_.get(), &taking);
    more = NextInputPage(page);
  }
  if (ended) headerPageEnded_ = true;  // nothing of the stream is left to copy
  if (ended || !more || !InFirstStream(page)) out->e_o_s = 1;
  return FlushPages(out, output);
}

// Every page of the first stream as it is: same body, lacing, granule position
// and flags, with its sequence number shifted by as many pages as the headers
// gained or lost. A page is written once the next one is known, so that the
// last page gets the end-of-stream flag if it lacked it.
bool TagEditor::CopyAudioPages(uint32_t sequenceShift, OggPageView& page, bool& more,
                               void* output) {
  OggPageView pending;
  bool hasPending = false;
  uint32_t expected = lastHeaderSequence_ + 1;
  while (more && InFirstStream(page)) {
    if (page.Sequence() != expected) dataLeftOut_ = true;  // a hole, or a page repeated
    expected = page.Sequence() + 1;
    summary_.audio.AddLacedBody(page.header + 27, page.SegmentCount(), page.body);
    if (hasPending && !WriteCopiedPage(pending, sequenceShift, pending.Flags(), output)) {
      return false;
    }
    pending = page;
    hasPending = true;
    more = NextInputPage(page, &pending);
    if (pending.IsLast()) break;
  }
  if (!hasPending) return true;
  return WriteCopiedPage(pending, sequenceShift, pending.Flags() | OggPageView::kLast, output);
}

bool TagEditor::WriteCopiedPage(const OggPageView& page, uint32_t sequenceShift, int flags,
                                void* output) {
  unsigned char header[kMaxPageHeader];
  const uint32_t sequence = page.Sequence() + sequenceShift;
  const size_t headerSize = CopyPageHeader(page, sequence, flags, header);
  AddPagePlace(summary_.pages, page.Serial(), sequence, flags);
  if (!page.crcValid) AddPagePlace(summary_.damaged, page.Serial(), sequence, flags);
  if ((flags & OggPageView::kLast) != 0) endWritten_ = true;
  nextSequence_ = sequence + 1;
  return WriteBytes(header, headerSize, output) && WriteBytes(page.body, page.bodySize, output);
}

// A stream whose data all went missing after its headers still needs an end:
// a page of no packets carrying the flag.
bool TagEditor::WriteEndPage(void* output) {
  unsigned char header[kEndPageSize];
  MakeEndPage(static_cast<uint32_t>(serial_), nextSequence_, header);
  AddPagePlace(summary_.pages, static_cast<uint32_t>(serial_), nextSequence_, OggPageView::kLast);
  endWritten_ = true;
  return WriteBytes(header, sizeof header, output);
}

// Whatever follows the first stream, page by page, unchanged.
bool TagEditor::CopyTrailingPages(OggPageView& page, bool more, void* output) {
  const uint64_t skippedBefore = reader_->SkippedBytes();
  for (; more; more = NextInputPage(page)) {
    summary_.trailing.AddBytes(page.header, page.headerSize);
    summary_.trailing.AddBytes(page.body, page.bodySize);
    summary_.trailing.EndPacket();
    if (!page.crcValid)
      AddPagePlace(summary_.damaged, page.Serial(), page.Sequence(), page.Flags());
    if (!WriteBytes(page.header, page.headerSize, output) ||
        !WriteBytes(page.body, page.bodySize, output)) {
      return false;
    }
  }
  if (reader_->SkippedBytes() > skippedBefore) lastError_ = kErrorCorruptContinuing;
  if (reader_->SkippedBytes() > 0) dataLeftOut_ = true;
  return true;
}
