// Opening side of TagEditor: reads the first Ogg page and the header packets
// (three for Vorbis through libvorbis, OpusHead and OpusTags for Opus) through
// libogg, keeps what the writer needs, and hands the rest of the input over to
// the page reader the writer copies pages with.
#include <cstring>

#include "base/byte_codec.h"
#include "ogg/ogg_page_reader.h"
#include "opus/opus_headers.h"
#include "vorbis/comment_packet.h"
#include "vorbis/tag_editor.h"
#include "vorbis/vorbis_headers.h"

const char kErrorTruncated[] = "Input truncated or empty.";
const char kErrorNotOgg[] = "Input is not an Ogg bitstream.";
const char kErrorFirstPage[] = "Error reading first page of Ogg bitstream.";
const char kErrorInitialHeader[] = "Error reading initial header packet.";
const char kErrorNotVorbis[] = "Ogg bitstream does not contain vorbis data.";
const char kErrorCorruptSecondary[] = "Corrupt secondary header.";
const char kErrorEofInHeaders[] = "EOF before end of vorbis headers.";
const char kErrorMultiplexed[] = "Multiplexed Ogg streams are not supported.";
const char kErrorSpeex[] = "Ogg bitstream contains Speex, not Vorbis or Opus.";
const char kErrorFlac[] = "Ogg bitstream contains FLAC, not Vorbis or Opus.";
const char kErrorTheora[] = "Ogg bitstream contains Theora, not Vorbis or Opus.";

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

namespace {

size_t SizeOf(const ogg_packet& packet) {
  return static_cast<size_t>(packet.bytes > 0 ? packet.bytes : 0);
}

std::string Bytes(const ogg_packet& packet) {
  return std::string(reinterpret_cast<const char*>(packet.packet), SizeOf(packet));
}

bool HasMagic(const ogg_packet& packet, const char* magic, size_t size) {
  return ByteReader(packet.packet, SizeOf(packet)).Expect(magic, size);
}

// The refusal for a first stream of another codec that the editor knows by name.
const char* OtherCodecError(const ogg_packet& packet) {
  if (HasMagic(packet, "Speex   ", 8)) return kErrorSpeex;
  if (HasMagic(packet,
               "\x7F"
               "FLAC",
               5))
    return kErrorFlac;
  if (HasMagic(packet, "\x80theora", 7)) return kErrorTheora;
  return nullptr;
}

}  // namespace

TagEditor::TagEditor() = default;

TagEditor::~TagEditor() { Clear(); }

void TagEditor::Clear() {
  comments_.reset();
  stream_.reset();
  sync_.reset();
  reader_.reset();
  vendor_.reset();
  identification_.clear();
  setup_.clear();
  setupChecked_ = false;
  opusBinary_.clear();
  info_.reset();
  read_ = nullptr;
  write_ = nullptr;
  input_ = nullptr;
  serial_ = 0;
  opus_ = false;
  opened_ = false;
  lastHeaderSequence_ = 0;
  headerPageEnded_ = false;
  originalComment_.clear();
  replacementComment_.clear();
  replaceComment_ = false;
  padding_ = 0;
  headerPages_.clear();
  bytesRead_ = 0;
  dataLeftOut_ = false;
}

Status TagEditor::Fail(StatusCode code, const char* detail) {
  lastError_ = detail;
  Clear();
  return Status(code, detail);
}

long TagEditor::ReadChunk() {
  char* buffer = ogg_sync_buffer(sync_.get(), kChunkSize);
  size_t count = buffer ? read_(buffer, 1, kChunkSize, input_) : 0;
  if (count > static_cast<size_t>(kChunkSize)) count = kChunkSize;
  ogg_sync_wrote(sync_.get(), static_cast<long>(count));
  bytesRead_ += count;
  return static_cast<long>(count);
}

// The sync state has just handed out page: the bytes it has not handed out yet
// follow it, and the bytes read so far end with them.
void TagEditor::KeepHeaderPage(const ogg_page& page) {
  const size_t size = static_cast<size_t>(page.header_len + page.body_len);
  const uint64_t pending = static_cast<uint64_t>(sync_->fill - sync_->returned);
  PlacedPage kept;
  kept.offset = bytesRead_ - pending - size;
  kept.bytes.reserve(size);
  kept.bytes.append(reinterpret_cast<const char*>(page.header),
                    static_cast<size_t>(page.header_len));
  kept.bytes.append(reinterpret_cast<const char*>(page.body), static_cast<size_t>(page.body_len));
  headerPages_.push_back(std::move(kept));
}

Status TagEditor::OpenFile(FILE* input) { return Open(input, ReadFromFile, WriteToFile); }

Status TagEditor::Open(void* input, ReadFunc read, WriteFunc write, SetupCheck setup) {
  Clear();
  lastError_ = nullptr;
  setupCheck_ = setup;
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
    if (firstChunk < kChunkSize) return Fail(StatusCode::kCorrupt, kErrorTruncated);
    return Fail(StatusCode::kUnsupported, kErrorNotOgg);
  }

  serial_ = ogg_page_serialno(&page);
  KeepHeaderPage(page);
  stream_.reset(new ogg_stream_state);
  ogg_stream_init(stream_.get(), serial_);
  info_.reset(new vorbis_info);
  vorbis_info_init(info_.get());
  comments_.reset(new vorbis_comment);
  vorbis_comment_init(comments_.get());

  if (ogg_stream_pagein(stream_.get(), &page) < 0)
    return Fail(StatusCode::kCorrupt, kErrorFirstPage);
  lastHeaderSequence_ = static_cast<uint32_t>(ogg_page_pageno(&page));
  headerPageEnded_ = ogg_page_eos(&page) != 0;
  ogg_packet packet;
  if (ogg_stream_packetout(stream_.get(), &packet) != 1) {
    return Fail(StatusCode::kCorrupt, kErrorInitialHeader);
  }
  Status status = ReadFirstHeader(packet);
  if (status.ok()) status = ReadSecondaryHeaders();
  if (!status.ok()) return status;

  const char* vendor = comments_->vendor ? comments_->vendor : "";
  size_t vendorLength = strlen(vendor);
  vendor_.reset(new char[vendorLength + 1]);
  memcpy(vendor_.get(), vendor, vendorLength + 1);
  info_.reset();
  StartPageReader();
  setupChecked_ = opus_ || setupCheck_ == SetupCheck::kFull;
  opened_ = true;
  return Status::Ok();
}

