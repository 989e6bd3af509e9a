// The file seam on disk: the rename that must never replace an existing file,
// and removal, with the codes their failures carry.
#include <gtest/gtest.h>

#include <string>

#include "files/file_system.h"
#include "tests/support/temp_folder.h"
#include "tools/ogg_fixtures.h"

namespace {

class FilesOnDisk : public ::testing::Test {
 protected:
  std::string PathOf(const char* name) const { return folder_.File(name); }

  void Write(const std::string& path, const std::string& bytes) const {
    fixtures::WriteFile(path, fixtures::Bytes(bytes.begin(), bytes.end()));
  }

  // The file's bytes, or "<missing>" when it cannot be read.
  static std::string Read(const std::string& path) {
    std::string bytes;
    if (!ReadWholeFile(String(path.c_str()), bytes).ok()) return "<missing>";
    return bytes;
  }

  TempFolder folder_;
};

TEST_F(FilesOnDisk, RenameMovesAFileToAFreeName) {
  const std::string from = PathOf("x.ogg");
  const std::string to = from + ".old";
  Write(from, "OggS payload");
  ASSERT_TRUE(RenameFile(from.c_str(), to.c_str()).ok());
  EXPECT_EQ(Read(from), "<missing>");
  EXPECT_EQ(Read(to), "OggS payload");
}

TEST_F(FilesOnDisk, RenameNeverReplacesAnExistingTarget) {
  const std::string from = PathOf("x.ogg");
  const std::string to = from + ".old";
  Write(from, "new file");
  Write(to, "the only intact copy");
  EXPECT_EQ(RenameFile(from.c_str(), to.c_str()).code(), StatusCode::kExists);
  EXPECT_EQ(Read(from), "new file");
  EXPECT_EQ(Read(to), "the only intact copy");
}

TEST_F(FilesOnDisk, RenameFailsForAMissingSourceOrNullNames) {
  const std::string from = PathOf("absent.ogg");
  const std::string to = PathOf("absent.ogg.old");
  EXPECT_EQ(RenameFile(from.c_str(), to.c_str()).code(), StatusCode::kNotFound);
  EXPECT_EQ(Read(to), "<missing>");
  EXPECT_EQ(RenameFile(nullptr, to.c_str()).code(), StatusCode::kInvalid);
  EXPECT_EQ(RenameFile(from.c_str(), nullptr).code(), StatusCode::kInvalid);
}

TEST_F(FilesOnDisk, RemoveDeletesOnceThenReportsFailure) {
  const std::string path = PathOf("x.ogg.old");
  Write(path, "backup");
  EXPECT_TRUE(RemoveFile(path.c_str()).ok());
  EXPECT_EQ(Read(path), "<missing>");
  EXPECT_EQ(RemoveFile(path.c_str()).code(), StatusCode::kNotFound);
  EXPECT_EQ(RemoveFile(nullptr).code(), StatusCode::kInvalid);
}

}  // namespace
