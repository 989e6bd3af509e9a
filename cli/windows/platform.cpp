// Windows side of the command line (see platform.h): the command line is read
// as UTF-16 and kept as UTF-8, as every path is; the file calls make it UTF-16
// again, so no name goes through the ANSI code page.
#include <windows.h>
// after windows.h
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "cli/platform.h"
#include "engine/file_system.h"
#include "engine/language.h"
#include "text/encodings.h"
#include "text/windows/wide_path.h"

namespace {

std::string Utf8Of(const wchar_t* text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return std::string();
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n - 1));  // without the terminator
  return out;
}

// The console behind stream, or null when the stream goes to a file or a pipe.
HANDLE ConsoleOf(FILE* stream) {
  const int descriptor = _fileno(stream);
  if (descriptor < 0) return nullptr;
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
  DWORD mode = 0;
  if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) return nullptr;
  return handle;
}

}  // namespace

std::vector<std::string> CommandLineArguments(int, char**) {
  std::vector<std::string> arguments;
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  if (words == nullptr) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(Utf8Of(words[i]));
  LocalFree(words);
  return arguments;
}

String PathFromArgument(const std::string& utf8) { return String(utf8.c_str()); }

std::string DisplayPath(const String& path) { return std::string(path.CStr()); }

bool IsFolder(const String& path) { return KindOfFile(path) == FileKind::kFolder; }

bool WantsColour() { return _isatty(_fileno(stdout)) && std::getenv("NO_COLOR") == nullptr; }

bool UserWantsFrench() { return IsFrenchLanguageId(GetUserDefaultLangID()); }

void WriteText(FILE* stream, const std::string& utf8) {
  HANDLE console = ConsoleOf(stream);
  if (console == nullptr) {
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
    return;
  }
  // What the stream holds goes first, so that the order on screen is kept.
  std::fflush(stream);
  WideString wide;
  Utf8ToWide(utf8.c_str(), wide);
  DWORD written = 0;
  WriteConsoleW(console, wide.CStr(), static_cast<DWORD>(wide.Length()), &written, nullptr);
}
namespace {
// Engine paths (UTF-8) and UTF-16.
std::wstring WidePathOf(const String& path) { return WidePath(path.CStr()); }
String PathOfWide(const std::wstring& wide) { return String(Utf8Of(wide.c_str()).c_str()); }
}  // namespace

bool GetFileStamp(const String& path, FileStamp& stamp) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(WidePathOf(path).c_str(), GetFileExInfoStandard, &data)) return false;
  stamp.size = (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  stamp.modified = (static_cast<int64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                   data.ftLastWriteTime.dwLowDateTime;
  return true;
}

String StateFolder() {
  wchar_t folder[MAX_PATH * 2];
  const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", folder, MAX_PATH * 2);
  if (n == 0 || n >= MAX_PATH * 2) return String();
  return PathOfWide(std::wstring(folder, n) + L"\\Mirale");
}

bool MakeFolders(const String& path) {
  const std::wstring whole = WidePathOf(path);
  for (size_t at = whole.find_first_of(L"\\/", 3); at != std::wstring::npos;
       at = whole.find_first_of(L"\\/", at + 1)) {
    CreateDirectoryW(whole.substr(0, at).c_str(), nullptr);
  }
  CreateDirectoryW(whole.c_str(), nullptr);
  const DWORD attributes = GetFileAttributesW(whole.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

FILE* CreateNewFile(const String& path) {
  const int descriptor = _wopen(WidePathOf(path).c_str(),
                                _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (descriptor < 0) return nullptr;
  FILE* file = _fdopen(descriptor, "wb");
  if (file == nullptr) _close(descriptor);
  return file;
}

bool ListFolder(const String& folder, std::vector<FolderEntry>& entries) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((WidePathOf(folder) + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    FolderEntry entry;
    entry.name = PathOfWide(name);
    entry.isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                     (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
    entries.push_back(entry);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return true;
}

String AbsolutePath(const String& path) { return PathOfWide(FullWidePath(WidePathOf(path))); }

bool IsTerminal(FILE* stream) { return _isatty(_fileno(stream)) != 0; }

// The Windows heap keeps freed blocks for reuse by itself.
void KeepBuffersForManyFiles() {}
