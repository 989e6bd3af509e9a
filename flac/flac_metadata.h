// The metadata of a native FLAC file as it stands on disk: an optional leading
// ID3v2 tag, the "fLaC" marker, then metadata blocks (STREAMINFO first), each
// with a last-block flag, a 7-bit type and a 24-bit big-endian length. What
// follows (the frames, maybe an ID3v1 tail) is only located, never read here.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/status.h"
#include "base/stream_callbacks.h"
#include "vorbis_comments/comment_list.h"

enum FlacBlockType : uint8_t {
  kFlacStreamInfo = 0,
  kFlacPadding = 1,
  kFlacApplication = 2,
  kFlacSeekTable = 3,
  kFlacVorbisComment = 4,
  kFlacCueSheet = 5,
  kFlacPicture = 6,
};

// Sizes fixed by the format.
constexpr uint32_t kFlacBlockHeaderSize = 4;
constexpr uint32_t kFlacStreamInfoSize = 34;
constexpr uint32_t kFlacMaxBlockSize = 0xFFFFFF;  // the 24-bit length field

struct FlacBlock {
  uint8_t type = 0;
  bool last = false;    // the last-block flag as read
  uint64_t offset = 0;  // of the block's header in the file
  std::string body;

  uint64_t End() const { return offset + kFlacBlockHeaderSize + body.size(); }
};

struct FlacMetadata {
  std::string id3v2;  // the leading ID3v2 tag byte for byte, footer included; empty when none
  std::vector<FlacBlock> blocks;  // in file order, STREAMINFO first
  int commentIndex = -1;          // of the VORBIS_COMMENT block, -1 when there is none
  CommentList comments;           // its list as read (empty when there is none)
  uint64_t framesOffset = 0;      // the first byte after the metadata
  uint64_t fileSize = 0;
};

// Reads the metadata from the handle's current position (the start of the
// file) up to the first frame and no further, so that the frames can be read
// next through the same handle. fileSize is the whole file's size; no block
// may claim bytes past it. A refusal is one of the details below.
Status ReadFlacMetadata(void* input, ReadFunc read, uint64_t fileSize, FlacMetadata& metadata);

// Appends a block's header (last-block flag, type, length), or the whole block.
void AppendFlacBlockHeader(std::string& out, uint8_t type, bool last, uint32_t length);
void AppendFlacBlock(std::string& out, uint8_t type, bool last, const std::string& body);

// The details of the refusals of ReadFlacMetadata and of an edit, each
// constant, so that the engine can map them to the user's messages in one place.
extern const char kFlacNoMarker[];       // kCorrupt: no "fLaC" where it must stand
extern const char kFlacBadStreamInfo[];  // kCorrupt: STREAMINFO missing, not first or not 34 bytes
extern const char kFlacBlockPastEnd[];   // kCorrupt: a block or the ID3v2 tag runs past the end
extern const char kFlacSeveralComments[];  // kUnsupported: more than one VORBIS_COMMENT block
extern const char kFlacBadCommentList[];   // kCorrupt: the comment list does not parse
extern const char kFlacCommentTooLarge[];  // kTooLarge: the new comment block passes 16 MiB - 1
extern const char kFlacReadFailed[];       // kIoError: a read came back short before the end
extern const char kFlacWriteFailed[];      // kIoError: the write function failed
