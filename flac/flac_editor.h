// FlacEditor: replaces the VORBIS_COMMENT block of a native FLAC file without
// touching its frames. Open reads the metadata, SetTag and RemoveTag edit the
// comment list, then either Write produces the whole file anew (the rename
// flow) or PlanInPlace gives the few metadata bytes to overwrite where the new
// comment block fits by resizing a PADDING block.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/padding_policy.h"
#include "base/status.h"
#include "base/stream_callbacks.h"
#include "flac/flac_metadata.h"
#include "flac/flac_picture.h"
#include "flac/flac_verifier.h"
#include "flac/frame_digest.h"
#include "vorbis_comments/comment_list.h"

class WideString;

// The one stretch of the file an edit in place overwrites: from the first
// block it changes to the end of the last (the comment block and the PADDING
// block that absorbs the difference, and any block between them). Its length
// does not change, so the frames stay where they are.
struct FlacInPlaceEdit {
  bool fits = false;  // false: no PADDING block can take the difference
  uint64_t offset = 0;
  std::string oldBytes;  // the stretch as it is in the file
  std::string newBytes;  // what replaces it, of the same length
};

class FlacEditor {
 public:
  // Size of the pieces in which Write copies the frames.
  static constexpr size_t kCopyBlockSize = 1 << 20;

  FlacEditor() = default;
  FlacEditor(const FlacEditor&) = delete;
  FlacEditor& operator=(const FlacEditor&) = delete;

  // Reads the metadata from the start of the input, up to the first frame and
  // no further; fileSize is the input's whole size. The handle is not owned
  // and must stay valid until Write has returned, which reads the frames
  // through it. A refusal leaves the editor closed (see flac_metadata.h).
  Status Open(void* input, ReadFunc read, uint64_t fileSize);
  bool IsOpen() const { return metadata_ != nullptr; }

  // Replaces every entry of the field key by the single entry key=value (UTF-8).
  void SetTag(const char* key, const WideString& value);
  // Removes the entries whose field name equals key, ASCII case-insensitively.
  void RemoveTag(const char* key);

  // The list being edited, and its vendor text (the file's; empty for a block
  // the file did not have). Owned by the editor.
  const CommentList& EditedList() const { return comments_; }
  const std::vector<std::string>& Comments() const { return comments_.entries; }
  const std::string& Vendor() const { return comments_.vendor; }

  // The comment block's body as read; empty when the file had none.
  const std::string& OriginalCommentHeader() const;
  bool HadCommentBlock() const { return metadata_ && metadata_->commentIndex >= 0; }
  // Makes the writes put this block body as it is, a body that must parse as a
  // comment list (its list becomes the one edited); an empty body means no
  // comment block at all, as in a file that had none. Refused bodies change nothing.
  Status ReplaceCommentHeader(const std::string& body);
  // The comment block body the writes put; empty when they put none.
  std::string CommentHeader() const;
  // Whether that body fits a block's 24-bit length (kFlacCommentTooLarge when
  // not), so that tags too large are refused before anything is written.
  Status CheckCommentSize() const;

  // The PICTURE blocks that parse, in file order, for listings.
  std::vector<FlacPicture> Pictures() const;
  // The metadata as read; valid while the editor is open.
  const FlacMetadata& Metadata() const { return *metadata_; }

  // Writes the whole file anew: the ID3v2 tag as it was, "fLaC", the blocks
  // in order with the new comment block in place of the old one (or right
  // after STREAMINFO), no old PADDING block but one of padding's size as the
  // last block (none when it is zero), then the frames and any tail as they
  // are. Valid once, after a successful Open.
  Status Write(void* output, WriteFunc write, const PaddingPolicy& padding);

  // Plans the edit in place; needs nothing but the metadata read by Open. When
  // several PADDING blocks could take the difference, the shortest stretch wins.
  Status PlanInPlace(FlacInPlaceEdit& edit) const;

  // What a check of the written file must find; the frame digest is there
  // once Write has copied the frames.
  FlacExpectation Expectation() const;

 private:
  Status WriteMetadata(void* output, WriteFunc write, const std::string& comment,
                       uint64_t paddingSize);
  Status CopyFrames(void* output, WriteFunc write);

  std::shared_ptr<const FlacMetadata> metadata_;
  CommentList comments_;
  bool hasComments_ = true;  // whether the writes put a comment block
  std::string replacement_;  // a body to write as it is, when not empty
  void* input_ = nullptr;
  ReadFunc read_ = nullptr;
  FrameDigest frames_;
};

// The detail of Write or PlanInPlace called on an editor that is not open.
extern const char kFlacNotOpen[];
