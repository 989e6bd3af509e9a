// The FLAC side of CommentEditor: FlacEditor for native FLAC files, its check
// of a rewrite and of an edit in place.
#include "engine/comment_editor.h"
#include "flac/flac_editor.h"
#include "flac/flac_verifier.h"

namespace {

class FlacCommentEditor : public CommentEditor {
 public:
  Status Open(void* input, ReadFunc read, int64_t size, WriteFunc write, SetupCheck) override {
    write_ = write;
    return editor_.Open(input, read, size > 0 ? static_cast<uint64_t>(size) : 0);
  }
  Status CheckSetupHeader() override { return Status::Ok(); }
  CommentCodec Codec() const override { return CommentCodec::kFlac; }

  void SetTag(const char* key, const WideString& value) override { editor_.SetTag(key, value); }
  const std::string& OriginalCommentHeader() const override {
    return editor_.OriginalCommentHeader();
  }
  // An empty header stands for a file without a comment block.
  bool AcceptsCommentHeader(const std::string& header) const override {
    CommentList list;
    return ListOfHeader(header, list);
  }
  void ReplaceCommentHeader(const std::string& header) override {
    editor_.ReplaceCommentHeader(header);
  }
  bool ListOfHeader(const std::string& header, CommentList& list) const override {
    return ListOfCommentHeader(CommentCodec::kFlac, header, list);
  }
  CommentList WrittenList() const override { return editor_.EditedList(); }
  Status CheckWritable() const override { return editor_.CheckCommentSize(); }
  std::vector<FlacPicture> Pictures() const override { return editor_.Pictures(); }

  void SetPadding(const PaddingPolicy& padding) override { padding_ = padding; }
  Status Write(void* output) override { return editor_.Write(output, write_, padding_); }
  bool DataLeftOut() const override { return false; }
  Status VerifyRewrite(void* output, ReadFunc read, int64_t size) const override {
    return VerifyFlacRewrite(output, read, size > 0 ? static_cast<uint64_t>(size) : 0,
                             editor_.Expectation());
  }

  InPlaceBytes PlanInPlace() override {
    FlacInPlaceEdit edit;
    InPlaceBytes bytes;
    if (!editor_.PlanInPlace(edit).ok() || !edit.fits) return bytes;
    bytes.fits = true;
    bytes.offset = edit.offset;
    bytes.oldBytes = std::move(edit.oldBytes);
    bytes.newBytes = std::move(edit.newBytes);
    bytes.check = [expected = editor_.Expectation()](void* file, ReadFunc read, int64_t size) {
      return VerifyFlacInPlace(file, read, size > 0 ? static_cast<uint64_t>(size) : 0, expected);
    };
    return bytes;
  }

 private:
  FlacEditor editor_;
  WriteFunc write_ = nullptr;
  PaddingPolicy padding_{/*noPadding=*/true};
};

}  // namespace

std::unique_ptr<CommentEditor> MakeFlacCommentEditor() {
  return std::make_unique<FlacCommentEditor>();
}