Status TagEditor::ReadFirstHeader(ogg_packet& packet) {
  if (IsOpusHead(packet.packet, SizeOf(packet))) {
    switch (CheckOpusHead(packet.packet, SizeOf(packet))) {
      case OpusHeadCheck::kReadable:
        break;
      case OpusHeadCheck::kTooShort:
        return Fail(StatusCode::kCorrupt, kErrorInitialHeader);
      case OpusHeadCheck::kUnknownVersion:
        return Fail(StatusCode::kUnsupported, kErrorInitialHeader);
    }
    opus_ = true;
  } else if (const char* other = OtherCodecError(packet)) {
    return Fail(StatusCode::kUnsupported, other);
  } else if (const int result = vorbis_synthesis_headerin(info_.get(), comments_.get(), &packet);
             result < 0) {
    // A first packet that is Vorbis's but damaged is told from another codec's.
    return Fail(result == OV_ENOTVORBIS ? StatusCode::kUnsupported : StatusCode::kCorrupt,
                kErrorNotVorbis);
  }
  identification_ = Bytes(packet);
  return Status::Ok();
}

bool TagEditor::ReadOpusTags(const ogg_packet& packet) {
  OpusTags tags;
  if (!ParseOpusTags(packet.packet, SizeOf(packet), tags) ||
      !FillVorbisComment(tags.list, comments_.get())) {
    return false;
  }
  opusBinary_ = std::move(tags.binaryData);
  return true;
}

void TagEditor::StartPageReader() {
  reader_.reset(new OggPageReader(input_, read_));
  reader_->Prepend(sync_->data + sync_->returned,
                   static_cast<size_t>(sync_->fill - sync_->returned));
  sync_.reset();
}

// The comment header is the first packet after the identification header, the
// setup header (Vorbis only) the second. Reading stops with the page the last
// header ends on: the sync state then holds exactly the input after it, and
// audio packets that shared that page stay in the stream state.
Status TagEditor::ReadSecondaryHeaders() {
  const int count = opus_ ? 1 : 2;
  int i = 0;
  ogg_page page;
  ogg_packet packet;
  while (i < count) {
    const int result = ogg_sync_pageout(sync_.get(), &page);
    if (result == 0) {
      if (ReadChunk() == 0) return Fail(StatusCode::kCorrupt, kErrorEofInHeaders);
      continue;
    }
    if (result < 0) {  // bytes skipped to regain sync
      dataLeftOut_ = true;
      continue;
    }
    // Another stream's page here means a multiplexed file: skipping it would
    // drop that stream's headers from the output.
    if (ogg_page_serialno(&page) != serial_)
      return Fail(StatusCode::kUnsupported, kErrorMultiplexed);
    KeepHeaderPage(page);
    ogg_stream_pagein(stream_.get(), &page);
    lastHeaderSequence_ = static_cast<uint32_t>(ogg_page_pageno(&page));
    headerPageEnded_ = ogg_page_eos(&page) != 0;
    while (i < count) {
      const int got = ogg_stream_packetout(stream_.get(), &packet);
      if (got == 0) break;
      if (got < 0) return Fail(StatusCode::kCorrupt, kErrorCorruptSecondary);
      // Without a valid comment header there is no vendor text.
      if (opus_) {
        if (!ReadOpusTags(packet)) return Fail(StatusCode::kCorrupt, kErrorCorruptSecondary);
      } else if (i == 1 && setupCheck_ == SetupCheck::kDeferred) {
        if (!HasMagic(packet, "\x05vorbis", 7)) {
          return Fail(StatusCode::kCorrupt, kErrorCorruptSecondary);
        }
      } else if (vorbis_synthesis_headerin(info_.get(), comments_.get(), &packet) < 0) {
        return Fail(StatusCode::kCorrupt, kErrorCorruptSecondary);
      }
      if (i == 0) originalComment_ = Bytes(packet);
      if (i == 1) setup_ = Bytes(packet);
      ++i;
    }
  }
  return Status::Ok();
}

Status TagEditor::CheckSetupHeader() {
  if (!opened_) return Status(StatusCode::kInvalid, kErrorCorruptSecondary);
  if (setupChecked_) return Status::Ok();
  if (!DecoderReadsVorbisHeaders({&identification_, &originalComment_, &setup_})) {
    return Fail(StatusCode::kCorrupt, kErrorCorruptSecondary);
  }
  setupChecked_ = true;
  return Status::Ok();
}

bool TagEditor::AcceptsCommentHeader(const std::string& packet) const {
  if (!opened_) return false;
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(packet.data());
  if (opus_) {
    OpusTags tags;
    return ParseOpusTags(bytes, packet.size(), tags);
  }
  return DecoderReadsVorbisHeaders({&identification_, &packet});
}
