// Checks a written FLAC file against what it must hold, parsing it anew,
// independently of the writer: the metadata parses, the ID3v2 tag and every
// kept block (all but PADDING and VORBIS_COMMENT) are byte-identical to the
// input's and in order, the comment list is the one asked for, and the frames
// and any tail are the input's (by digest) or, after an edit in place, still
// start where they started.
#pragma once
#include <memory>

#include "base/status.h"
#include "base/stream_callbacks.h"
#include "flac/flac_metadata.h"
#include "flac/frame_digest.h"
#include "vorbis_comments/comment_list.h"

struct FlacExpectation {
  std::shared_ptr<const FlacMetadata> input;  // the file as it was read
  bool hasComments = true;                    // whether a VORBIS_COMMENT block must be there
  CommentList comments;                       // the list it must hold
  FrameDigest frames;  // after a full rewrite: the input's bytes after its metadata
};

// The new file of a full rewrite, read from its start; size is its size.
Status VerifyFlacRewrite(void* output, ReadFunc read, uint64_t size,
                         const FlacExpectation& expected);
// A file edited in place, read from its start: only its metadata is read, and
// the first frame must start at the same offset in a file of the same size.
Status VerifyFlacInPlace(void* file, ReadFunc read, uint64_t size, const FlacExpectation& expected);

// The details of a failed check (code kCorrupt, or the read's own status).
extern const char kFlacCheckUnreadable[];
extern const char kFlacCheckBlocks[];
extern const char kFlacCheckTags[];
extern const char kFlacCheckFrames[];
extern const char kFlacCheckFramesMoved[];
