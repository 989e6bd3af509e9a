// Checks a rewritten file against what it must hold, reading it back with a page
// reader of its own, independently of the writer that made it.
#pragma once
#include "base/status.h"
#include "ogg/io_functions.h"
#include "ogg/stream_summary.h"

// Ok when the stream read through read holds: nothing between pages; wrong
// checksums on exactly the pages expected to keep them; the first stream with
// the expected serial, BOS on its first page only, the expected sequence numbers
// and flags, EOS on its last page; the headers as expected; the same audio
// packets in the same order; then the same later pages. kCorrupt on any
// difference or a failed read (which shows as a difference), the detail saying
// which part differs.
Status VerifyRewrite(void* input, ReadFunc read, const StreamSummary& expected);
