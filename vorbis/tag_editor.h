// TagEditor: replaces the comment header of an Ogg Vorbis stream without decoding
// or touching its audio. Open reads the three Vorbis headers of the first logical
// stream, SetTag edits the comment list, Write produces the whole stream anew.
#pragma once
#include <ogg/ogg.h>
#include <vorbis/codec.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "vorbis/stream_summary.h"

class WideString;

// Same contracts as fread and fwrite, with an opaque handle in place of FILE*.
typedef size_t (*ReadFunc)(void* buffer, size_t size, size_t count, void* handle);
typedef size_t (*WriteFunc)(const void* data, size_t size, size_t count, void* handle);

// fread and fwrite on the FILE* given as handle.
size_t ReadFromFile(void* buffer, size_t size, size_t count, void* handle);
size_t WriteToFile(const void* data, size_t size, size_t count, void* handle);

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
  // Size of every read from the input handle.
  static constexpr int kChunkSize = 4096;

  TagEditor();
  virtual ~TagEditor();
  TagEditor(const TagEditor&) = delete;
  TagEditor& operator=(const TagEditor&) = delete;

  // Reads the identification, comment and setup headers of the first logical
  // stream. The input handle is not owned and must stay valid until Write has
  // returned, because Write reads the rest of the input through it. On failure
  // LastError gives the reason and the editor holds nothing.
  bool Open(void* input, ReadFunc read, WriteFunc write);
  // Open with fread and fwrite on a stream opened in mode "rb".
  bool OpenFile(FILE* input);
  // A constant English text, or null when nothing has been reported.
  const char* LastError() const { return lastError_; }
  // Releases everything the editor owns; the last error keeps its text.
  void Clear();

  // Writes the headers (comment header rebuilt from the vendor string read at open
  // time and the current comment list), the audio packets of the first stream
  // re-paged, and every later page of the input unchanged. Returns 0, or -1 when
  // the write function fails. Valid once, after a successful Open.
  int Write(void* output);
  // Next packet of the first logical stream; false at its end. The page most
  // recently taken from the input is left in inputPage.
  bool FetchNextPacket(ogg_packet* packet, ogg_page* inputPage);
  // Samples this audio packet adds to the granule position; updates the
  // remembered block size.
  int32_t PacketDuration(ogg_packet* packet);

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
  // The comment header packet that Write writes; empty when the editor is not opened.
  std::string CommentHeader() const;
  // After Write: what the new stream must hold, summed up from the input side.
  const StreamSummary& Summary() const { return summary_; }
  // After Write: whether input bytes were left out of the output (junk between
  // pages, damaged pages, holes, an unfinished page at the end).
  bool DataLeftOut() const { return dataLeftOut_; }

 private:
  // One chunk from the input into the sync state; returns the byte count.
  long ReadChunk();
  bool Fail(const char* message);
  bool ReadSecondaryHeaders();
  bool WritePage(const ogg_page& page, void* output);
  bool WriteAll(ogg_stream_state* out, void* output);
  bool WriteTrailingPage(const ogg_page& page, void* output);
  // Whether the sync state holds bytes that never became a page.
  bool UnfinishedInput() const;

  std::unique_ptr<ogg_sync_state, OggSyncRelease> sync_;
  std::unique_ptr<ogg_stream_state, OggStreamRelease> stream_;
  std::unique_ptr<vorbis_comment, VorbisCommentRelease> comments_;
  std::unique_ptr<vorbis_info, VorbisInfoRelease> info_;
  ReadFunc read_ = nullptr;
  WriteFunc write_ = nullptr;
  void* input_ = nullptr;
  int32_t serial_ = 0;
  std::unique_ptr<unsigned char[]> identification_;
  std::unique_ptr<unsigned char[]> setup_;
  int32_t identificationLength_ = 0;
  int32_t setupLength_ = 0;
  const char* lastError_ = nullptr;
  std::unique_ptr<char[]> vendor_;
  int32_t previousBlockSize_ = 0;
  uint32_t extraPage_ = 0;
  uint32_t inputEnded_ = 0;
  std::string originalComment_;
  std::string replacementComment_;
  bool replaceComment_ = false;
  StreamSummary summary_;
  bool dataLeftOut_ = false;
};

// The texts LastError can return.
extern const char kErrorTruncated[];
extern const char kErrorNotOgg[];
extern const char kErrorFirstPage[];
extern const char kErrorInitialHeader[];
extern const char kErrorNotVorbis[];
extern const char kErrorCorruptSecondary[];
extern const char kErrorEofInHeaders[];
extern const char kErrorMultiplexed[];
extern const char kErrorWrite[];
extern const char kErrorCorruptContinuing[];
