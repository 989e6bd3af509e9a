// Paths: extension, split and cut on the characters of a String, and the
// rename that must never replace an existing file, checked on disk.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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

// Files in the test temporary directory, removed again at the end.
class TextPathsOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    namespace fs = std::filesystem;
    const char* configured = std::getenv("MIRALE_TEST_TMP");
    fs::path root = (configured != nullptr && *configured != '\0') ? fs::path(configured)
                                                                   : fs::temp_directory_path();
    static int counter = 0;
    const long long stamp =
        std::chrono::steady_clock::now().time_since_epoch().count() % 1000000000LL;
    dir_ = root / ("mirale_paths_" + std::to_string(stamp) + "_" + std::to_string(++counter));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  std::string PathOf(const char* name) const { return (dir_ / name).string(); }

  static void Write(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }

  // The file's bytes, or "<missing>" when it cannot be opened.
  static std::string Read(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return "<missing>";
    std::string bytes;
    char chunk[256];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
    std::fclose(f);
    return bytes;
  }

  std::filesystem::path dir_;
};

TEST_F(TextPathsOnDisk, RenameMovesAFileToAFreeName) {
  const std::string from = PathOf("x.ogg");
  const std::string to = from + ".old";
  Write(from, "OggS payload");
  ASSERT_TRUE(RenameFile(from.c_str(), to.c_str()));
  EXPECT_EQ(Read(from), "<missing>");
  EXPECT_EQ(Read(to), "OggS payload");
}

TEST_F(TextPathsOnDisk, RenameNeverReplacesAnExistingTarget) {
  const std::string from = PathOf("x.ogg");
  const std::string to = from + ".old";
  Write(from, "new file");
  Write(to, "the only intact copy");
  EXPECT_FALSE(RenameFile(from.c_str(), to.c_str()));
  EXPECT_EQ(Read(from), "new file");
  EXPECT_EQ(Read(to), "the only intact copy");
}

TEST_F(TextPathsOnDisk, RenameFailsForAMissingSourceOrNullNames) {
  const std::string from = PathOf("absent.ogg");
  const std::string to = PathOf("absent.ogg.old");
  EXPECT_FALSE(RenameFile(from.c_str(), to.c_str()));
  EXPECT_EQ(Read(to), "<missing>");
  EXPECT_FALSE(RenameFile(nullptr, to.c_str()));
  EXPECT_FALSE(RenameFile(from.c_str(), nullptr));
}

TEST_F(TextPathsOnDisk, RemoveDeletesOnceThenReportsFailure) {
  const std::string path = PathOf("x.ogg.old");
  Write(path, "backup");
  EXPECT_TRUE(RemoveFile(path.c_str()));
  EXPECT_EQ(Read(path), "<missing>");
  EXPECT_FALSE(RemoveFile(path.c_str()));
  EXPECT_FALSE(RemoveFile(nullptr));
}

}  // namespace
