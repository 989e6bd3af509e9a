// Files named in any script, and at the end of a path longer than MAX_PATH,
// retagged from the real dialog (a wide HDROP) and from mirale-cli.exe run as
// a child process with a wide command line and its output redirected.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/ogg_fixtures.h"
#include "tools/stream_probe.h"
#include "tests/support/temp_folder.h"
#include "tests/windows/app_dialog_harness.h"
#include "text/windows/wide_path.h"

namespace {

using namespace app_test;

struct Song {
  std::wstring name;  // below the test folder; a long one gets folders made for it
  std::string artist;
  std::string title;
};

// Every file the runs list: four scripts, a character outside the Basic
// Multilingual Plane, a fullwidth letter whose best-fit form is "a.ogg", and
// a file whose whole path is over 300 units long.
std::vector<Song> Songs() {
  const std::wstring deep = std::wstring(150, L'd') + L"\\" + std::wstring(150, L'e') + L"\\";
  return {
      {L"Dvo\u0159\u00E1k - Rusalka.ogg", "Dvo\xC5\x99\xC3\xA1k", "Rusalka"},
      {L"\u0427\u0430\u0439\u043A\u043E\u0432\u0441\u043A\u0438\u0439 - "
       L"\u041B\u0435\u0431\u0435\u0434\u0438\u043D\u043E\u0435 \u043E\u0437\u0435\u0440\u043E.ogg",
       "\xD0\xA7\xD0\xB0\xD0\xB9\xD0\xBA\xD0\xBE\xD0\xB2\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9",
       "\xD0\x9B\xD0\xB5\xD0\xB1\xD0\xB5\xD0\xB4\xD0\xB8\xD0\xBD\xD0\xBE\xD0\xB5 "
       "\xD0\xBE\xD0\xB7\xD0\xB5\xD1\x80\xD0\xBE"},
      {L"\u65E5\u672C - \u6B4C.ogg", "\xE6\x97\xA5\xE6\x9C\xAC", "\xE6\xAD\x8C"},
      {L"\U0001F3B5 - Emoji.ogg", "\xF0\x9F\x8E\xB5", "Emoji"},
      {L"\uFF41.ogg", "", ""},  // no separator: both tags empty, with a warning
      {deep + L"Deep - Song.ogg", "Deep", "Song"},
  };
}

std::string Utf8(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr,
                      nullptr);
  return out;
}

// Reaches any length, independently of the program's own path handling.
std::wstring Long(const std::wstring& path) { return L"\\\\?\\" + path; }

bool WriteWhole(const std::wstring& path, const fixtures::Bytes& bytes) {
  HANDLE file = CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != 0 &&
      written == bytes.size();
  CloseHandle(file);
  return ok;
}

