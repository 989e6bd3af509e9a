// One file's comment header as the retag edits it, whatever holds it: an Ogg
// stream (Vorbis or Opus, through TagEditor) or a native FLAC file (through
// FlacEditor). The engine opens, edits, writes and checks a file through this
// one face, and chooses the editor from the file's first bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/padding_policy.h"
#include "base/status.h"
#include "base/stream_callbacks.h"
#include "flac/flac_picture.h"
#include "vorbis/vorbis_headers.h"
#include "vorbis_comments/comment_list.h"

class WideString;

enum class CommentCodec : uint8_t { kVorbis, kOpus, kFlac };

// The check of a file edited in place, read back from its start (size bytes)
// once the new bytes were written and flushed: whether it holds what the edit
// planned, and nothing else changed.
using InPlaceCheck = std::function<Status(void* file, ReadFunc read, int64_t size)>;

// The bytes an edit in place overwrites: where they start in the file, what
// they are now (what a failed edit puts back) and what replaces them, as long;
// and the check of the file afterwards, which needs the editor no longer.
struct InPlaceBytes {
  bool fits = false;  // false: the file must be rewritten; nothing else is set
  uint64_t offset = 0;
  std::string oldBytes;
  std::string newBytes;
  InPlaceCheck check;
  // What the check keeps besides bytes as many as the old ones (a copy of the
  // setup header it compares).
  size_t checkHolds = 0;
};

class CommentEditor {
 public:
  virtual ~CommentEditor() = default;

  // Reads the headers (Ogg) or the metadata (FLAC) from the start of input,
  // whose whole size is size. The handle is not owned and must stay valid
  // until Write has returned, which reads the rest of the file through it.
  // write is what Write will write with. setup says how far a Vorbis setup
  // header is checked (Opus and FLAC have nothing more to check).
  virtual Status Open(void* input, ReadFunc read, int64_t size, WriteFunc write,
                      SetupCheck setup) = 0;
  // After an Open with SetupCheck::kDeferred: the setup header checked as Open
  // would have, with the same failure; ok when there is nothing left to check.
  virtual Status CheckSetupHeader() = 0;
  virtual CommentCodec Codec() const = 0;

  // Replaces every entry of the field key by the single entry key=value.
  virtual void SetTag(const char* key, const WideString& value) = 0;
  // The comment header as read: the whole packet for Ogg, the comment block's
  // body for FLAC (empty when the file had none).
  virtual const std::string& OriginalCommentHeader() const = 0;
  // Whether header reads as this file's comment header, as a decoder reads it:
  // the test a header must pass before it replaces the file's own.
  virtual bool AcceptsCommentHeader(const std::string& header) const = 0;
  // Makes the writes put this header as it is (one that AcceptsCommentHeader took).
  virtual void ReplaceCommentHeader(const std::string& header) = 0;
  // The list of a header of this codec; false when it does not parse.
  virtual bool ListOfHeader(const std::string& header, CommentList& list) const = 0;
  // The vendor and entries the writes put.
  virtual CommentList WrittenList() const = 0;
  // After the edits: whether the writes can put that comment header (a FLAC
  // comment block has a 24-bit length), so that it is refused before the file
  // is touched. The detail is the format's, as Write would give it.
  virtual Status CheckWritable() const = 0;
  // The pictures a listing shows: FLAC's PICTURE blocks in file order; none
  // for Ogg, whose pictures are comments.
  virtual std::vector<FlacPicture> Pictures() const = 0;

  // The room a rewrite leaves after the new comment header for the next edit.
  virtual void SetPadding(const PaddingPolicy& padding) = 0;
  // Writes the whole file anew to output; valid once, after Open.
  virtual Status Write(void* output) = 0;
  // After Write: whether input data that could not be read was left out.
  virtual bool DataLeftOut() const = 0;
  // After Write: checks the new file, read from its start (size bytes),
  // independently of the writer.
  virtual Status VerifyRewrite(void* output, ReadFunc read, int64_t size) const = 0;

  // The edit in place that gives the file the comment header the writes would
  // put, when it fits in the old one's room; after Open and the edits, before Write.
  virtual InPlaceBytes PlanInPlace() = 0;
};

// The editor for a file that starts with these bytes (at least the first four,
// fewer only when the file is shorter): FLAC's for "fLaC" or an ID3v2 tag,
// Ogg's for "OggS". Bytes of neither go to the editor the file's name asks
// for, whose refusal then speaks of the format the user expected: FLAC's when
// flacName (a .flac file), else Ogg's.
std::unique_ptr<CommentEditor> MakeCommentEditor(const unsigned char* start, size_t size,
                                                 bool flacName);
std::unique_ptr<CommentEditor> MakeOggCommentEditor();
std::unique_ptr<CommentEditor> MakeFlacCommentEditor();
// The editor for the file open for reading in file, chosen by its first bytes
// (and name, as above), which are read and the file wound back to its start
// for the editor's Open.
std::unique_ptr<CommentEditor> MakeCommentEditorFor(FILE* file, bool flacName);

// The list of a comment header of codec (what OriginalCommentHeader gives);
// false when it does not read as one: a Vorbis or Opus packet of the other
// codec, a list that runs past its end, a FLAC body past 16 MiB - 1. An
// empty FLAC header is a file without comment block: an empty list.
bool ListOfCommentHeader(CommentCodec codec, const std::string& header, CommentList& list);
