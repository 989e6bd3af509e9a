// The file-name parser on the names of both accepted forms and their near misses.
#include <gtest/gtest.h>

#include <string>

#include "engine/file_name_tags.h"

namespace {

std::u16string Units(const WideString& text) { return std::u16string(text.CStr(), text.Length()); }

TEST(EngineFileNameTags, NamesOfBothFormsAndTheirNearMisses) {
  struct Case {
    const char* path;
    int track;
    std::u16string artist;
    std::u16string title;
    bool separator;
  };
  const Case cases[] = {
      {"07 - Some Band - Some Song.ogg", 7, u"Some Band", u"Some Song", true},
      {"Some Band - Some Song.ogg", -1, u"Some Band", u"Some Song", true},
      {"Band - Live - Take 2.ogg", -1, u"Band", u"Live - Take 2", true},
      {"07_Some Song.ogg", 7, u"", u"", false},
      {"99 Ways - Song.ogg", 99, u"Ways", u"Song", true},
      {"123 - A - B.ogg", 12, u"3", u"A - B", true},
      {"2 - A - B.ogg", -1, u"2", u"A - B", true},
      {"01 - .ogg", 1, u"", u"", false},
      {"A -  B.ogg", -1, u"A", u"B", true},
      {" - Title.ogg", -1, u"", u"Title", true},
      {"Artist-Title.ogg", -1, u"", u"", false},
      {" - .ogg", -1, u"", u"", true},
      {"x.ogg", -1, u"", u"", false},
      {"00 - A - B.ogg", 0, u"A", u"B", true},
      {"dir/A - B/07 - C - D.ogg", 7, u"C", u"D", true},
      {"A - B/Song.ogg", -1, u"", u"", false},  // a folder name never takes part
      {"x.tar - y.ogg", -1, u"x.tar", u"y", true},
      {"\xC3\x89t\xC3\xA9 - Caf\xC3\xA9.ogg", -1, u"\u00C9t\u00E9", u"Caf\u00E9", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const FileNameTags tags = ParseFileNameTags(String(c.path));
    EXPECT_EQ(tags.trackNumber, c.track);
    EXPECT_EQ(Units(tags.artist), c.artist);
    EXPECT_EQ(Units(tags.title), c.title);
    EXPECT_EQ(tags.separatorFound, c.separator);
  }
}

TEST(EngineFileNameTags, Utf8NamesDecodeAsUtf8) {
  const FileNameTags tags = ParseFileNameTags(String("03 - Bj\xC3\xB6rk - J\xC3\xB3ga.ogg"));
  EXPECT_EQ(tags.trackNumber, 3);
  EXPECT_EQ(Units(tags.artist), u"Bj\u00F6rk");
  EXPECT_EQ(Units(tags.title), u"J\u00F3ga");
}

}  // namespace
