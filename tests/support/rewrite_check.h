// Runs TagEditor over a file held in memory, and checks a rewritten Vorbis or
// Opus file against its input the way a user's player would care about: same
// audio packets on the same pages, right granule positions, same decoded sound,
// later streams untouched.
#pragma once
#include <functional>
#include <string>

#include "tools/ogg_fixtures.h"
#include "vorbis/tag_editor.h"

namespace rewrite {

using fixtures::Bytes;

struct Result {
  bool opened = false;
  bool written = false;
  std::string error;  // LastError after the write (or the open), "" for null
  Bytes output;
  bool verified = false;  // the output passed the editor's own check of new files
  bool opus = false;
};

// Opens, applies edit (if any), writes and checks the output as the engine does.
Result Run(const Bytes& input, const std::function<void(TagEditor&)>& edit = nullptr);

// The first stream of a file and where it ends.
struct FirstStream {
  uint32_t serial = 0;
  size_t end = 0;  // offset of the first byte after the first stream's pages
  std::vector<Bytes> packets;
};
FirstStream SplitFirstStream(const Bytes& file);

// Googletest expectations for the whole correctness bar. PCM is compared when
// comparePcm is set (a file whose first stream is cut by another stream's page
// cannot be decoded alike). The sound is compared with pcmReference when given:
// libvorbisfile skips audio packets that share the setup header's page, so such an
// input is compared through the same audio paged the usual way.
void ExpectFaithfulRewrite(const Bytes& input, const Bytes& output, bool comparePcm = true,
                           const Bytes* pcmReference = nullptr);

}  // namespace rewrite
