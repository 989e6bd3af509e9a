// POSIX side of the file seam (see file_system.h): paths are the bytes the
// system takes. rename() would silently replace an existing target, so
// RenameFile asks the kernel for a non-replacing rename and, where the file
// system cannot do that, links the new name and then unlinks the old one (link
// never replaces either).
#include "files/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "files/system_error.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

bool DescriptorTraits::Close(int descriptor) { return close(descriptor) == 0; }
FILE* DescriptorTraits::OpenStream(int descriptor, const char* mode) {
  return fdopen(descriptor, mode);
}

namespace {

struct FolderListingTraits {
  using Value = DIR*;
  static DIR* Invalid() { return nullptr; }
  static bool Close(DIR* listing) { return closedir(listing) == 0; }
};
using ScopedFolderListing = ScopedResource<FolderListingTraits>;

// The status of the call that just failed, from errno.
Status Failed(const char* detail) { return ErrnoStatus(detail, errno); }

// A file's identity and stamp from what stat gave.
void StateOfStat(const struct stat& info, FileState& state) {
  state.identity.device = static_cast<uint64_t>(info.st_dev);
  state.identity.index = static_cast<uint64_t>(info.st_ino);
  state.stamp.size = static_cast<int64_t>(info.st_size);
  state.stamp.modified =
      static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

Status StatPath(const String& path, struct stat& info) {
  return stat(path.CStr(), &info) == 0 ? Status::Ok() : Failed("cannot query the file");
}

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

Status OpenFile(const String& path, const char* mode, ScopedFile& file) {
  file.Reset(std::fopen(path.CStr(), mode));
  return file.IsOpen() ? Status::Ok() : Failed("cannot open the file");
}

Status CreateNewFile(const String& path, ScopedFile& file) {
  ScopedDescriptor descriptor(open(path.CStr(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
  if (!descriptor.IsValid()) return Failed("cannot create the file");
  return file.Adopt(descriptor, "wb");
}

Status FlushToDisk(FILE* file) {
  const Status flushed = FlushToSystem(file);
  if (!flushed.ok()) return flushed;
  return fsync(fileno(file)) == 0 ? Status::Ok() : Failed("cannot flush the file to the disk");
}

Status FlushFilesToDisk(const std::vector<String>& paths) {
  // One syncfs per file system holding any of the files.
  std::vector<dev_t> done;
  for (const String& path : paths) {
    struct stat info;
    const Status queried = StatPath(path, info);
    if (!queried.ok()) return queried;
    if (std::find(done.begin(), done.end(), info.st_dev) != done.end()) continue;
    ScopedDescriptor descriptor(open(path.CStr(), O_RDONLY | O_CLOEXEC));
    if (!descriptor.IsValid()) return Failed("cannot open the file");
    if (syncfs(descriptor.Get()) != 0) return Failed("cannot flush the files to the disk");
    done.push_back(info.st_dev);
  }
  return Status::Ok();
}

void StartFlushToDisk(FILE* file) {
#ifdef SYNC_FILE_RANGE_WRITE
  // A hint only: FlushToDisk still waits for everything and reports errors.
  if (std::fflush(file) == 0) sync_file_range(fileno(file), 0, 0, SYNC_FILE_RANGE_WRITE);
#else
  std::fflush(file);
#endif
}

Status FlushFileToDisk(const String& path) {
  // fsync takes a descriptor open for reading alone.
  ScopedDescriptor descriptor(open(path.CStr(), O_RDONLY | O_CLOEXEC));
  if (!descriptor.IsValid()) return Failed("cannot open the file");
  return fsync(descriptor.Get()) == 0 ? Status::Ok() : Failed("cannot flush the file to the disk");
}

Status FlushDataToDisk(FILE* file) {
  const Status flushed = FlushToSystem(file);
  if (!flushed.ok()) return flushed;
  return fdatasync(fileno(file)) == 0 ? Status::Ok() : Failed("cannot flush the file to the disk");
}

Status FlushFolderToDisk(const String& folder) {
  ScopedDescriptor descriptor(open(folder.CStr(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!descriptor.IsValid()) return Failed("cannot open the folder");
  return fsync(descriptor.Get()) == 0 ? Status::Ok()
                                      : Failed("cannot flush the folder to the disk");
}

Status SeekFile(FILE* file, int64_t offset) {
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0
             ? Status::Ok()
             : Failed("cannot seek in the file");
}

Status TruncateOpenFile(FILE* file, int64_t size) {
  const Status flushed = FlushToSystem(file);
  if (!flushed.ok()) return flushed;
  return ftruncate(fileno(file), static_cast<off_t>(size)) == 0 ? Status::Ok()
                                                                : Failed("cannot cut the file");
}

Status LockOpenFile(FILE* file) {
  if (flock(fileno(file), LOCK_EX | LOCK_NB) == 0) return Status::Ok();
  if (errno == EWOULDBLOCK) return Status(StatusCode::kBusy, "the file is locked", errno);
  return Failed("cannot lock the file");
}

Status RenameFile(const char* from, const char* to) {
  if (from == nullptr || to == nullptr) return Status(StatusCode::kInvalid, "no file name");
  const int error = RenameNoReplace(from, to);
  if (error == 0) return Status::Ok();
  if (error != EINVAL && error != ENOSYS) return ErrnoStatus("cannot rename the file", error);
  // EEXIST here too when the target exists, so the promise holds.
  if (link(from, to) != 0) return Failed("cannot rename the file");
  if (unlink(from) != 0) {
    const Status failed = Failed("cannot rename the file");
    // Undo: the target name did not exist before the link.
    unlink(to);
    return failed;
  }
  return Status::Ok();
}

Status RemoveFile(const char* path) {
  if (path == nullptr) return Status(StatusCode::kInvalid, "no file name");
  return std::remove(path) == 0 ? Status::Ok() : Failed("cannot remove the file");
}

Status GetFileKind(const String& path, FileKind& kind) {
  struct stat info;
  kind = FileKind::kMissing;
  const Status queried = StatPath(path, info);
  if (!queried.ok()) return queried;
  kind = S_ISREG(info.st_mode)   ? FileKind::kRegular
         : S_ISDIR(info.st_mode) ? FileKind::kFolder
                                 : FileKind::kOther;
  return Status::Ok();
}

Status CheckNewName(const String& path) {
  const std::string whole(path.CStr());
  const size_t slash = whole.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : whole.substr(0, slash + 1);
  const size_t nameLength = slash == std::string::npos ? whole.size() : whole.size() - slash - 1;
  errno = 0;
  const long longest = pathconf(folder.c_str(), _PC_NAME_MAX);
  if (longest > 0 && nameLength > static_cast<size_t>(longest)) {
    return Status(StatusCode::kTooLarge, "the name is too long", ENAMETOOLONG);
  }
  // Making and removing a name takes writing and searching the folder, as the
  // process itself (root passes, a read-only mount does not).
  if (faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0 && errno != ENOENT) {
    return Failed("the folder cannot be written");
  }
  return Status::Ok();
}

bool IsReadOnlyFile(const String& path) {
  struct stat info;
  if (stat(path.CStr(), &info) != 0) return false;
  return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

Status GetFileStamp(const String& path, FileStamp& stamp) {
  FileState state;
  const Status queried = GetFileState(path, state);
  if (queried.ok()) stamp = state.stamp;
  return queried;
}

Status GetFileState(const String& path, FileState& state) {
  struct stat info;
  const Status queried = StatPath(path, info);
  if (queried.ok()) StateOfStat(info, state);
  return queried;
}

Status GetOpenFileState(FILE* file, FileState& state) {
  struct stat info;
  if (fstat(fileno(file), &info) != 0) return Failed("cannot query the open file");
  StateOfStat(info, state);
  return Status::Ok();
}

Status GetOpenFileSize(FILE* file, int64_t& size) {
  struct stat info;
  if (fstat(fileno(file), &info) != 0) return Failed("cannot query the open file");
  size = static_cast<int64_t>(info.st_size);
  return Status::Ok();
}

Status OpenFileToEdit(const String& path, ScopedDescriptor& file) {
  file.Reset(open(path.CStr(), O_RDWR | O_CLOEXEC));
  return file.IsValid() ? Status::Ok() : Failed("cannot open the file");
}

Status ReadFileAt(int file, int64_t offset, void* bytes, size_t size, size_t& got) {
  got = 0;
  while (got < size) {
    const ssize_t n = pread(file, static_cast<char*>(bytes) + got, size - got,
                            static_cast<off_t>(offset + static_cast<int64_t>(got)));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Failed("cannot read the file");
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  return Status::Ok();
}

Status WriteFileAt(int file, int64_t offset, const void* bytes, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = pwrite(file, static_cast<const char*>(bytes) + done, size - done,
                             static_cast<off_t>(offset + static_cast<int64_t>(done)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Failed("cannot write the file");
    done += static_cast<size_t>(n);
  }
  return Status::Ok();
}

Status FlushFileData(int file) {
  return fdatasync(file) == 0 ? Status::Ok() : Failed("cannot flush the file to the disk");
}

Status FlushOpenFilesData(const std::vector<int>& files) {
  // One syncfs per file system holding any of the files.
  std::vector<dev_t> done;
  for (const int file : files) {
    struct stat info;
    if (fstat(file, &info) != 0) return Failed("cannot query the open file");
    if (std::find(done.begin(), done.end(), info.st_dev) != done.end()) continue;
    if (syncfs(file) != 0) return Failed("cannot flush the files to the disk");
    done.push_back(info.st_dev);
  }
  return Status::Ok();
}

Status GetDescriptorState(int file, FileState& state) {
  struct stat info;
  if (fstat(file, &info) != 0) return Failed("cannot query the open file");
  StateOfStat(info, state);
  return Status::Ok();
}

namespace {

// Advice on the whole pages that hold these bytes; none for no bytes (a size
// of 0 would mean the rest of the file).
void AdviseOnPages(int file, int64_t offset, int64_t size, int advice) {
  if (size <= 0) return;
  const int64_t page = sysconf(_SC_PAGESIZE) > 0 ? sysconf(_SC_PAGESIZE) : 4096;
  const int64_t start = offset / page * page;
  const int64_t end = (offset + size + page - 1) / page * page;
  posix_fadvise(file, static_cast<off_t>(start), static_cast<off_t>(end - start), advice);
}

}  // namespace

void ForgetCachedBytes(int file, int64_t offset, int64_t size) {
  // The system forgets whole pages only, and only clean ones: the bytes must
  // have been flushed first.
  AdviseOnPages(file, offset, size, POSIX_FADV_DONTNEED);
}

void StartReadingBytes(int file, int64_t offset, int64_t size) {
  AdviseOnPages(file, offset, size, POSIX_FADV_WILLNEED);
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

Status ListFolder(const String& folder, std::vector<FolderEntry>& entries) {
  ScopedFolderListing listing(opendir(folder.CStr()));
  if (!listing.IsValid()) return Failed("cannot list the folder");
  while (const dirent* entry = readdir(listing.Get())) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    struct stat info;
    FolderEntry found;
    found.name.Assign(entry->d_name);
    // Relative to the open folder: a path too long to name whole is still seen.
    found.isFolder =
        fstatat(dirfd(listing.Get()), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISDIR(info.st_mode);
    entries.push_back(found);
  }
  return Status::Ok();
}

Status MakeFolders(const String& path) {
  std::string partial;
  const std::string whole(path.CStr());
  for (size_t at = 0; at != std::string::npos;) {
    at = whole.find('/', at + 1);
    partial = whole.substr(0, at);
    if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
      return Failed("cannot make the folder");
  }
  return KindOfFile(path) == FileKind::kFolder ? Status::Ok()
                                               : Status(StatusCode::kExists, "not a folder");
}

String StateFolder() {
  // A relative XDG_STATE_HOME is invalid and ignored, as the base directory rules ask.
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state != nullptr && state[0] == '/') return Concat(String(state), "/mirale");
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == 0) return String();
  return Concat(String(home), "/.local/state/mirale");
}

String AbsolutePath(const String& path) {
  if (path.CStr()[0] == '/') return path;
  char* folder = getcwd(nullptr, 0);
  if (folder == nullptr) return path;
  String absolute = Concat(Concat(String(folder), "/"), path.CStr());
  std::free(folder);
  return absolute;
}
