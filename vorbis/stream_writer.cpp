// Writing side of TagEditor: the two unchanged headers and a rebuilt comment
// header, the first stream's audio packets re-paged with their granule positions,
// then every remaining page of the input byte for byte. No audio is decoded.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "vorbis/tag_editor.h"

const char kErrorWrite[] =
    "Error writing stream to output. Output stream may be corrupted or truncated.";
const char kErrorCorruptContinuing[] = "Corrupt or missing data, continuing...";

namespace {

// Releases the packer's buffer whatever happens to the packet built in it.
struct PackBuffer {
  oggpack_buffer buffer;
  PackBuffer() { oggpack_writeinit(&buffer); }
  ~PackBuffer() { oggpack_writeclear(&buffer); }
  PackBuffer(const PackBuffer&) = delete;
  PackBuffer& operator=(const PackBuffer&) = delete;
};

void PackBytes(oggpack_buffer* buffer, const char* bytes, long count) {
  for (long i = 0; i < count; ++i) oggpack_write(buffer, static_cast<unsigned char>(bytes[i]), 8);
}

// The Vorbis comment header: type 3, "vorbis", the vendor text, the entries as
// 32-bit little-endian lengths and bytes, and the framing bit.
std::string BuildCommentPacket(const char* vendor, const vorbis_comment& comments) {
  PackBuffer pack;
  oggpack_buffer* buffer = &pack.buffer;
  oggpack_write(buffer, 3, 8);
  PackBytes(buffer, "vorbis", 6);
  long vendorLength = static_cast<long>(strlen(vendor));
  oggpack_write(buffer, static_cast<unsigned long>(vendorLength), 32);
  PackBytes(buffer, vendor, vendorLength);
  int count = comments.comments;
  oggpack_write(buffer, static_cast<unsigned long>(count), 32);
  for (int i = 0; i < count; ++i) {
    const char* entry = comments.user_comments[i];
    long length = entry ? comments.comment_lengths[i] : 0;
    oggpack_write(buffer, static_cast<unsigned long>(length), 32);
    PackBytes(buffer, entry, length);
  }
  oggpack_write(buffer, 1, 1);
  return std::string(reinterpret_cast<const char*>(oggpack_get_buffer(buffer)),
                     static_cast<size_t>(oggpack_bytes(buffer)));
}

ogg_packet PacketOf(const std::string& bytes, long number) {
  ogg_packet packet;
  memset(&packet, 0, sizeof packet);
  packet.packet = reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.data()));
  packet.bytes = static_cast<long>(bytes.size());
  packet.packetno = number;
  return packet;
}

// A damaged page may carry a position near the top of the range: the running
// count stops there rather than overflow.
int64_t AddSamples(int64_t granule, int32_t samples) {
  if (samples > 0 && granule > INT64_MAX - samples) return INT64_MAX;
  return granule + samples;
}

// Takes the next packet out of a stream state, passing over holes in the data:
// the packets on either side of a hole are still delivered, and the hole noted.
bool NextPacket(ogg_stream_state* stream, ogg_packet* packet, bool& hole) {
  for (;;) {
    int result = ogg_stream_packetout(stream, packet);
    if (result > 0) return true;
    if (result == 0) return false;
    hole = true;
  }
}

}  // namespace

int32_t TagEditor::PacketDuration(ogg_packet* packet) {
  if (!info_) return 0;
  long blockSize = vorbis_packet_blocksize(info_.get(), packet);
  // An unreadable packet (empty, or not audio) adds nothing and must not
  // disturb the overlap with the packets around it.
  if (blockSize < 0) return 0;
  int32_t duration =
      previousBlockSize_ == 0 ? 0 : (previousBlockSize_ + static_cast<int32_t>(blockSize)) / 4;
  previousBlockSize_ = static_cast<int32_t>(blockSize);
  return duration;
}

void TagEditor::ReplaceCommentHeader(const std::string& packet) {
  replacementComment_ = packet;
  replaceComment_ = true;
}

std::string TagEditor::CommentHeader() const {
  if (replaceComment_) return replacementComment_;
  if (!comments_) return std::string();
  return BuildCommentPacket(vendor_ ? vendor_.get() : "", *comments_);
}

bool TagEditor::UnfinishedInput() const { return sync_ && sync_->fill > sync_->returned; }

bool TagEditor::FetchNextPacket(ogg_packet* packet, ogg_page* inputPage) {
  if (NextPacket(stream_.get(), packet, dataLeftOut_)) {
    summary_.audio.AddPacket(packet->packet, static_cast<size_t>(packet->bytes));
    return true;
  }
  for (;;) {
    if (inputEnded_) return false;
    for (;;) {
      const int result = ogg_sync_pageout(sync_.get(), inputPage);
      if (result > 0) break;
      if (result < 0) {
        dataLeftOut_ = true;
      } else if (ReadChunk() == 0) {
        return false;
      }
    }
    if (ogg_page_serialno(inputPage) != serial_) {
      // The first stream ends here; this page is written after it, unchanged.
      inputEnded_ = 1;
      extraPage_ = 1;
      return false;
    }
    if (ogg_page_eos(inputPage)) inputEnded_ = 1;
    ogg_stream_pagein(stream_.get(), inputPage);
    if (NextPacket(stream_.get(), packet, dataLeftOut_)) {
      summary_.audio.AddPacket(packet->packet, static_cast<size_t>(packet->bytes));
      return true;
    }
  }
}

