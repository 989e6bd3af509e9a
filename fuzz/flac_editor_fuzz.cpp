// libFuzzer target: arbitrary bytes through FlacEditor's open, an edit chosen
// by the input (grow, shrink, the old comment block put back, or a longer
// value), the plan of an edit in place and the full rewrite. A planned edit
// applied to the input and every write that succeeds must pass the
// independent check of written files.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "flac/flac_editor.h"
#include "tests/support/memory_io.h"
#include "text/wide_string.h"

namespace {

void Edit(FlacEditor& editor, size_t choice) {
  switch (choice % 4) {
    case 0:
      editor.SetTag("ARTIST", WideString(u"Fuzz \u00e9\U0001F600"));
      editor.RemoveTag("title");
      break;
    case 1:
      editor.RemoveTag("ARTIST");
      editor.RemoveTag("TITLE");
      break;
    case 2: {
      const std::string old = editor.OriginalCommentHeader();
      if (!editor.ReplaceCommentHeader(old).ok()) __builtin_trap();  // it parsed at open
      break;
    }
    default:
      editor.SetTag("COMMENT", WideString(std::u16string(300, u'c').c_str()));
  }
}

Status Check(const std::vector<uint8_t>& file, const FlacExpectation& expected, bool inPlace) {
  memory_io::Source source;
  source.data = file.data();
  source.size = file.size();
  return inPlace ? VerifyFlacInPlace(&source, memory_io::Read, file.size(), expected)
                 : VerifyFlacRewrite(&source, memory_io::Read, file.size(), expected);
}

void CheckInPlace(const uint8_t* data, size_t size, const FlacEditor& editor) {
  FlacInPlaceEdit edit;
  if (!editor.PlanInPlace(edit).ok() || !edit.fits) return;
  if (edit.newBytes.size() != edit.oldBytes.size() || edit.offset + edit.oldBytes.size() > size ||
      memcmp(data + edit.offset, edit.oldBytes.data(), edit.oldBytes.size()) != 0) {
    __builtin_trap();
  }
  std::vector<uint8_t> edited(data, data + size);
  memcpy(edited.data() + edit.offset, edit.newBytes.data(), edit.newBytes.size());
  if (!Check(edited, editor.Expectation(), true).ok()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  memory_io::Source source;
  source.data = data;
  source.size = size;
  FlacEditor editor;
  if (!editor.Open(&source, memory_io::Read, size).ok()) return 0;
  editor.Pictures();
  Edit(editor, size);
  CheckInPlace(data, size, editor);
  memory_io::Sink sink;
  // Some inputs also get a write function that fails part way.
  if (size % 7 == 0) sink.failAtCall = static_cast<long>(size % 13);
  PaddingPolicy padding;
  padding.noPadding = size % 3 == 0;
  if (editor.Write(&sink, memory_io::Write, padding).ok() &&
      !Check(sink.bytes, editor.Expectation(), false).ok()) {
    __builtin_trap();
  }
  return 0;
}
