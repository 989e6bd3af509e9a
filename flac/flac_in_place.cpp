// FlacEditor::PlanInPlace (see flac_editor.h). The stretch that changes runs
// from the comment block to the PADDING block that absorbs the difference (in
// whichever order they come; from the block after STREAMINFO when the comment
// block is new). The padding shrinks or grows, down to an empty body whose
// header stays; when the difference is exactly its whole size, header
// included, the padding block goes and the block before it may take the
// last-block flag. Blocks between the two move by the difference; a PADDING
// block between them joins the one that absorbs it.
#include <algorithm>

#include "flac/block_layout.h"
#include "flac/flac_editor.h"

Status FlacEditor::PlanInPlace(FlacInPlaceEdit& edit) const {
  edit = FlacInPlaceEdit();
  if (!IsOpen()) return Status(StatusCode::kInvalid, kFlacNotOpen);
  Status status = CheckCommentSize();
  if (!status.ok()) return status;
  const FlacMetadata& input = *metadata_;
  const int commentIndex = input.commentIndex;
  const std::string comment = CommentHeader();
  const std::string* newComment = hasComments_ ? &comment : nullptr;
  if (commentIndex < 0 && newComment == nullptr) return status;  // nothing to change in place
  const size_t count = input.blocks.size();
  std::string padding;
  for (size_t paddingIndex = 1; paddingIndex < count; ++paddingIndex) {
    if (input.blocks[paddingIndex].type != kFlacPadding) continue;
    const size_t at = commentIndex >= 0 ? static_cast<size_t>(commentIndex) : 1;
    const size_t first = std::min(at, paddingIndex);
    const size_t last = std::max(at, paddingIndex);
    const uint64_t start = input.blocks[first].offset;
    const uint64_t size = input.blocks[last].End() - start;
    if (edit.fits && size >= edit.oldBytes.size()) continue;  // a shorter stretch is planned
    padding.clear();
    std::vector<LaidBlock> laid = LayBlocks(input, first, last, newComment, paddingIndex, &padding);
    const uint64_t taken = LaidSize(laid);  // the padding's header included
    if (taken == size + kFlacBlockHeaderSize) {
      laid.erase(std::find_if(laid.begin(), laid.end(),
                              [&](const LaidBlock& block) { return block.body == &padding; }));
    } else if (taken <= size && size - taken <= kFlacMaxBlockSize) {
      padding.assign(static_cast<size_t>(size - taken), '\0');
    } else {
      continue;
    }
    edit.fits = true;
    edit.offset = start;
    edit.oldBytes.clear();
    for (size_t i = first; i <= last; ++i) {
      const FlacBlock& block = input.blocks[i];
      AppendFlacBlock(edit.oldBytes, block.type, block.last, block.body);
    }
    edit.newBytes.clear();
    AppendLaidBlocks(edit.newBytes, laid, last + 1 == count);
  }
  return status;
}
