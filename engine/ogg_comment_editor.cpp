// The Ogg side of CommentEditor: TagEditor for Vorbis and Opus streams, the
// page-reading check of a rewrite and the check of an edit in place.
#include <memory>
#include <string_view>
#include <vector>

#include "engine/comment_editor.h"
#include "ogg/rewrite_verifier.h"
#include "vorbis/in_place_edit.h"
#include "vorbis/tag_editor.h"

namespace {

class OggCommentEditor : public CommentEditor {
 public:
  Status Open(void* input, ReadFunc read, int64_t size, WriteFunc write,
              SetupCheck setup) override {
    size_ = size;
    return editor_.Open(input, read, write, setup);
  }
  Status CheckSetupHeader() override { return editor_.CheckSetupHeader(); }
  CommentCodec Codec() const override {
    return editor_.IsOpus() ? CommentCodec::kOpus : CommentCodec::kVorbis;
  }

  void SetTag(const char* key, const WideString& value) override { editor_.SetTag(key, value); }
  const std::string& OriginalCommentHeader() const override {
    return editor_.OriginalCommentHeader();
  }
  bool AcceptsCommentHeader(const std::string& header) const override {
    return editor_.AcceptsCommentHeader(header);
  }
  void ReplaceCommentHeader(const std::string& header) override {
    editor_.ReplaceCommentHeader(header);
  }
  bool ListOfHeader(const std::string& header, CommentList& list) const override {
    return ListOfCommentHeader(Codec(), header, list);
  }
  CommentList WrittenList() const override {
    CommentList list;
    const std::string header = editor_.CommentHeader();
    if (!header.empty()) ListOfHeader(header, list);
    return list;
  }
  Status CheckWritable() const override { return Status(); }
  std::vector<FlacPicture> Pictures() const override { return {}; }

  void SetPadding(const PaddingPolicy& padding) override {
    editor_.SetPadding(
        static_cast<size_t>(padding.BytesFor(size_ > 0 ? static_cast<uint64_t>(size_) : 0)));
  }
  Status Write(void* output) override { return editor_.Write(output); }
  bool DataLeftOut() const override { return editor_.DataLeftOut(); }
  Status VerifyRewrite(void* output, ReadFunc read, int64_t) const override {
    return ::VerifyRewrite(output, read, editor_.Summary());
  }

  InPlaceBytes PlanInPlace() override {
    auto plan = std::make_shared<InPlaceEdit>(editor_.PlanInPlace());
    InPlaceBytes bytes;
    if (!plan->fits) return bytes;
    bytes.fits = true;
    bytes.offset = plan->offset;
    bytes.oldBytes = plan->oldBytes;
    bytes.newBytes = plan->newBytes;
    bytes.checkHolds = plan->setup.size();
    // The check keeps the plan alone, not the editor.
    bytes.check = [plan](void* file, ReadFunc read, int64_t) {
      return VerifyInPlace(file, read, *plan);
    };
    return bytes;
  }

 private:
  TagEditor editor_;
  int64_t size_ = 0;
};

}  // namespace

std::unique_ptr<CommentEditor> MakeOggCommentEditor() {
  return std::make_unique<OggCommentEditor>();
}
