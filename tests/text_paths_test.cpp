// Paths: extension, split and cut on the characters of a String.
#include <gtest/gtest.h>

#include <string>

#include "text/paths.h"

namespace {

TEST(TextPaths, GetExtensionLowerCasesTheTextAfterTheLastFullStop) {
  struct Case {
    const char* path;
    const char* extension;
  };
  const Case cases[] = {
      {"C:\\music\\a.ogg", "ogg"},
      {"archive.tar.OGG", "ogg"},
      {".ogg", "ogg"},
      {"a.OgG", "ogg"},
      {"a.", ""},
      {"no_full_stop", ""},
      {"", ""},
      // The search does not stop at a separator.
      {"C:\\my.dir\\file", "dir\\file"},
      {"/my.dir/file", "dir/file"},
      // Lower-casing is windows-1252: capital E acute becomes e acute.
      {"x.\xC9T\xC9", "\xE9t\xE9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const String path(c.path);
    EXPECT_STREQ(GetExtension(path).CStr(), c.extension);
    EXPECT_STREQ(path.CStr(), c.path);  // the source keeps its case
  }
}

TEST(TextPaths, OnlyOggInAnyCaseIsAnOggExtension) {
  const char* accepted[] = {"a.ogg", "a.OGG", "a.Ogg", "a.oGg", "a.ogG"};
  const char* refused[] = {"a.og", "a.oggg", "a.ogg.mp3", "a.ogg ", "aogg", "a.0gg"};
  for (const char* path : accepted) EXPECT_TRUE(GetExtension(path).Equals("ogg")) << path;
  for (const char* path : refused) EXPECT_FALSE(GetExtension(path).Equals("ogg")) << path;
}

TEST(TextPaths, RemoveExtensionCutsFromTheLastFullStop) {
  struct Case {
    const char* name;
    const char* base;
  };
  const Case cases[] = {
      {"a.ogg", "a"}, {"archive.tar.OGG", "archive.tar"}, {".ogg", ""},
      {"a.", "a"},    {"no_full_stop", "no_full_stop"},   {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    String name(c.name);
    RemoveExtension(name);
    EXPECT_STREQ(name.CStr(), c.base);
    EXPECT_EQ(name.Length(), static_cast<int>(std::string(c.base).size()));
  }
}

TEST(TextPaths, RemoveExtensionLeavesASharedCopyAlone) {
  String name("01 - Artist - Title.ogg");
  const String copy(name);
  RemoveExtension(name);
  EXPECT_STREQ(name.CStr(), "01 - Artist - Title");
  EXPECT_STREQ(copy.CStr(), "01 - Artist - Title.ogg");
}

TEST(TextPaths, SplitPathFollowsThePlatformSeparators) {
  struct Case {
    const char* path;
    const char* folder;
    const char* name;
  };
#ifdef _WIN32
  const Case cases[] = {
      {"C:\\music\\a.ogg", "C:\\music\\", "a.ogg"},
      {"C:a.ogg", "C:", "a.ogg"},
      {"a.ogg", "", "a.ogg"},
      {"dir/", "dir/", ""},
      {"dir/sub\\a.ogg", "dir/sub\\", "a.ogg"},
      {"\\\\server\\share\\a.ogg", "\\\\server\\share\\", "a.ogg"},
      {"", "", ""},
  };
#else
  const Case cases[] = {
      {"/music/a.ogg", "/music/", "a.ogg"},
      {"a.ogg", "", "a.ogg"},
      {"dir/", "dir/", ""},
      {"/", "/", ""},
      // Backslash and colon are ordinary file-name characters here.
      {"C:\\music\\a.ogg", "", "C:\\music\\a.ogg"},
      {"C:a.ogg", "", "C:a.ogg"},
      {"music/AC\\DC: Live.ogg", "music/", "AC\\DC: Live.ogg"},
      {"", "", ""},
  };
#endif
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    String folder("stale folder");
    String name("stale name");
    SplitPath(String(c.path), folder, name);
    EXPECT_STREQ(folder.CStr(), c.folder);
    EXPECT_STREQ(name.CStr(), c.name);
  }
}

TEST(TextPaths, SplitPathSharesThePathWhenThereIsNoFolder) {
  const String path("a.ogg");
  String folder("x");
  String name;
  SplitPath(path, folder, name);
  EXPECT_TRUE(folder.UsesSharedEmptyBuffer());
  EXPECT_EQ(name.BufferAddress(), path.BufferAddress());
}

TEST(TextPaths, SplitPathAcceptsThePathAsOneOfItsOutputs) {
  String path("dir/a.ogg");
  String folder;
  SplitPath(path, folder, path);
  EXPECT_STREQ(folder.CStr(), "dir/");
  EXPECT_STREQ(path.CStr(), "a.ogg");

  String other("dir/b.ogg");
  String name;
  SplitPath(other, other, name);
  EXPECT_STREQ(other.CStr(), "dir/");
  EXPECT_STREQ(name.CStr(), "b.ogg");
}

}  // namespace
