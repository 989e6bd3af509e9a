// FlacEditor's reading and editing (see flac_editor.h); Write is in
// flac_writer.cpp, PlanInPlace in flac_in_place.cpp.
#include "flac/flac_editor.h"

#include "text/encodings.h"
#include "text/shared_string.h"
#include "text/wide_string.h"

const char kFlacNotOpen[] = "The FLAC editor is not open.";

Status FlacEditor::Open(void* input, ReadFunc read, uint64_t fileSize) {
  metadata_.reset();
  auto metadata = std::make_shared<FlacMetadata>();
  Status status = ReadFlacMetadata(input, read, fileSize, *metadata);
  if (!status.ok()) return status;
  comments_ = metadata->comments;
  hasComments_ = true;
  replacement_.clear();
  frames_ = FrameDigest();
  input_ = input;
  read_ = read;
  metadata_ = std::move(metadata);
  return status;
}

void FlacEditor::SetTag(const char* key, const WideString& value) {
  if (!IsOpen() || key == nullptr) return;
  String utf8;
  WideToUtf8(value, utf8);
  SetField(comments_, key, std::string(utf8.CStr(), static_cast<size_t>(utf8.Length())));
  hasComments_ = true;
  replacement_.clear();
}

void FlacEditor::RemoveTag(const char* key) {
  if (!IsOpen() || key == nullptr) return;
  RemoveField(comments_, key);
  replacement_.clear();
}

const std::string& FlacEditor::OriginalCommentHeader() const {
  static const std::string kNone;
  return HadCommentBlock() ? metadata_->blocks[static_cast<size_t>(metadata_->commentIndex)].body
                           : kNone;
}

Status FlacEditor::ReplaceCommentHeader(const std::string& body) {
  if (body.empty()) {
    hasComments_ = false;
    comments_ = CommentList();
    replacement_.clear();
    return Status();
  }
  CommentList list;
  if (body.size() > kFlacMaxBlockSize) return Status(StatusCode::kTooLarge, kFlacCommentTooLarge);
  if (!ParseCommentList(body, list)) return Status(StatusCode::kCorrupt, kFlacBadCommentList);
  comments_ = std::move(list);
  hasComments_ = true;
  replacement_ = body;
  return Status();
}

std::string FlacEditor::CommentHeader() const {
  if (!IsOpen() || !hasComments_) return std::string();
  return replacement_.empty() ? CommentListBytes(comments_) : replacement_;
}

Status FlacEditor::CheckCommentSize() const {
  const uint64_t size = replacement_.empty() ? CommentListSize(comments_) : replacement_.size();
  return size <= kFlacMaxBlockSize ? Status() : Status(StatusCode::kTooLarge, kFlacCommentTooLarge);
}

std::vector<FlacPicture> FlacEditor::Pictures() const {
  std::vector<FlacPicture> pictures;
  if (!IsOpen()) return pictures;
  for (const FlacBlock& block : metadata_->blocks) {
    FlacPicture picture;
    if (block.type == kFlacPicture && ParseFlacPicture(block.body, picture)) {
      pictures.push_back(std::move(picture));
    }
  }
  return pictures;
}

FlacExpectation FlacEditor::Expectation() const {
  FlacExpectation expected;
  expected.input = metadata_;
  expected.hasComments = hasComments_;
  expected.comments = comments_;
  expected.frames = frames_;
  return expected;
}
