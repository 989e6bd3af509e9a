// POSIX file operations and separators. rename() would silently replace an
// existing target, so RenameFile asks the kernel for a non-replacing rename and,
// where the file system cannot do that, links the new name and then unlinks the
// old one (link never replaces either).
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "text/paths.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

const char kPathSeparators[] = "/";

namespace {

// 0 on success, otherwise the errno of the failed call.
int RenameNoReplace(const char* from, const char* to) {
#ifdef SYS_renameat2
  if (syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
  return errno;
#else
  (void)from;
  (void)to;
  return ENOSYS;
#endif
}

}  // namespace

bool RenameFile(const char* from, const char* to) {
  if (from == nullptr || to == nullptr) return false;
  const int error = RenameNoReplace(from, to);
  if (error == 0) return true;
  if (error != EINVAL && error != ENOSYS) return false;
  // EEXIST here too when the target exists, so the promise holds.
  if (link(from, to) != 0) return false;
  if (unlink(from) != 0) {
    // Undo: the target name did not exist before the link.
    unlink(to);
    return false;
  }
  return true;
}

bool RemoveFile(const char* path) { return path != nullptr && std::remove(path) == 0; }
