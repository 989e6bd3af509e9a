// Windows file operations and separators. msvcrt's rename never replaces an
// existing file, which is exactly what the ".old" backup needs.
#include <cstdio>

#include "text/paths.h"

const char kPathSeparators[] = "\\/:";

bool RenameFile(const char* from, const char* to) {
  return from != nullptr && to != nullptr && std::rename(from, to) == 0;
}

bool RemoveFile(const char* path) { return path != nullptr && std::remove(path) == 0; }
