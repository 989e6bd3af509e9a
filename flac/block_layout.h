// The blocks of new FLAC metadata, laid out before they are written: each by
// reference to a body owned elsewhere, so that large blocks are never copied.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "flac/flac_metadata.h"

struct LaidBlock {
  uint8_t type;
  const std::string* body;
};

// The input's blocks first to last (indices, inclusive) as the new metadata
// holds them: the comment block replaced by comment (left out when null), or,
// when the input has none, comment put right after STREAMINFO; PADDING blocks
// left out but the one at keptPadding, which gets paddingBody.
std::vector<LaidBlock> LayBlocks(const FlacMetadata& input, size_t first, size_t last,
                                 const std::string* comment, size_t keptPadding,
                                 const std::string* paddingBody);
// Header and body bytes of the laid blocks.
uint64_t LaidSize(const std::vector<LaidBlock>& blocks);
// Appends the laid blocks; the last of them gets the last-block flag when
// endsMetadata is set.
void AppendLaidBlocks(std::string& out, const std::vector<LaidBlock>& blocks, bool endsMetadata);
