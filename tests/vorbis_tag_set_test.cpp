// TagEditor::SetTag and TagEditor::RemoveTag on comment lists read from generated
// files, checked in the editor and in the comment header actually written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/rewrite_check.h"
#include "text/wide_string.h"
#include "tools/ogg_fixtures.h"
#include "tools/stream_probe.h"
#include "vorbis/tag_editor.h"

namespace {

using fixtures::Bytes;
using Entries = std::vector<std::string>;

struct Change {
  const char* key;
  const char16_t* value;  // null: RemoveTag
};

struct TagCase {
  const char* name;
  Entries before;
  std::vector<Change> changes;
  Entries after;
};

const TagCase kTagCases[] = {
    {"all entries of the key give way to one at the end",
     {"ARTIST=a", "TITLE=t", "ARTIST=b"},
     {{"ARTIST", u"c"}},
     {"TITLE=t", "ARTIST=c"}},
    {"longer field names sharing the key's start are kept",
     {"ARTISTSORT=x", "TITLESORT=y", "ARTIST=a", "TITLE=b"},
     {{"ARTIST", u"c"}, {"TITLE", u"d"}},
     {"ARTISTSORT=x", "TITLESORT=y", "ARTIST=c", "TITLE=d"}},
    {"field names match whatever their case",
     {"artist=a", "Artist=b", "ALBUM=x"},
     {{"ARTIST", u"c"}},
     {"ALBUM=x", "ARTIST=c"}},
    {"other keys keep their order, set keys move to the end",
     {"ALBUM=1", "GENRE=2", "DATE=3", "COMMENT=4"},
     {{"GENRE", u"g"}, {"ALBUM", u"a"}},
     {"DATE=3", "COMMENT=4", "GENRE=g", "ALBUM=a"}},
    {"a key set twice keeps the later value",
     {"TITLE=t"},
     {{"ARTIST", u"first"}, {"ARTIST", u"second"}},
     {"TITLE=t", "ARTIST=second"}},
    {"an empty value still gives an entry",
     {"ALBUM=x", "DATE=2001"},
     {{"ALBUM", u""}},
     {"DATE=2001", "ALBUM="}},
    {"entries without a field name are never removed",
     {"ARTIST", "ARTISTnoequals", "=ARTIST", "ARTIST=a"},
     {{"ARTIST", u"c"}},
     {"ARTIST", "ARTISTnoequals", "=ARTIST", "ARTIST=c"}},
    {"the value is stored as UTF-8",
     {},
     {{"TITLE", u"Caf\u00e9 \u2014 \u65e5\u672c \U0001F600"}},
     {"TITLE=Caf\xc3\xa9 \xe2\x80\x94 \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x98\x80"}},
    {"removing from an empty list and removing a missing key change nothing",
     {"GENRE=x"},
     {{"LABEL", nullptr}, {"GENRE", nullptr}, {"GENRE", nullptr}},
     {}},
    {"removal only matches whole field names",
     {"LABEL=l", "LABELS=m", "LABE=n"},
     {{"label", nullptr}},
     {"LABELS=m", "LABE=n"}},
};

Entries EditorEntries(const TagEditor& editor) {
  Entries entries;
  const vorbis_comment* list = editor.Comments();
  for (int i = 0; i < list->comments; ++i) {
    entries.emplace_back(list->user_comments[i], static_cast<size_t>(list->comment_lengths[i]));
  }
  return entries;
}

void Apply(TagEditor& editor, const std::vector<Change>& changes) {
  for (const Change& change : changes) {
    if (change.value) {
      editor.SetTag(change.key, WideString(change.value));
    } else {
      editor.RemoveTag(change.key);
    }
  }
}

TEST(TagEditorTags, ChangesTheListAsExpected) {
  for (const TagCase& c : kTagCases) {
    SCOPED_TRACE(c.name);
    fixtures::EncodeOptions options;
    options.comments = c.before;
    Bytes input = fixtures::Basic(options);
    Entries seen;
    const vorbis_comment* list = nullptr;
    rewrite::Result result = rewrite::Run(input, [&](TagEditor& editor) {
      Apply(editor, c.changes);
      seen = EditorEntries(editor);
      list = editor.Comments();
      // The arrays stay terminated after the survivors (after an addition the
      // length array's end is libvorbis' business).
      EXPECT_EQ(list->user_comments[list->comments], nullptr);
      if (!c.changes.back().value) {
        EXPECT_EQ(list->comment_lengths[list->comments], 0);
      }
    });
    ASSERT_TRUE(result.written);
    EXPECT_EQ(seen, c.after);
    // The written header holds the same list and the input's vendor.
    inspect::Comments written =
        inspect::ParseComments(inspect::Inspect(result.output).streams[0].packets[1]);
    inspect::Comments read = inspect::ParseComments(inspect::Inspect(input).streams[0].packets[1]);
    ASSERT_TRUE(written.valid);
    EXPECT_EQ(written.entries, c.after);
    EXPECT_EQ(written.vendor, read.vendor);
  }
}

TEST(TagEditorTags, PictureSizedValueSurvivesTheRoundTrip) {
  Bytes input = fixtures::MakeShape("huge-comment");
  std::string big = fixtures::LargeValue(400000);
  std::u16string wide(big.begin(), big.end());
  rewrite::Result result = rewrite::Run(input, [&](TagEditor& editor) {
    editor.SetTag("METADATA_BLOCK_PICTURE", WideString(wide.c_str()));
    editor.SetTag("ARTIST", WideString(u"New"));
  });
  ASSERT_TRUE(result.written);
  inspect::Comments written =
      inspect::ParseComments(inspect::Inspect(result.output).streams[0].packets[1]);
  ASSERT_TRUE(written.valid);
  Entries expected{"TITLE=Fixture Title", "COMMENT=after the picture",
                   "METADATA_BLOCK_PICTURE=" + big, "ARTIST=New"};
  EXPECT_EQ(written.entries, expected);
  rewrite::ExpectFaithfulRewrite(input, result.output);
}

TEST(TagEditorTags, VendorIsTheOneReadWhateverTheListBecomes) {
  Bytes input = fixtures::Basic();
  rewrite::Result result = rewrite::Run(input, [](TagEditor& editor) {
    // Even a list that libvorbis' own vendor field no longer matches.
    vorbis_comment* list = const_cast<vorbis_comment*>(editor.Comments());
    list->vendor[0] = 'Q';
    editor.SetTag("VENDOR", WideString(u"not this"));
  });
  ASSERT_TRUE(result.written);
  std::string vendor = inspect::ParseComments(inspect::Inspect(input).streams[0].packets[1]).vendor;
  inspect::Comments written =
      inspect::ParseComments(inspect::Inspect(result.output).streams[0].packets[1]);
  ASSERT_NE(vendor[0], 'Q');
  EXPECT_EQ(written.vendor, vendor);
}

}  // namespace
