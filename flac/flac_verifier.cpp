// The check of a written FLAC file (see flac_verifier.h).
#include "flac/flac_verifier.h"

#include <memory>

const char kFlacCheckUnreadable[] = "The new FLAC metadata does not parse.";
const char kFlacCheckBlocks[] = "A kept FLAC metadata block differs from the input's.";
const char kFlacCheckTags[] = "The new FLAC tags differ from those asked for.";
const char kFlacCheckFrames[] = "The FLAC frames differ from the input's.";
const char kFlacCheckFramesMoved[] = "The first FLAC frame moved.";

namespace {

constexpr size_t kReadBlockSize = 1 << 20;

bool IsKept(const FlacBlock& block) {
  return block.type != kFlacPadding && block.type != kFlacVorbisComment;
}

bool SameKeptBlocks(const FlacMetadata& a, const FlacMetadata& b) {
  if (a.id3v2 != b.id3v2) return false;
  auto x = a.blocks.begin();
  auto y = b.blocks.begin();
  for (;;) {
    while (x != a.blocks.end() && !IsKept(*x)) ++x;
    while (y != b.blocks.end() && !IsKept(*y)) ++y;
    if (x == a.blocks.end() || y == b.blocks.end()) break;
    if (x->type != y->type || x->body != y->body) return false;
    ++x;
    ++y;
  }
  return x == a.blocks.end() && y == b.blocks.end();
}

// Reads and checks the metadata; output gets what was read.
Status CheckMetadata(void* file, ReadFunc read, uint64_t size, const FlacExpectation& expected,
                     FlacMetadata& output) {
  Status status = ReadFlacMetadata(file, read, size, output);
  if (status.code() == StatusCode::kIoError) return status;
  if (!status.ok()) return Status(StatusCode::kCorrupt, kFlacCheckUnreadable);
  if (!SameKeptBlocks(*expected.input, output))
    return Status(StatusCode::kCorrupt, kFlacCheckBlocks);
  const bool hasComments = output.commentIndex >= 0;
  if (hasComments != expected.hasComments ||
      (hasComments && output.comments != expected.comments)) {
    return Status(StatusCode::kCorrupt, kFlacCheckTags);
  }
  return Status();
}

}  // namespace

Status VerifyFlacRewrite(void* output, ReadFunc read, uint64_t size,
                         const FlacExpectation& expected) {
  FlacMetadata written;
  Status status = CheckMetadata(output, read, size, expected, written);
  if (!status.ok()) return status;
  std::unique_ptr<unsigned char[]> buffer(new unsigned char[kReadBlockSize]);
  FrameDigest frames;
  size_t got;
  while ((got = read(buffer.get(), 1, kReadBlockSize, output)) > 0) frames.Add(buffer.get(), got);
  if (frames.Bytes() != size - written.framesOffset) {
    return Status(StatusCode::kIoError, kFlacReadFailed);
  }
  return frames == expected.frames ? Status() : Status(StatusCode::kCorrupt, kFlacCheckFrames);
}

Status VerifyFlacInPlace(void* file, ReadFunc read, uint64_t size,
                         const FlacExpectation& expected) {
  FlacMetadata edited;
  Status status = CheckMetadata(file, read, size, expected, edited);
  if (!status.ok()) return status;
  const FlacMetadata& input = *expected.input;
  return size == input.fileSize && edited.framesOffset == input.framesOffset
             ? Status()
             : Status(StatusCode::kCorrupt, kFlacCheckFramesMoved);
}
