// The check of a rewritten file (see rewrite_verifier.h).
#include "vorbis/rewrite_verifier.h"

#include "vorbis/ogg_page_reader.h"

namespace {

// Follows the first stream's packets across its pages: the three headers are
// gathered whole, the audio packets go straight into a digest.
class FirstStreamChecker {
 public:
  explicit FirstStreamChecker(const StreamSummary& expected) : expected_(expected) {}

  // False when the page does not fit the stream read so far.
  bool TakePage(const OggPageView& page) {
    if (page.Serial() != expected_.serial || page.Sequence() != nextSequence_) return false;
    if (page.IsFirst() != (nextSequence_ == 0)) return false;
    if (page.IsContinued() != packetOpen_) return false;
    ++nextSequence_;
    // Each run of segments up to a packet's end goes in as one piece.
    size_t start = 0;
    size_t offset = 0;
    for (int i = 0; i < page.SegmentCount(); ++i) {
      const size_t size = static_cast<size_t>(page.Lacing(i));
      offset += size;
      packetOpen_ = size == 255;
      if (!packetOpen_) {
        AddBytes(page.body + start, offset - start);
        EndPacket();
        start = offset;
      }
    }
    if (offset > start) AddBytes(page.body + start, offset - start);
    ended_ = page.IsLast();
    return true;
  }

  // True when the stream ended properly and held what was expected.
  bool Matches() const {
    return ended_ && !packetOpen_ && headersSeen_ == 3 &&
           identification_ == expected_.identification && comment_ == expected_.comment &&
           setup_ == expected_.setup && audio_ == expected_.audio;
  }
  bool Ended() const { return ended_; }

 private:
  std::string* Header() {
    switch (headersSeen_) {
      case 0:
        return &identification_;
      case 1:
        return &comment_;
      case 2:
        return &setup_;
      default:
        return nullptr;
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
    if (headersSeen_ < 3) {
      ++headersSeen_;
    } else {
      audio_.EndPacket();
    }
  }

  const StreamSummary& expected_;
  uint32_t nextSequence_ = 0;
  bool packetOpen_ = false;
  bool ended_ = false;
  int headersSeen_ = 0;
  std::string identification_, comment_, setup_;
  PacketDigest audio_;
};

}  // namespace

bool VerifyRewrite(void* input, ReadFunc read, const StreamSummary& expected) {
  OggPageReader reader(input, read);
  FirstStreamChecker first(expected);
  PacketDigest trailing;
  OggPageView page;
  while (reader.Next(page)) {
    if (!page.crcValid) return false;
    if (!first.Ended()) {
      if (!first.TakePage(page)) return false;
    } else {
      trailing.AddBytes(page.header, page.headerSize);
      trailing.AddBytes(page.body, page.bodySize);
      trailing.EndPacket();
    }
  }
  return reader.SkippedBytes() == 0 && first.Matches() && trailing == expected.trailing;
}
