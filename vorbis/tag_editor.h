// TagEditor: replaces the comment header of an Ogg Vorbis or Ogg Opus stream
// without decoding or touching its audio. Open reads the headers of the first
// logical stream, SetTag edits the comment list, Write produces the stream anew:
// new header pages, then the audio pages and every later page as they are.
#pragma once
#include <ogg/ogg.h>
#include <vorbis/codec.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/status.h"
#include "ogg/io_functions.h"
#include "ogg/packet_pages.h"
#include "ogg/stream_summary.h"
#include "vorbis/in_place_edit.h"
#include "vorbis/vorbis_headers.h"

class WideString;
class OggPageReader;
struct OggPageView;

// Each clears the library state it is given, then frees its memory.
struct OggSyncRelease {
  void operator()(ogg_sync_state* state) const;
};
struct OggStreamRelease {
  void operator()(ogg_stream_state* state) const;
};
struct VorbisCommentRelease {
  void operator()(vorbis_comment* comments) const;
};
struct VorbisInfoRelease {
  void operator()(vorbis_info* info) const;
};

class TagEditor {
 public:
  // Size of every read from the input handle while the headers are read (the
  // page reader reads the rest in large blocks).
  static constexpr int kChunkSize = 4096;

  TagEditor();
  virtual ~TagEditor();
  TagEditor(const TagEditor&) = delete;
  TagEditor& operator=(const TagEditor&) = delete;

  // Reads the headers of the first logical stream: identification, comment and
  // setup for Vorbis, OpusHead and OpusTags for Opus. Speex, FLAC and Theora
  // are refused by name. The input handle is not owned and must stay valid until Write has
  // returned, because Write reads the rest of the input through it. A failure
  // is kCorrupt (damaged or cut headers) or kUnsupported (not Ogg, another
  // codec, a multiplexed file), its detail one of the texts below, which
  // LastError then gives too; the editor then holds nothing.
  Status Open(void* input, ReadFunc read, WriteFunc write, SetupCheck setup = SetupCheck::kFull);
  // After an Open with SetupCheck::kDeferred: the setup header unpacked as Open
  // would have; its failure is the one Open would have had, and the editor
  // then holds nothing. Ok at once for Opus or a setup header checked already.
  Status CheckSetupHeader();
  // Whether the stream opened is Ogg Opus (else Ogg Vorbis).
  bool IsOpus() const { return opus_; }
  // Open with fread and fwrite on a stream opened in mode "rb".
  Status OpenFile(FILE* input);
  // The detail of the last failure (or of the warning of a successful Write), a
  // constant English text; null when nothing has been reported.
  const char* LastError() const { return lastError_; }
  // Releases everything the editor owns; the last error keeps its text.
  void Clear();

  // Writes the header pages (the comment header rebuilt from the vendor text read
  // at open time and the current comment list), the first stream's audio pages
  // as they are but for their sequence numbers, and every later page of the
  // input unchanged. Fails with kIoError when the write function fails (kInvalid
  // when the editor is not opened), kErrorWrite as the detail. Valid once, after
  // a successful Open.
  Status Write(void* output);

  // Replaces every entry of the field key by the single entry key=value (UTF-8).
  void SetTag(const char* key, const WideString& value);
  // Removes the entries whose field name equals key, ASCII case-insensitively.
  void RemoveTag(const char* key);

  // The comment list being edited and the vendor text that Write will use; both
  // owned by the editor, null when it is not opened.
  const vorbis_comment* Comments() const { return comments_.get(); }
  const char* Vendor() const { return vendor_.get(); }

  // The comment header packet as it was read.
  const std::string& OriginalCommentHeader() const { return originalComment_; }
  // Makes Write write this comment header packet as it is, whatever the list holds.
  void ReplaceCommentHeader(const std::string& packet);
  // Makes Write leave this many zero bytes of padding after the new comment
  // header's own bytes (replacing any it had), so that a later edit fits in
  // place; a comment header with Opus binary data takes none. Default 0: the
  // comment header as it is. Set after Open.
  void SetPadding(size_t bytes) { padding_ = bytes; }
  // Whether packet reads as the comment header of the stream opened, as a
  // decoder reads it (libvorbis after this stream's identification header, or
  // OpusTags): the test a packet must pass before it replaces the header.
  bool AcceptsCommentHeader(const std::string& packet) const;
  // The comment header packet that Write writes; empty when the editor is not opened.
  std::string CommentHeader() const;

