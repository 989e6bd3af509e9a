// Windows side of the command line (see platform.h): the command line is read
// as UTF-16 and file names go through the ANSI code page, as in the dialog.
#include <windows.h>
// after windows.h
#include <io.h>
#include <shellapi.h>

#include <cstdlib>

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
