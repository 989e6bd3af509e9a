// libFuzzer target: arbitrary bytes through TagEditor's open, tag set and write,
// with the output going to a sink that keeps only a count. Inputs whose size is a
// multiple of 7 also get a write function that fails part way.
#include <cstddef>
#include <cstdint>

#include "tests/support/memory_io.h"
#include "text/wide_string.h"
#include "vorbis/tag_editor.h"

namespace {

struct CountingSink {
  size_t bytes = 0;
  long calls = 0;
  long failAtCall = -1;
};

size_t CountingWrite(const void*, size_t size, size_t count, void* handle) {
  CountingSink* sink = static_cast<CountingSink*>(handle);
  if (sink->calls++ == sink->failAtCall) return 0;
  sink->bytes += size * count;
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  memory_io::Source source;
  source.data = data;
  source.size = size;
  CountingSink sink;
  if (size % 7 == 0) sink.failAtCall = static_cast<long>(size % 61);
  TagEditor editor;
  if (editor.Open(&source, memory_io::Read, CountingWrite)) {
    editor.SetTag("ARTIST", WideString(u"Fuzz \u00e9\U0001F600"));
    editor.SetTag("TITLE", WideString(u""));
    editor.RemoveTag("comment");
    editor.Write(&sink);
  }
  return 0;
}