bool TagEditor::WritePage(const ogg_page& page, void* output) {
  size_t headerLength = static_cast<size_t>(page.header_len);
  size_t bodyLength = static_cast<size_t>(page.body_len);
  return write_(page.header, 1, headerLength, output) == headerLength &&
         write_(page.body, 1, bodyLength, output) == bodyLength;
}

bool TagEditor::WriteTrailingPage(const ogg_page& page, void* output) {
  summary_.trailing.AddBytes(page.header, static_cast<size_t>(page.header_len));
  summary_.trailing.AddBytes(page.body, static_cast<size_t>(page.body_len));
  summary_.trailing.EndPacket();
  return WritePage(page, output);
}

int TagEditor::Write(void* output) {
  bool written = false;
  summary_ = StreamSummary();
  if (sync_ && identification_ && setup_) {
    extraPage_ = 0;
    inputEnded_ = 0;
    std::unique_ptr<ogg_stream_state, OggStreamRelease> out(new ogg_stream_state);
    ogg_stream_init(out.get(), serial_);
    written = WriteAll(out.get(), output);
  }
  identification_.reset();
  setup_.reset();
  if (!written) {
    lastError_ = kErrorWrite;
    return -1;
  }
  return 0;
}

bool TagEditor::WriteAll(ogg_stream_state* out, void* output) {
  summary_.serial = static_cast<uint32_t>(serial_);
  summary_.identification.assign(reinterpret_cast<const char*>(identification_.get()),
                                 static_cast<size_t>(identificationLength_));
  summary_.comment = CommentHeader();
  summary_.setup.assign(reinterpret_cast<const char*>(setup_.get()),
                        static_cast<size_t>(setupLength_));
  ogg_packet identification = PacketOf(summary_.identification, 0);
  identification.b_o_s = 1;
  ogg_packet comment = PacketOf(summary_.comment, 1);
  ogg_packet setup = PacketOf(summary_.setup, 2);

  ogg_stream_packetin(out, &identification);
  ogg_stream_packetin(out, &comment);
  ogg_stream_packetin(out, &setup);
  // Every header page goes out before the first audio packet is submitted, so
  // the audio starts on a page of its own. The first audio packet is fetched
  // beforehand only to learn whether there is any: a stream of headers alone
  // must end its last header page with the end-of-stream flag.
  ogg_packet packet;
  ogg_page inputPage;
  bool fetched = FetchNextPacket(&packet, &inputPage);
  if (!fetched) out->e_o_s = 1;
  ogg_page page;
  while (ogg_stream_flush(out, &page)) {
    if (!WritePage(page, output)) return false;
  }

  int64_t granule = 0;
  bool flushNext = false;
  bool pageOutNext = false;
  for (; fetched; fetched = FetchNextPacket(&packet, &inputPage)) {
    granule = AddSamples(granule, PacketDuration(&packet));
    // Pages are taken out only when the packet before carried a granule position
    // of its own. Every ready page is written, not just one, so that the output
    // stream never holds more than about a page of audio whatever the input's
    // page sizes are.
    if (flushNext) {
      while (ogg_stream_flush(out, &page)) {
        if (!WritePage(page, output)) return false;
      }
    } else if (pageOutNext) {
      while (ogg_stream_pageout(out, &page)) {
        if (!WritePage(page, output)) return false;
      }
    }
    flushNext = false;
    pageOutNext = false;
    if (packet.granulepos == -1) {
      packet.granulepos = granule;
      ogg_stream_packetin(out, &packet);
    } else if (granule > packet.granulepos) {
      // A shortened final block: its page must end with this position.
      granule = packet.granulepos;
      ogg_stream_packetin(out, &packet);
      flushNext = true;
    } else {
      // The input's clock leads (a stream that does not start at zero): follow
      // it, so that later packets without a position of their own stay in step.
      granule = packet.granulepos;
      ogg_stream_packetin(out, &packet);
      pageOutNext = true;
    }
  }

  out->e_o_s = 1;
  while (ogg_stream_flush(out, &page)) {
    if (!WritePage(page, output)) return false;
  }
  if (extraPage_ && !WriteTrailingPage(inputPage, output)) return false;

  // Whatever follows the first stream is copied page by page, unchanged.
  inputEnded_ = 0;
  for (;;) {
    int result = ogg_sync_pageout(sync_.get(), &page);
    if (result > 0) {
      if (!WriteTrailingPage(page, output)) return false;
    } else if (result < 0) {
      lastError_ = kErrorCorruptContinuing;
      dataLeftOut_ = true;
    } else if (ReadChunk() == 0) {
      inputEnded_ = 1;
      if (UnfinishedInput()) dataLeftOut_ = true;
      return true;
    }
  }
}
