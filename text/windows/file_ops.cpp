// Windows file operations and separators, on UTF-8 paths made wide for the
// call. msvcrt's _wrename never replaces an existing file, which is exactly
// what the ".old" backup needs.
#include <cstdio>

#include "text/paths.h"
#include "text/windows/wide_path.h"

const char kPathSeparators[] = "\\/:";

bool RenameFile(const char* from, const char* to) {
  return from != nullptr && to != nullptr &&
         _wrename(WidePath(from).c_str(), WidePath(to).c_str()) == 0;
}

bool RemoveFile(const char* path) {
  return path != nullptr && _wremove(WidePath(path).c_str()) == 0;
}