  // The edit in place that gives the file the comment header Write would write
  // (the list, or the replacement), its padding resized to the old comment
  // header's length; fits is false when that cannot be done: the new header is
  // longer than the old one (or Opus binary data would have to move), or the
  // header pages are not plain pages back to back from the file's first byte.
  // Valid after a successful Open and before Write; may read ahead in the input
  // (the bytes that follow the header pages), which Write still writes.
  InPlaceEdit PlanInPlace();
  // After Write: what the new stream must hold, summed up from the input side.
  const StreamSummary& Summary() const { return summary_; }
  // After Write: whether the input held data that could not be read: junk between
  // pages, pages with a wrong checksum (copied as they are), holes in the page
  // sequence, an unfinished page or packet at the end.
  bool DataLeftOut() const { return dataLeftOut_; }

 private:
  // One chunk from the input into the sync state; returns the byte count.
  long ReadChunk();
  // Records the failure, releases everything and returns it.
  Status Fail(StatusCode code, const char* detail);
  Status ReadFirstHeader(ogg_packet& packet);
  Status ReadSecondaryHeaders();
  // The OpusTags packet into the comment list and the binary data kept.
  bool ReadOpusTags(const ogg_packet& packet);
  // Hands the input bytes not yet paged to the page reader that Write uses.
  void StartPageReader();
  // Keeps a copy of a page of the headers with its offset in the input.
  void KeepHeaderPage(const ogg_page& page);
  // The edit in place's phases: where the comment header lies, what follows it.
  bool PlaceComment(InPlaceEdit& edit, PacketPlace& place) const;
  bool FindFollower(InPlaceEdit& edit, size_t lastPage);

  // The phases of Write.
  bool WriteStream(void* output);
  bool WriteHeaderPages(ogg_stream_state* out, bool audioFollows, void* output);
  bool RebuildSharedStart(ogg_stream_state* out, OggPageView& page, bool& more, void* output);
  bool CopyAudioPages(uint32_t sequenceShift, OggPageView& page, bool& more, void* output);
  bool WriteCopiedPage(const OggPageView& page, uint32_t sequenceShift, int flags, void* output);
  bool WriteEndPage(void* output);
  bool CopyTrailingPages(OggPageView& page, bool more, void* output);
  // The next page from the page reader, kept page given as keep; notes damage.
  bool NextInputPage(OggPageView& page, OggPageView* keep = nullptr);
  bool WriteBytes(const unsigned char* data, size_t size, void* output);
  bool FlushPages(ogg_stream_state* out, void* output);
  bool InFirstStream(const OggPageView& page) const;

  std::unique_ptr<ogg_sync_state, OggSyncRelease> sync_;
  std::unique_ptr<ogg_stream_state, OggStreamRelease> stream_;
  std::unique_ptr<vorbis_comment, VorbisCommentRelease> comments_;
  std::unique_ptr<vorbis_info, VorbisInfoRelease> info_;
  std::unique_ptr<OggPageReader> reader_;
  ReadFunc read_ = nullptr;
  WriteFunc write_ = nullptr;
  void* input_ = nullptr;
  int32_t serial_ = 0;
  bool opus_ = false;
  bool opened_ = false;
  std::string identification_;
  std::string setup_;          // empty for Opus
  bool setupChecked_ = false;  // unpacked by libvorbis (or Opus: none)
  SetupCheck setupCheck_ = SetupCheck::kFull;
  std::string opusBinary_;           // kept binary data after the OpusTags list
  uint32_t lastHeaderSequence_ = 0;  // of the page the last header ended on
  bool headerPageEnded_ = false;     // that page carried the end-of-stream flag
  uint32_t nextSequence_ = 0;        // of the next page of the first stream written
  bool endWritten_ = false;          // a page with the end-of-stream flag went out
  const char* lastError_ = nullptr;
  std::unique_ptr<char[]> vendor_;
  std::string originalComment_;
  std::string replacementComment_;
  bool replaceComment_ = false;
  size_t padding_ = 0;
  // Every page read by Open, in order, with its offset in the input.
  std::vector<PlacedPage> headerPages_;
  uint64_t bytesRead_ = 0;  // input bytes read by Open
  StreamSummary summary_;
  bool dataLeftOut_ = false;
};

// The texts LastError can return.
extern const char kErrorTruncated[];
extern const char kErrorNotOgg[];
extern const char kErrorFirstPage[];
extern const char kErrorInitialHeader[];
extern const char kErrorNotVorbis[];
extern const char kErrorSpeex[];
extern const char kErrorFlac[];
extern const char kErrorTheora[];
extern const char kErrorCorruptSecondary[];
extern const char kErrorEofInHeaders[];
extern const char kErrorMultiplexed[];
extern const char kErrorWrite[];
extern const char kErrorCorruptContinuing[];
