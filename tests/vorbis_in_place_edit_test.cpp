// Edits in place on generated files: which edits fit the old comment header's
// length, what applying one changes and how players read the result, what the
// check after the write refuses; and the padding a full rewrite leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

#include "base/padding_policy.h"
#include "tests/support/memory_io.h"
#include "tests/support/rewrite_check.h"
#include "text/wide_string.h"
#include "tools/ogg_fixtures.h"
#include "tools/stream_probe.h"
#include "vorbis/comment_packet.h"
#include "vorbis/tag_editor.h"

namespace {

using fixtures::Bytes;
using Edit = std::function<void(TagEditor&)>;

// Adds an ALBUM entry that makes the comment list growth bytes longer (its
// length field, "ALBUM=" and the value).
Edit GrowBy(size_t growth) {
  return [growth](TagEditor& editor) {
    editor.SetTag("ALBUM", WideString(std::u16string(growth - 10, u'x').c_str()));
  };
}

Edit Remove(const char* key) {
  return [key](TagEditor& editor) { editor.RemoveTag(key); };
}

// Puts back a whole comment header, as undo does: the one of a file tagged so.
Edit Replace(const std::vector<std::string>& comments) {
  return [comments](TagEditor& editor) {
    fixtures::EncodeOptions options;
    options.comments = comments;
    const Bytes packet = inspect::Inspect(fixtures::Basic(options)).streams[0].packets[1];
    editor.ReplaceCommentHeader(std::string(packet.begin(), packet.end()));
  };
}

struct Planned {
  bool opened = false;
  InPlaceEdit edit;
  std::vector<std::string> expected;  // the entries the editor would write
};

Planned Plan(const Bytes& input, const Edit& edit) {
  memory_io::Source source;
  source.data = input.data();
  source.size = input.size();
  TagEditor editor;
  Planned planned;
  planned.opened = editor.Open(&source, memory_io::Read, memory_io::Write).ok();
  if (!planned.opened) return planned;
  edit(editor);
  planned.edit = editor.PlanInPlace();
  const std::string header = editor.CommentHeader();
  CommentList list;
  ReadCommentHeader(reinterpret_cast<const unsigned char*>(header.data()), header.size(), list);
  planned.expected = list.entries;
  return planned;
}

Bytes Applied(Bytes file, const InPlaceEdit& edit, size_t shift = 0) {
  std::copy(edit.newBytes.begin(), edit.newBytes.end(), file.begin() + edit.offset + shift);
  return file;
}

Status Verify(const Bytes& file, const InPlaceEdit& edit) {
  memory_io::Source source;
  source.data = file.data();
  source.size = file.size();
  return VerifyInPlace(&source, memory_io::Read, edit);
}

struct InPlaceCase {
  const char* name;
  std::function<Bytes()> input;
  Edit edit;
  bool fits;
};

const std::vector<InPlaceCase>& InPlaceCases() {
  using fixtures::HeaderLayout;
  static const std::vector<InPlaceCase> cases = {
      // The comment header shares its page with the setup header.
      {"vorbis, padding just enough", [] { return fixtures::PaddedComment(100); }, GrowBy(100),
       true},
      {"vorbis, padding one byte short", [] { return fixtures::PaddedComment(100); }, GrowBy(101),
       false},
      {"vorbis, no padding", [] { return fixtures::Basic(); }, GrowBy(11), false},
      {"vorbis, no padding, tags shrink", [] { return fixtures::Basic(); }, Remove("TITLE"), true},
      {"vorbis, over pages shared with the setup header",
       [] { return fixtures::PaddedComment(700, HeaderLayout::kSpread); }, GrowBy(700), true},
      {"vorbis, over many pages, tags shrink", [] { return fixtures::MakeShape("huge-comment"); },
       Remove("COMMENT"), true},
      {"vorbis, audio on the setup header's page",
       [] { return fixtures::PaddedComment(100, HeaderLayout::kWithAudio); }, GrowBy(60), true},
      {"vorbis, a shorter header put back", [] { return fixtures::PaddedComment(100); },
       Replace({"TITLE=Put back"}), true},
      {"vorbis, a longer header put back", [] { return fixtures::PaddedComment(10); },
       Replace({"TITLE=Put back", "COMMENT=A header longer than the one in the file"}), false},
      {"opus, padding just enough", [] { return fixtures::OpusPadded(100); }, GrowBy(100), true},
      {"opus, padding one byte short", [] { return fixtures::OpusPadded(100); }, GrowBy(101),
       false},
      {"opus, no padding", [] { return fixtures::OpusFile(); }, GrowBy(11), false},
      {"opus, binary data, list as long", fixtures::OpusBinaryTags,
       [](TagEditor& editor) { editor.SetTag("TITLE", WideString(u"Another Title")); }, true},
      {"opus, binary data, list shorter", fixtures::OpusBinaryTags, Remove("TITLE"), false},
      {"opus, over several pages, tags shrink", fixtures::OpusLargeTags, Remove("COMMENT"), true},
  };
  return cases;
}

// Only bytes of the pages that hold the comment header differ, and those pages
// keep their place, size and header fields but for the checksum.
void ExpectOnlyCommentPagesChanged(const Bytes& input, const Bytes& output) {
  ASSERT_EQ(output.size(), input.size());
  const inspect::Inspection before = inspect::Inspect(input);
  const inspect::Inspection after = inspect::Inspect(output);
  ASSERT_EQ(after.pages.size(), before.pages.size());
  EXPECT_EQ(after.skippedBytes, before.skippedBytes);
  // Every fixture has the identification header alone on the first page.
  const size_t first = before.streams[0].pageOfPacket[0] + 1;
  const size_t last = before.streams[0].pageOfPacket[1];
  for (size_t i = 0; i < before.pages.size(); ++i) {
    const inspect::Page& a = before.pages[i];
    const inspect::Page& b = after.pages[i];
    SCOPED_TRACE(testing::Message() << "page " << i);
    EXPECT_EQ(b.offset, a.offset);
    EXPECT_TRUE(b.crcValid);
    if (i < first || i > last) {
      EXPECT_TRUE(b.bytes == a.bytes);
      continue;
    }
    EXPECT_TRUE(std::equal(a.bytes.begin(), a.bytes.begin() + 22, b.bytes.begin()));
    EXPECT_TRUE(
        std::equal(a.bytes.begin() + 26, a.bytes.begin() + 27 + a.bytes[26], b.bytes.begin() + 26))
        << "lacing values";
  }
  const std::vector<Bytes>& in = before.streams[0].packets;
  const std::vector<Bytes>& out = after.streams[0].packets;
  ASSERT_EQ(out.size(), in.size());
  for (size_t k = 0; k < in.size(); ++k) {
    EXPECT_TRUE(k == 1 || out[k] == in[k]) << "packet " << k;
  }
}

TEST(TagEditorInPlace, FitsWhenThePaddingAbsorbsTheChangeAndChangesOnlyTheCommentPages) {
  for (const InPlaceCase& c : InPlaceCases()) {
    SCOPED_TRACE(c.name);
    const Bytes input = c.input();
    const Planned planned = Plan(input, c.edit);
    ASSERT_TRUE(planned.opened);
    EXPECT_EQ(planned.edit.fits, c.fits);
    if (!planned.edit.fits) continue;
    const InPlaceEdit& edit = planned.edit;
    ASSERT_EQ(edit.newBytes.size(), edit.oldBytes.size());
    ASSERT_LE(edit.offset + edit.oldBytes.size(), input.size());
    EXPECT_EQ(std::string(input.begin() + edit.offset,
                          input.begin() + edit.offset + edit.oldBytes.size()),
              edit.oldBytes);
    const Bytes output = Applied(input, edit);
    ExpectOnlyCommentPagesChanged(input, output);
    EXPECT_STREQ(Verify(output, edit).detail(), "");
    // Players read the new tags and the same sound.
    const inspect::Decoded original = inspect::Decode(input);
    const inspect::Decoded edited = inspect::Decode(output);
    EXPECT_TRUE(edited.ok);
    EXPECT_EQ(edited.comments, planned.expected);
    EXPECT_NE(edited.comments, original.comments);
    EXPECT_TRUE(edited.pcm == original.pcm) << "decoded audio differs";
  }
}

// Sets the checksum of the page that holds byte at.
void FixPageAt(Bytes& file, size_t at) {
  std::vector<fixtures::RawPage> pages = fixtures::SplitPages(file);
  for (fixtures::RawPage& page : pages) {
    if (at >= page.offset && at < page.offset + page.bytes.size())
      fixtures::FixChecksum(page.bytes);
  }
  file = fixtures::JoinPages(pages);
}

TEST(TagEditorInPlace, CheckRefusesEveryDamageToTheWrittenPages) {
  const Bytes input = fixtures::PaddedComment(100);  // comment and setup on one page
  const Planned planned = Plan(input, GrowBy(60));
  ASSERT_TRUE(planned.edit.fits);
  const InPlaceEdit& edit = planned.edit;
  const size_t end = edit.offset + edit.newBytes.size();
  const Bytes good = Applied(input, edit);
  ASSERT_TRUE(Verify(good, edit).ok());
  const size_t album = static_cast<size_t>(
      std::search(good.begin(), good.end(), "ALBUM=x", "ALBUM=x" + 7) - good.begin());
  // A byte changed, the page's checksum made right or not.
  const auto changed = [&](size_t at, bool fixChecksum) {
    Bytes file = good;
    file[at] ^= 0x01;
    if (fixChecksum) FixPageAt(file, at);
    return file;
  };
  Bytes torn = input;
  std::copy(good.begin() + edit.offset, good.begin() + album, torn.begin() + edit.offset);
  const struct {
    const char* name;
    Bytes file;
  } damages[] = {
      {"nothing written", input},
      {"written one byte late", Applied(input, edit, 1)},
      {"torn: written up to the new entry", torn},
      {"a comment byte changed", changed(album + 8, false)},
      {"a comment byte changed, checksum made right", changed(album + 8, true)},
      {"a setup header byte changed, checksum made right", changed(end - 1, true)},
      {"the granule position changed, checksum made right", changed(edit.offset + 6, true)},
      {"the next page's sequence number changed", changed(end + 18, true)},
      {"cut after the written pages", Bytes(good.begin(), good.begin() + end)},
  };
  for (const auto& damage : damages) {
    SCOPED_TRACE(damage.name);
    EXPECT_EQ(Verify(damage.file, edit).code(), StatusCode::kCorrupt);
  }
}

// The setup header is never written: the check finds it byte for byte as it
// was read, also on the pages after the written ones.
TEST(TagEditorInPlace, CheckRefusesASetupHeaderChangedAfterTheWrittenPages) {
  const Bytes input = fixtures::PaddedComment(100, fixtures::HeaderLayout::kSpread);
  const Planned planned = Plan(input, GrowBy(60));
  ASSERT_TRUE(planned.edit.fits);
  Bytes file = Applied(input, planned.edit);
  ASSERT_TRUE(Verify(file, planned.edit).ok());
  const inspect::Inspection seen = inspect::Inspect(file);
  const inspect::Page& setupEnd = seen.pages[seen.streams[0].pageOfPacket[2]];
  const size_t at = setupEnd.offset + setupEnd.size - 1;
  ASSERT_GE(at, planned.edit.offset + planned.edit.newBytes.size());
  file[at] ^= 0x01;
  FixPageAt(file, at);
  EXPECT_EQ(Verify(file, planned.edit).code(), StatusCode::kCorrupt);
}

struct PaddedWriteCase {
  const char* name;
  std::function<Bytes()> input;
  bool takesPadding;
};

TEST(TagEditorInPlace, RewriteWithPaddingLeavesRoomForTheNextEdit) {
  const PaddedWriteCase cases[] = {
      {"vorbis", [] { return fixtures::Basic(); }, true},
      {"vorbis that had padding", [] { return fixtures::PaddedComment(3000); }, true},
      {"opus", [] { return fixtures::OpusFile(); }, true},
      {"opus with binary data", fixtures::OpusBinaryTags, false},
  };
  for (const PaddedWriteCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes input = c.input();
    const uint64_t padding = PaddingPolicy().BytesFor(input.size());
    ASSERT_GE(padding, PaddingPolicy::kMinimum);
    const rewrite::Result result = rewrite::Run(input, [padding](TagEditor& editor) {
      editor.SetTag("ALBUM", WideString(u"Padded"));
      editor.SetPadding(padding);
    });
    ASSERT_TRUE(result.written);
    EXPECT_TRUE(result.verified);
    const Bytes& output = result.output;

    // What follows the list: the framing byte (Vorbis) then zeros, or the kept data.
    const inspect::Comments before =
        inspect::ParseComments(inspect::Inspect(input).streams[0].packets[1]);
    const inspect::Comments after =
        inspect::ParseComments(inspect::Inspect(output).streams[0].packets[1]);
    EXPECT_TRUE(after.valid);
    if (c.takesPadding) {
      Bytes tail(padding, 0);
      if (!result.opus) tail.insert(tail.begin(), 1);
      EXPECT_TRUE(after.binaryData == tail);
    } else {
      EXPECT_TRUE(after.binaryData == before.binaryData);
    }
    const inspect::Decoded original = inspect::Decode(input);
    const inspect::Decoded rewritten = inspect::Decode(output);
    EXPECT_TRUE(rewritten.pcm == original.pcm) << "decoded audio differs";
    EXPECT_EQ(rewritten.comments.size(), original.comments.size() + 1);

    // The next edit of that size fits in place.
    EXPECT_EQ(Plan(output, GrowBy(padding)).edit.fits, c.takesPadding);
  }
}

}  // namespace
