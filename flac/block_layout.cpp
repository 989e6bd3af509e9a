// Laying out new FLAC metadata (see block_layout.h).
#include "flac/block_layout.h"

std::vector<LaidBlock> LayBlocks(const FlacMetadata& input, size_t first, size_t last,
                                 const std::string* comment, size_t keptPadding,
                                 const std::string* paddingBody) {
  std::vector<LaidBlock> laid;
  const bool insertComment = input.commentIndex < 0 && comment != nullptr;
  // A stretch that starts right after STREAMINFO opens with the inserted block.
  if (insertComment && first == 1) laid.push_back({kFlacVorbisComment, comment});
  for (size_t i = first; i <= last; ++i) {
    const FlacBlock& block = input.blocks[i];
    if (static_cast<int>(i) == input.commentIndex) {
      if (comment != nullptr) laid.push_back({kFlacVorbisComment, comment});
    } else if (block.type == kFlacPadding) {
      if (i == keptPadding) laid.push_back({kFlacPadding, paddingBody});
    } else {
      laid.push_back({block.type, &block.body});
    }
    if (insertComment && i == 0) laid.push_back({kFlacVorbisComment, comment});
  }
  return laid;
}

uint64_t LaidSize(const std::vector<LaidBlock>& blocks) {
  uint64_t size = 0;
  for (const LaidBlock& block : blocks) size += kFlacBlockHeaderSize + block.body->size();
  return size;
}

void AppendLaidBlocks(std::string& out, const std::vector<LaidBlock>& blocks, bool endsMetadata) {
  for (size_t i = 0; i < blocks.size(); ++i) {
    AppendFlacBlock(out, blocks[i].type, endsMetadata && i + 1 == blocks.size(), *blocks[i].body);
  }
}
