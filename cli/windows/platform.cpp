// Windows side of the command line (see platform.h): the command line is read
// as UTF-16 and kept as UTF-8, as every path is; the file calls make it UTF-16
// again, so no name goes through the ANSI code page.
#include <windows.h>
// after windows.h
#include <io.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>

#include "cli/platform.h"
#include "engine/language.h"
#include "text/encodings.h"

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
uint64_t CurrentProcessId() { return GetCurrentProcessId(); }

bool IsTerminal(FILE* stream) { return _isatty(_fileno(stream)) != 0; }

// The Windows heap keeps freed blocks for reuse by itself.
void KeepBuffersForManyFiles() {}
