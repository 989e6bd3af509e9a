// FlacEditor::Write, the full rewrite (see flac_editor.h): the new metadata,
// then the frames and any tail copied in large pieces, digested on the way.
#include <algorithm>
#include <memory>

#include "flac/block_layout.h"
#include "flac/flac_editor.h"

namespace {

bool WriteAll(void* output, WriteFunc write, const void* data, size_t size) {
  return size == 0 || write(data, 1, size, output) == size;
}

}  // namespace

Status FlacEditor::Write(void* output, WriteFunc write, const PaddingPolicy& padding) {
  if (!IsOpen()) return Status(StatusCode::kInvalid, kFlacNotOpen);
  Status status = CheckCommentSize();
  if (!status.ok()) return status;
  const uint64_t paddingSize =
      std::min<uint64_t>(padding.BytesFor(metadata_->fileSize), kFlacMaxBlockSize);
  status = WriteMetadata(output, write, CommentHeader(), paddingSize);
  return status.ok() ? CopyFrames(output, write) : status;
}

Status FlacEditor::WriteMetadata(void* output, WriteFunc write, const std::string& comment,
                                 uint64_t paddingSize) {
  const FlacMetadata& input = *metadata_;
  const std::string paddingBody(static_cast<size_t>(paddingSize), '\0');
  std::vector<LaidBlock> laid = LayBlocks(input, 0, input.blocks.size() - 1,
                                          hasComments_ ? &comment : nullptr, SIZE_MAX, nullptr);
  if (paddingSize > 0) laid.push_back({kFlacPadding, &paddingBody});
  std::string head = input.id3v2 + "fLaC";
  bool ok = WriteAll(output, write, head.data(), head.size());
  for (size_t i = 0; ok && i < laid.size(); ++i) {
    const std::string& body = *laid[i].body;
    head.clear();
    AppendFlacBlockHeader(head, laid[i].type, i + 1 == laid.size(),
                          static_cast<uint32_t>(body.size()));
    ok = WriteAll(output, write, head.data(), head.size()) &&
         WriteAll(output, write, body.data(), body.size());
  }
  return ok ? Status() : Status(StatusCode::kIoError, kFlacWriteFailed);
}

Status FlacEditor::CopyFrames(void* output, WriteFunc write) {
  std::unique_ptr<unsigned char[]> buffer(new unsigned char[kCopyBlockSize]);
  frames_ = FrameDigest();
  size_t got;
  while ((got = read_(buffer.get(), 1, kCopyBlockSize, input_)) > 0) {
    frames_.Add(buffer.get(), got);
    if (!WriteAll(output, write, buffer.get(), got)) {
      return Status(StatusCode::kIoError, kFlacWriteFailed);
    }
  }
  // A read that stopped short of the size given at open is a failing input.
  const FlacMetadata& input = *metadata_;
  return frames_.Bytes() == input.fileSize - input.framesOffset
             ? Status()
             : Status(StatusCode::kIoError, kFlacReadFailed);
}
