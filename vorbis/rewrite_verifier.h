// Checks a rewritten file against what it must hold, reading it back with a page
// reader of its own, independently of the writer that made it.
#pragma once
#include "vorbis/stream_summary.h"
#include "vorbis/tag_editor.h"

// True when the stream read through read holds: pages with valid checksums and
// nothing between them; the first stream with the expected serial, BOS on its
// first page, contiguous sequence numbers and EOS on its last page; the three
// headers as expected; the same audio packets in the same order; then the same
// later pages. False on any difference or a failed read.
bool VerifyRewrite(void* input, ReadFunc read, const StreamSummary& expected);
