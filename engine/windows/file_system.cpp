// Windows answers for file_system.h.
#include "engine/file_system.h"

#include <windows.h>

bool IsReadOnlyFile(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// A new file gets normal attributes; read-only files are never rewritten.
void KeepFilePermissions(FILE*, FILE*) {}
