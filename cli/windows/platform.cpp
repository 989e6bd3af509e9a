// Windows side of the command line (see platform.h): the command line is read
// as UTF-16 and file names go through the ANSI code page, as in the dialog.
#include <windows.h>
// after windows.h
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "cli/platform.h"
#include "engine/language.h"
#include "text/control_text.h"
#include "text/encodings.h"

namespace {
std::string Utf8Of(const wchar_t* text, int length) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n : 0, '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text, length, &out[0], n, nullptr, nullptr);
  return out;
}
}  // namespace

std::vector<std::string> CommandLineArguments(int, char**) {
  std::vector<std::string> arguments;
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = 1; i < count; ++i) arguments.push_back(Utf8Of(words[i], -1).c_str());
  LocalFree(words);
  return arguments;
}

String PathFromArgument(const std::string& utf8) {
  WideString wide;
  Utf8ToWide(utf8.c_str(), wide);
  const wchar_t* units = reinterpret_cast<const wchar_t*>(wide.CStr());
  const int n = WideCharToMultiByte(CP_ACP, 0, units, wide.Length(), nullptr, 0, nullptr, nullptr);
  String path;
  if (n <= 0) return path;
  path.SetLength(n, 0);
  WideCharToMultiByte(CP_ACP, 0, units, wide.Length(), path.GetBuffer(), n, nullptr, nullptr);
  return path;
}

std::string DisplayPath(const String& path) {
  const WideString wide = AnsiToWide(path);
  return Utf8Of(reinterpret_cast<const wchar_t*>(wide.CStr()), wide.Length());
}

FileNameEncoding PlatformFileNames() { return FileNameEncoding::Windows1252; }

bool WantsColour() { return _isatty(_fileno(stdout)) && std::getenv("NO_COLOR") == nullptr; }

bool UserWantsFrench() { return IsFrenchLanguageId(GetUserDefaultLangID()); }

void PrepareConsole() { SetConsoleOutputCP(CP_UTF8); }

namespace {
// Engine paths and UTF-16, the one place that knows how the engine's paths are
// encoded (the same as PathFromArgument gives).
std::wstring WidePathOf(const String& path) {
  const WideString wide = AnsiToWide(path);
  return std::wstring(reinterpret_cast<const wchar_t*>(wide.CStr()),
                      static_cast<size_t>(wide.Length()));
}
String PathOfWide(const std::wstring& wide) {
  return PathFromArgument(Utf8Of(wide.c_str(), static_cast<int>(wide.size())));
}
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

String AbsolutePath(const String& path) {
  const std::wstring wide = WidePathOf(path);
  const DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (n == 0) return path;
  std::wstring full(n, L'\0');
  const DWORD written = GetFullPathNameW(wide.c_str(), n, &full[0], nullptr);
  if (written == 0 || written >= n) return path;
  full.resize(written);
  return PathOfWide(full);
}

bool IsTerminal(FILE* stream) { return _isatty(_fileno(stream)) != 0; }
