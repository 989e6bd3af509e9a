// POSIX answers for file_system.h: paths are the bytes the system takes.
#include "engine/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

FILE* OpenFile(const String& path, const char* mode) { return std::fopen(path.CStr(), mode); }

bool IsReadOnlyFile(const String& path) {
  struct stat info;
  if (stat(path.CStr(), &info) != 0) return false;
  return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

FileKind KindOfFile(const String& path) {
  struct stat info;
  if (stat(path.CStr(), &info) != 0) return FileKind::kMissing;
  if (S_ISREG(info.st_mode)) return FileKind::kRegular;
  if (S_ISDIR(info.st_mode)) return FileKind::kFolder;
  return FileKind::kOther;
}

bool GetFileIdentity(const String& path, FileIdentity& identity) {
  struct stat info;
  if (stat(path.CStr(), &info) != 0) return false;
  identity.device = static_cast<uint64_t>(info.st_dev);
  identity.index = static_cast<uint64_t>(info.st_ino);
  return true;
}

String FollowLinks(const String& path) {
  struct stat info;
  if (lstat(path.CStr(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  char* resolved = realpath(path.CStr(), nullptr);
  if (resolved == nullptr) return path;
  String target(resolved);
  std::free(resolved);
  return target;
}

int64_t OpenFileSize(FILE* file) {
  struct stat info;
  if (fstat(fileno(file), &info) != 0) return -1;
  return static_cast<int64_t>(info.st_size);
}

bool FlushToDisk(FILE* file) { return std::fflush(file) == 0 && fsync(fileno(file)) == 0; }

bool FlushFilesToDisk(const std::vector<String>& paths) {
  // One syncfs per file system holding any of the files.
  std::vector<dev_t> done;
  for (const String& path : paths) {
    struct stat info;
    if (stat(path.CStr(), &info) != 0) return false;
    if (std::find(done.begin(), done.end(), info.st_dev) != done.end()) continue;
    const int fd = open(path.CStr(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = syncfs(fd) == 0;
    close(fd);
    if (!ok) return false;
    done.push_back(info.st_dev);
  }
  return true;
}

void StartFlushToDisk(FILE* file) {
#ifdef SYNC_FILE_RANGE_WRITE
  // A hint only: FlushToDisk still waits for everything and reports errors.
  if (std::fflush(file) == 0) sync_file_range(fileno(file), 0, 0, SYNC_FILE_RANGE_WRITE);
#else
  std::fflush(file);
#endif
}

void KeepFileOwnership(FILE* from, FILE* to) {
  struct stat info;
  if (fstat(fileno(from), &info) != 0) return;
  // Only root may give a file away; for anyone else the owner is already right.
  // The owner goes first: a change of owner would clear the mode's special bits.
  if (geteuid() == 0) {
    if (fchown(fileno(to), info.st_uid, info.st_gid) != 0) {
      // The new file stays root's, with the original's permission bits.
    }
  }
  fchmod(fileno(to), info.st_mode & 0777);
}
