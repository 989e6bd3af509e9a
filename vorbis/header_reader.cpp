// Opening side of TagEditor: reads the first Ogg page and the three Vorbis header
// packets through libogg and libvorbis, and keeps what the writer needs.
#include <cstring>

#include "vorbis/tag_editor.h"

const char kErrorTruncated[] = "Input truncated or empty.";
const char kErrorNotOgg[] = "Input is not an Ogg bitstream.";
const char kErrorFirstPage[] = "Error reading first page of Ogg bitstream.";
const char kErrorInitialHeader[] = "Error reading initial header packet.";
const char kErrorNotVorbis[] = "Ogg bitstream does not contain vorbis data.";
const char kErrorCorruptSecondary[] = "Corrupt secondary header.";
const char kErrorEofInHeaders[] = "EOF before end of vorbis headers.";
const char kErrorMultiplexed[] = "Multiplexed Ogg streams are not supported.";

void OggSyncRelease::operator()(ogg_sync_state* state) const {
  ogg_sync_clear(state);
  delete state;
}

void OggStreamRelease::operator()(ogg_stream_state* state) const {
  ogg_stream_clear(state);
  delete state;
}

void VorbisCommentRelease::operator()(vorbis_comment* comments) const {
  vorbis_comment_clear(comments);
  delete comments;
}

void VorbisInfoRelease::operator()(vorbis_info* info) const {
  vorbis_info_clear(info);
  delete info;
}

size_t ReadFromFile(void* buffer, size_t size, size_t count, void* handle) {
  return fread(buffer, size, count, static_cast<FILE*>(handle));
}

size_t WriteToFile(const void* data, size_t size, size_t count, void* handle) {
  return fwrite(data, size, count, static_cast<FILE*>(handle));
}

namespace {

// An owned heap copy of a packet's bytes (never a null pointer, even for 0 bytes).
std::unique_ptr<unsigned char[]> CopyPacket(const ogg_packet& packet) {
  std::unique_ptr<unsigned char[]> copy(new unsigned char[packet.bytes > 0 ? packet.bytes : 1]);
  if (packet.bytes > 0) memcpy(copy.get(), packet.packet, static_cast<size_t>(packet.bytes));
  return copy;
}

}  // namespace

TagEditor::TagEditor() = default;

TagEditor::~TagEditor() { Clear(); }

void TagEditor::Clear() {
  comments_.reset();
  stream_.reset();
  sync_.reset();
  vendor_.reset();
  identification_.reset();
  setup_.reset();
  info_.reset();
  read_ = nullptr;
  write_ = nullptr;
  input_ = nullptr;
  serial_ = 0;
  identificationLength_ = 0;
  setupLength_ = 0;
  previousBlockSize_ = 0;
  extraPage_ = 0;
  inputEnded_ = 0;
  originalComment_.clear();
  replacementComment_.clear();
  replaceComment_ = false;
  dataLeftOut_ = false;
}

bool TagEditor::Fail(const char* message) {
  lastError_ = message;
  Clear();
  return false;
}

long TagEditor::ReadChunk() {
  char* buffer = ogg_sync_buffer(sync_.get(), kChunkSize);
  size_t count = buffer ? read_(buffer, 1, kChunkSize, input_) : 0;
  if (count > static_cast<size_t>(kChunkSize)) count = kChunkSize;
  ogg_sync_wrote(sync_.get(), static_cast<long>(count));
  return static_cast<long>(count);
}

bool TagEditor::OpenFile(FILE* input) { return Open(input, ReadFromFile, WriteToFile); }

bool TagEditor::Open(void* input, ReadFunc read, WriteFunc write) {
  Clear();
  lastError_ = nullptr;
  input_ = input;
  read_ = read;
  write_ = write;
  sync_.reset(new ogg_sync_state);
  ogg_sync_init(sync_.get());

  // Only the first chunk decides whether this is an Ogg stream at all: a file
  // that does not begin with a page is refused even if one follows later.
  long firstChunk = ReadChunk();
  ogg_page page;
  if (ogg_sync_pageout(sync_.get(), &page) != 1) {
    return Fail(firstChunk < kChunkSize ? kErrorTruncated : kErrorNotOgg);
  }

  serial_ = ogg_page_serialno(&page);
  stream_.reset(new ogg_stream_state);
  ogg_stream_init(stream_.get(), serial_);
  info_.reset(new vorbis_info);
  vorbis_info_init(info_.get());
  comments_.reset(new vorbis_comment);
  vorbis_comment_init(comments_.get());

  if (ogg_stream_pagein(stream_.get(), &page) < 0) return Fail(kErrorFirstPage);
  ogg_packet packet;
  if (ogg_stream_packetout(stream_.get(), &packet) != 1) return Fail(kErrorInitialHeader);
  if (vorbis_synthesis_headerin(info_.get(), comments_.get(), &packet) < 0) {
    return Fail(kErrorNotVorbis);
  }
  identification_ = CopyPacket(packet);
  identificationLength_ = static_cast<int32_t>(packet.bytes);

  if (!ReadSecondaryHeaders()) return false;

  const char* vendor = comments_->vendor ? comments_->vendor : "";
  size_t vendorLength = strlen(vendor);
  vendor_.reset(new char[vendorLength + 1]);
  memcpy(vendor_.get(), vendor, vendorLength + 1);
  return true;
}

// The comment header is the packet that arrives while i is 0, the setup header
// the one that arrives while i is 1. One chunk beyond the setup header is read
// and left in the sync state for the writer, as are any audio packets that
// shared the setup header's page, left in the stream state.
bool TagEditor::ReadSecondaryHeaders() {
  int i = 0;
  ogg_page page;
  ogg_packet packet;
  while (i < 2) {
    while (i < 2) {
      int result = ogg_sync_pageout(sync_.get(), &page);
      if (result == 0) break;
      if (result < 0) {  // bytes skipped to regain sync
        dataLeftOut_ = true;
        continue;
      }
      // Another stream's page here means a multiplexed file: skipping it would
      // drop that stream's headers from the output.
      if (ogg_page_serialno(&page) != serial_) return Fail(kErrorMultiplexed);
      ogg_stream_pagein(stream_.get(), &page);
      while (i < 2) {
        int got = ogg_stream_packetout(stream_.get(), &packet);
        if (got == 0) break;
        if (got < 0) return Fail(kErrorCorruptSecondary);
        // Without a valid comment header there is no vendor text, and without a
        // valid setup header no block sizes to compute granule positions from.
        if (vorbis_synthesis_headerin(info_.get(), comments_.get(), &packet) < 0) {
          return Fail(kErrorCorruptSecondary);
        }
        if (i == 0)
          originalComment_.assign(reinterpret_cast<const char*>(packet.packet), packet.bytes);
        if (i == 1) {
          setup_ = CopyPacket(packet);
          setupLength_ = static_cast<int32_t>(packet.bytes);
        }
        ++i;
      }
    }
    if (ReadChunk() == 0 && i < 2) return Fail(kErrorEofInHeaders);
  }
  return true;
}
