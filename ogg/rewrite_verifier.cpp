// The check of a rewritten file (see rewrite_verifier.h).
#include "ogg/rewrite_verifier.h"

#include "ogg/ogg_page_reader.h"

namespace {

const char kBytesBetweenPages[] = "Rewritten stream holds bytes that are not pages.";
const char kFirstStreamDiffers[] = "Rewritten first stream differs from the input's.";
const char kLaterPagesDiffer[] = "Rewritten pages after the first stream differ from the input's.";
const char kChecksumsDiffer[] = "Rewritten stream's damaged pages differ from the input's.";

// Follows the first stream's packets across its pages: the headers are gathered
// whole, the audio packets go straight into a digest.
class FirstStreamChecker {
 public:
  explicit FirstStreamChecker(const StreamSummary& expected) : expected_(expected) {}

  // False when the page cannot belong to the stream read so far.
  bool TakePage(const OggPageView& page) {
    if (page.Serial() != expected_.serial) return false;
    // The first page opens the stream; later pages keep the flags they had in
    // the input, which the page places below compare.
    if (pageCount_ == 0 && !page.IsFirst()) return false;
    ++pageCount_;
    AddPagePlace(pages_, page.Serial(), page.Sequence(), page.Flags());
    ended_ = page.IsLast();
    if (headersSeen_ == expected_.headerCount) {
      audio_.AddLacedBody(page.header + 27, page.SegmentCount(), page.body);
      return true;
    }
    size_t offset = 0;
    for (int i = 0; i < page.SegmentCount(); ++i) {
      const size_t size = static_cast<size_t>(page.Lacing(i));
      AddBytes(page.body + offset, size);
      offset += size;
      if (size < 255) EndPacket();
    }
    return true;
  }

  // True when the stream ended properly and held what was expected.
  bool Matches() const {
    return ended_ && headersSeen_ == expected_.headerCount &&
           identification_ == expected_.identification && comment_ == expected_.comment &&
           setup_ == expected_.setup && audio_ == expected_.audio && pages_ == expected_.pages;
  }
  bool Ended() const { return ended_; }

 private:
  std::string* Header() {
    if (headersSeen_ >= expected_.headerCount) return nullptr;
    switch (headersSeen_) {
      case 0:
        return &identification_;
      case 1:
        return &comment_;
      default:
        return &setup_;
    }
  }
  void AddBytes(const unsigned char* data, size_t size) {
    if (std::string* header = Header()) {
      header->append(reinterpret_cast<const char*>(data), size);
    } else {
      audio_.AddBytes(data, size);
    }
  }
  void EndPacket() {
    if (headersSeen_ < expected_.headerCount) {
      ++headersSeen_;
    } else {
      audio_.EndPacket();
    }
  }

  const StreamSummary& expected_;
  uint64_t pageCount_ = 0;
  bool ended_ = false;
  int headersSeen_ = 0;
  std::string identification_, comment_, setup_;
  PacketDigest audio_;
  PacketDigest pages_;
};

}  // namespace

Status VerifyRewrite(void* input, ReadFunc read, const StreamSummary& expected) {
  OggPageReader reader(input, read);
  FirstStreamChecker first(expected);
  PacketDigest trailing;
  PacketDigest damaged;
  OggPageView page;
  while (reader.Next(page)) {
    if (!page.crcValid) AddPagePlace(damaged, page.Serial(), page.Sequence(), page.Flags());
    if (!first.Ended()) {
      if (!first.TakePage(page)) return Status(StatusCode::kCorrupt, kFirstStreamDiffers);
    } else {
      trailing.AddBytes(page.header, page.headerSize);
      trailing.AddBytes(page.body, page.bodySize);
      trailing.EndPacket();
    }
  }
  if (reader.SkippedBytes() != 0) return Status(StatusCode::kCorrupt, kBytesBetweenPages);
  if (!first.Matches()) return Status(StatusCode::kCorrupt, kFirstStreamDiffers);
  if (trailing != expected.trailing) return Status(StatusCode::kCorrupt, kLaterPagesDiffer);
  if (damaged != expected.damaged) return Status(StatusCode::kCorrupt, kChecksumsDiffer);
  return Status::Ok();
}
