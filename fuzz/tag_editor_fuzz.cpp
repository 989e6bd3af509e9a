// libFuzzer target: arbitrary bytes through TagEditor's open, tag set, edit in
// place and write. An edit in place that fits, applied to a copy of the input,
// must pass the check made after it is written; a write that succeeds must make
// a stream that the independent check of new files accepts: a retag of a
// valid-enough input is never refused for a fault of the editor (or of the
// checks). Inputs opened with the setup header's unpacking deferred must come
// to a full open's verdict once it is done. Each input is tried as
// it is and, when it holds pages whose checksums no longer match (mutations
// nearly always break them), once more with every page's checksum made right, so
// that mutated headers and granule positions get past libogg's sync layer.
#include <ogg/ogg.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "ogg/rewrite_verifier.h"
#include "tests/support/memory_io.h"
#include "text/wide_string.h"
#include "vorbis/tag_editor.h"

namespace {

// Writes the edit into a copy of the input and checks the copy.
void EditInPlace(const uint8_t* data, size_t size, const InPlaceEdit& edit) {
  if (!edit.fits) return;
  if (edit.offset > size || edit.oldBytes.size() > size - edit.offset ||
      edit.newBytes.size() != edit.oldBytes.size() ||
      memcmp(data + edit.offset, edit.oldBytes.data(), edit.oldBytes.size()) != 0) {
    __builtin_trap();
  }
  std::vector<uint8_t> edited(data, data + size);
  memcpy(edited.data() + edit.offset, edit.newBytes.data(), edit.newBytes.size());
  memory_io::Source source;
  source.data = edited.data();
  source.size = edited.size();
  if (!VerifyInPlace(&source, memory_io::Read, edit).ok()) __builtin_trap();
}

void Retag(const uint8_t* data, size_t size) {
  memory_io::Source source;
  source.data = data;
  source.size = size;
  memory_io::Sink sink;
  // Some inputs also get a write function that fails part way.
  if (size % 7 == 0) sink.failAtCall = static_cast<long>(size % 61);
  // Some inputs are opened as for an edit in place, the setup header's
  // unpacking deferred: it must then come to the verdict of a full open.
  const SetupCheck setup = size % 3 == 0 ? SetupCheck::kDeferred : SetupCheck::kFull;
  TagEditor editor;
  if (editor.Open(&source, memory_io::Read, memory_io::Write, setup).ok()) {
    editor.SetTag("ARTIST", WideString(u"Fuzz \u00e9\U0001F600"));
    editor.SetTag("TITLE", WideString(u""));
    editor.RemoveTag("comment");
    EditInPlace(data, size, editor.PlanInPlace());
    if (setup == SetupCheck::kDeferred) {
      memory_io::Source again;
      again.data = data;
      again.size = size;
      TagEditor full;
      const bool opened = full.Open(&again, memory_io::Read, memory_io::Write).ok();
      if (opened != editor.CheckSetupHeader().ok()) __builtin_trap();
    }
    if (editor.Write(&sink).ok()) {
      memory_io::Source written;
      written.data = sink.bytes.data();
      written.size = sink.bytes.size();
      if (!VerifyRewrite(&written, memory_io::Read, editor.Summary()).ok()) __builtin_trap();
    }
  }
}

// Recomputes the checksum of every complete page found; true if any changed.
bool FixChecksums(std::vector<uint8_t>& bytes) {
  bool changed = false;
  size_t at = 0;
  while (at + 27 <= bytes.size()) {
    if (memcmp(&bytes[at], "OggS", 4) != 0) {
      ++at;
      continue;
    }
    size_t headerLength = 27 + bytes[at + 26];
    if (at + headerLength > bytes.size()) break;
    size_t bodyLength = 0;
    for (size_t i = 27; i < headerLength; ++i) bodyLength += bytes[at + i];
    if (at + headerLength + bodyLength > bytes.size()) break;
    uint8_t before[4];
    memcpy(before, &bytes[at + 22], 4);
    ogg_page page;
    page.header = &bytes[at];
    page.header_len = static_cast<long>(headerLength);
    page.body = &bytes[at + headerLength];
    page.body_len = static_cast<long>(bodyLength);
    ogg_page_checksum_set(&page);
    changed = changed || memcmp(before, &bytes[at + 22], 4) != 0;
    at += headerLength + bodyLength;
  }
  return changed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Retag(data, size);
  std::vector<uint8_t> fixed(data, data + size);
  if (FixChecksums(fixed)) Retag(fixed.data(), fixed.size());
  return 0;
}
