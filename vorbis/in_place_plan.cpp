// The edit in place of TagEditor: the comment header found in the header pages
// that Open kept, the new comment header fitted to the old one's length and
// written into copies of its pages, and what the check must find afterwards.
#include <cstring>

#include "base/byte_codec.h"
#include "ogg/ogg_page_reader.h"
#include "opus/opus_headers.h"
#include "vorbis/comment_packet.h"
#include "vorbis/tag_editor.h"

namespace {

constexpr size_t kFixedHeader = 27;  // a page header's fields before its lacing values

// Whether the pages lie back to back from the input's first byte, each a page of
// the only version there is: then nothing lies between them, and any reader of
// the file finds the same pages.
bool BackToBack(const std::vector<PlacedPage>& pages) {
  uint64_t next = 0;
  for (const PlacedPage& page : pages) {
    if (page.offset != next || page.bytes[4] != 0) return false;
    next += page.bytes.size();
  }
  return true;
}

// What the check must find in the comment header once it is written.
bool ExpectComments(const std::string& packet, bool opus, InPlaceEdit& edit) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(packet.data());
  edit.opus = opus;
  if (!opus) return ReadCommentHeader(bytes, packet.size(), edit.comments);
  OpusTags tags;
  if (!ParseOpusTags(bytes, packet.size(), tags)) return false;
  edit.comments = std::move(tags.list);
  edit.binaryData = std::move(tags.binaryData);
  return true;
}

}  // namespace

InPlaceEdit TagEditor::PlanInPlace() {
  InPlaceEdit edit;
  PacketPlace place;
  std::string packet;
  if (!opened_ || !reader_ || !PlaceComment(edit, place) ||
      !FitCommentPacket(CommentHeader(), opus_, originalComment_.size(), packet) ||
      !ExpectComments(packet, opus_, edit) || !FindFollower(edit, place.lastPage)) {
    return InPlaceEdit();
  }
  edit.newBytes = ReplaceSpans(edit.oldBytes, edit.commentSpans, packet);
  edit.setup = setup_;
  edit.fits = true;
  return edit;
}

// The comment header is the stream's second packet. The pages found by their
// lacing values alone must give it as libogg gave it to Open: then writing into
// them gives the new one to every reader alike.
bool TagEditor::PlaceComment(InPlaceEdit& edit, PacketPlace& place) const {
  if (!BackToBack(headerPages_) || !FindPacket(headerPages_, 1, place)) return false;
  edit.offset = headerPages_[place.firstPage].offset;
  for (size_t p = place.firstPage; p <= place.lastPage; ++p) edit.oldBytes += headerPages_[p].bytes;
  edit.commentSpans = place.spans;
  return GatherSpans(edit.oldBytes, place.spans) == originalComment_;
}

// The page right after the range: a header page Open read, or the bytes that
// follow the headers in the input. Anything but a page or the end of the input
// there (junk, a cut page) is left to a rewrite.
bool TagEditor::FindFollower(InPlaceEdit& edit, size_t lastPage) {
  const unsigned char* next = nullptr;
  size_t available = 0;
  if (lastPage + 1 < headerPages_.size()) {
    const std::string& page = headerPages_[lastPage + 1].bytes;
    next = reinterpret_cast<const unsigned char*>(page.data());
    available = page.size();
  } else {
    available = reader_->Peek(kFixedHeader, next);
  }
  if (available == 0) return true;
  if (available < kFixedHeader || memcmp(next, "OggS", 4) != 0 || next[4] != 0) return false;
  edit.followed = true;
  edit.nextSerial = GetLe32(next + 14);
  edit.nextSequence = GetLe32(next + 18);
  return true;
}
