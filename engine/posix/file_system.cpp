// POSIX answers for file_system.h.
#include "engine/file_system.h"

#include <sys/stat.h>

bool IsReadOnlyFile(const char* path) {
  struct stat info;
  if (stat(path, &info) != 0) return false;
  return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

void KeepFilePermissions(FILE* from, FILE* to) {
  struct stat info;
  if (fstat(fileno(from), &info) == 0) fchmod(fileno(to), info.st_mode & 07777);
}