fixtures::Bytes ReadWhole(const std::wstring& path) {
  fixtures::Bytes bytes;
  HANDLE file = CreateFileW(Long(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  unsigned char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    bytes.insert(bytes.end(), buffer, buffer + got);
  }
  CloseHandle(file);
  return bytes;
}

// The value of the one comment with this key, or "(missing)" / "(repeated)".
std::string TagOf(const fixtures::Bytes& file, const std::string& key) {
  const inspect::Inspection inspection = inspect::Inspect(file);
  if (inspection.streams.empty() || inspection.streams[0].packets.size() < 2) return "(no stream)";
  std::string value = "(missing)";
  int found = 0;
  for (const std::string& entry :
       inspect::ParseComments(inspection.streams[0].packets[1]).entries) {
    if (entry.compare(0, key.size() + 1, key + "=") == 0 && ++found == 1) {
      value = entry.substr(key.size() + 1);
    }
  }
  return found > 1 ? "(repeated)" : value;
}

// Sends a drop of these paths as the shell builds one with wide names.
void DropWide(const std::vector<std::wstring>& paths) {
  size_t units = 1;
  for (const std::wstring& path : paths) units += path.size() + 1;
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + units * sizeof(wchar_t));
  DROPFILES* header = static_cast<DROPFILES*>(GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  wchar_t* list = reinterpret_cast<wchar_t*>(header + 1);
  for (const std::wstring& path : paths) {
    std::copy(path.begin(), path.end(), list);
    list += path.size() + 1;  // GHND zeroed the terminators
  }
  GlobalUnlock(memory);
  SendMessageW(Dialog(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

// Wine takes long paths even without the prefix, so the rule is checked here.
TEST(WidePath, LongPathsGetThePrefixShortOnesPassAsTheyAre) {
  const std::wstring x(300, L'x');
  struct Case {
    std::wstring in;
    std::wstring out;
  };
  const Case cases[] = {
      {L"C:\\music\\\u00E9t\u00E9 \U0001F3B5.ogg", L"C:\\music\\\u00E9t\u00E9 \U0001F3B5.ogg"},
      {L"rel/a.ogg", L"rel/a.ogg"},
      {L"C:\\" + x + L"\\a.ogg", L"\\\\?\\C:\\" + x + L"\\a.ogg"},
      {L"C:/" + x + L"/./sub/../a.ogg", L"\\\\?\\C:\\" + x + L"\\a.ogg"},
      {L"\\\\server\\share\\" + x, L"\\\\?\\UNC\\server\\share\\" + x},
      {L"\\\\?\\C:\\" + x, L"\\\\?\\C:\\" + x},
  };
  for (const Case& c : cases) EXPECT_EQ(WidePath(Utf8(c.in).c_str()), c.out);
}

class UnicodeNamesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetDialog();
    base_ = std::filesystem::path(folder_.Path()).wstring() + L"\\";
    for (const Song& song : Songs()) {
      const std::wstring path = base_ + song.name;
      for (size_t at = path.find(L'\\', base_.size()); at != std::wstring::npos;
           at = path.find(L'\\', at + 1)) {
        CreateDirectoryW(Long(path.substr(0, at)).c_str(), nullptr);
      }
      ASSERT_TRUE(WriteWhole(path, fixtures::Basic()));
      paths_.push_back(path);
    }
    ASSERT_GT(paths_.back().size(), 300u);
    // The file the fullwidth name must never stand for.
    ASSERT_TRUE(WriteWhole(base_ + L"a.ogg", fixtures::Basic()));
  }

  void TearDown() override {
    // The folder's own clean-up cannot reach below MAX_PATH.
    DeleteFileW(Long(paths_.back()).c_str());
    std::wstring folder = paths_.back();
    for (int up = 0; up < 2; ++up) {
      folder = folder.substr(0, folder.rfind(L'\\'));
      RemoveDirectoryW(Long(folder).c_str());
    }
  }

  // The tags in every file, and a.ogg as it was.
  void CheckFiles() {
    const std::vector<Song> songs = Songs();
    for (size_t i = 0; i < songs.size(); ++i) {
      SCOPED_TRACE(Utf8(songs[i].name));
      const fixtures::Bytes file = ReadWhole(paths_[i]);
      EXPECT_EQ(TagOf(file, "ARTIST"), songs[i].artist);
      EXPECT_EQ(TagOf(file, "TITLE"), songs[i].title);
      EXPECT_EQ(GetFileAttributesW(Long(paths_[i] + L".old").c_str()), INVALID_FILE_ATTRIBUTES);
    }
    EXPECT_EQ(ReadWhole(base_ + L"a.ogg"), fixtures::Basic());
  }

  TempFolder folder_;
  std::wstring base_;
  std::vector<std::wstring> paths_;  // in the order of Songs()
};

TEST_F(UnicodeNamesTest, DialogListsAndRetagsEveryName) {
  Click(1013);
  Click(1014);
  DropWide(paths_);
  ASSERT_EQ(FileList.Count(), static_cast<int>(paths_.size()));
  ASSERT_TRUE(RunAll());

  for (size_t i = 0; i < paths_.size(); ++i) {
    SCOPED_TRACE(i);
    const int line = static_cast<int>(i);
    EXPECT_EQ(Segment(line, Trace.Line(line).Count() - 2),
              std::u16string(paths_[i].begin(), paths_[i].end()));  // surrogates included
    // The fullwidth name has no separator: a warning, in either language.
    const std::u16string result = LastSegment(line);
    EXPECT_EQ(result.substr(0, 4), Songs()[i].artist.empty() ? u" \u00B1OK" : u" OK");
  }
  CheckFiles();
}

TEST_F(UnicodeNamesTest, DroppedFileThatCannotBeReadIsListedWithTheReason) {
  const std::wstring gone = base_ + L"\u00C9t\u00E9 - gone.ogg";
  DropWide({gone, paths_[0]});
  ASSERT_EQ(FileList.Count(), 1);
  ASSERT_EQ(Trace.LineCount(), 3);
  EXPECT_EQ(Segment(0, 0), std::u16string(gone.begin(), gone.end()));
  EXPECT_EQ(LastColour(0), kRed);
  EXPECT_EQ(Segment(1, Trace.Line(1).Count() - 1),
            std::u16string(paths_[0].begin(), paths_[0].end()));
}

TEST_F(UnicodeNamesTest, CliRetagsEveryNameAndPrintsUtf8WhenRedirected) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::filesystem::path exe =
      std::filesystem::path(self).parent_path().parent_path() / L"cli" / L"mirale-cli.exe";
  ASSERT_TRUE(std::filesystem::exists(exe)) << exe.string();
  std::wstring command = L"\"" + exe.wstring() + L"\" --artist-from-name --title-from-name";
  for (const std::wstring& path : paths_) command += L" \"" + path + L"\"";

  const std::wstring outPath = base_ + L"out.txt";
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  HANDLE out = CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(out, INVALID_HANDLE_VALUE);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out;
  startup.hStdError = out;
  PROCESS_INFORMATION process = {};
  std::vector<wchar_t> line(command.begin(), command.end());
  line.push_back(0);
  const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &startup, &process);
  CloseHandle(out);
  ASSERT_TRUE(started);
  ASSERT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
  DWORD status = 1;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  EXPECT_EQ(status, 0u);

  const fixtures::Bytes printed = ReadWhole(outPath);
  const std::string text(printed.begin(), printed.end());
  for (size_t i = 0; i < paths_.size(); ++i) {
    const std::string expected =
        Utf8(paths_[i]) +
        (Songs()[i].artist.empty() ? " \xC2\xB1OK : " : " OK\r\n");  // a text-mode stream
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\nin:\n" << text;
  }
  CheckFiles();
}

}  // namespace
