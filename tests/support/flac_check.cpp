// Checks of native FLAC files for the tests (see flac_check.h).
#include "tests/support/flac_check.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/memory_io.h"
#include "tools/flac_fixtures.h"

namespace flac_check {
namespace {

std::vector<const FlacBlock*> KeptBlocks(const FlacMetadata& metadata) {
  std::vector<const FlacBlock*> kept;
  for (const FlacBlock& block : metadata.blocks) {
    if (block.type != kFlacPadding && block.type != kFlacVorbisComment) kept.push_back(&block);
  }
  return kept;
}

}  // namespace

FlacMetadata MetadataOf(const Bytes& file) {
  memory_io::Source source;
  source.data = file.data();
  source.size = file.size();
  FlacMetadata metadata;
  const Status status = ReadFlacMetadata(&source, memory_io::Read, file.size(), metadata);
  EXPECT_TRUE(status.ok()) << status.detail();
  return metadata;
}

void ExpectFaithfulRewrite(const Bytes& input, const Bytes& output) {
  const FlacMetadata before = MetadataOf(input);
  const FlacMetadata after = MetadataOf(output);
  EXPECT_EQ(after.id3v2, before.id3v2);
  const std::vector<const FlacBlock*> kept = KeptBlocks(before);
  const std::vector<const FlacBlock*> written = KeptBlocks(after);
  ASSERT_EQ(written.size(), kept.size());
  for (size_t i = 0; i < kept.size(); ++i) {
    EXPECT_EQ(written[i]->type, kept[i]->type) << "block " << i;
    EXPECT_EQ(written[i]->body, kept[i]->body) << "block " << i;
  }
  EXPECT_TRUE(Bytes(output.begin() + long(after.framesOffset), output.end()) ==
              Bytes(input.begin() + long(before.framesOffset), input.end()))
      << "the frames and tail";
  // libFLAC stumbles on an ID3v2 footer and an ID3v1 tail (lost sync), as
  // much in the input as in the output.
  EXPECT_EQ(fixtures::FlacDecodesIntact(output), fixtures::FlacDecodesIntact(input));
}

}  // namespace flac_check
