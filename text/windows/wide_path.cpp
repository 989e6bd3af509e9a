// UTF-8 to UTF-16 paths for the file calls (see wide_path.h).
#include "text/windows/wide_path.h"

#include <windows.h>

#include <cwchar>

#include "text/encodings.h"
#include "text/wide_string.h"

namespace {

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
  return text.compare(0, std::wcslen(prefix), prefix) == 0;
}

}  // namespace

std::wstring FullWidePath(const std::wstring& path) {
  const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(path.c_str(), size, &full[0], nullptr);
  if (length == 0 || length >= size) return path;
  full.resize(length);
  return full;
}

std::wstring WidePath(const char* utf8) {
  WideString units;
  Utf8ToWide(utf8, units);
  std::wstring path(reinterpret_cast<const wchar_t*>(units.CStr()),
                    static_cast<size_t>(units.Length()));
  if (path.size() < MAX_PATH || StartsWith(path, L"\\\\?\\")) return path;
  // The prefix also turns off the system's own clean-up of the path, so it is
  // done first: made absolute, slashes turned to backslashes, "." and ".." resolved.
  const std::wstring full = FullWidePath(path);
  if (StartsWith(full, L"\\\\.\\") || StartsWith(full, L"\\\\?\\")) return full;
  if (StartsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}
