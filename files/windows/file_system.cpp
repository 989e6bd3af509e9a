// Windows side of the file seam (see file_system.h): UTF-8 paths become UTF-16
// at each call, so any name on disk can be reached and none is best-fit mapped
// to another. The C runtime's calls report through errno, the Win32 calls
// through GetLastError, each mapped in one place. msvcrt's _wrename never
// replaces an existing file, which is exactly what the ".old" backup needs.
#include "files/file_system.h"

#include <windows.h>
// after windows.h
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

#include "files/system_error.h"
#include "files/windows/scoped_handle.h"
#include "text/encodings.h"
#include "text/wide_string.h"
#include "text/windows/wide_path.h"

bool DescriptorTraits::Close(int descriptor) { return _close(descriptor) == 0; }
FILE* DescriptorTraits::OpenStream(int descriptor, const char* mode) {
  return _fdopen(descriptor, mode);
}

namespace {

// The status of the C runtime call that just failed.
Status Failed(const char* detail) { return ErrnoStatus(detail, errno); }

const SystemErrorCode kWin32Codes[] = {
    {ERROR_FILE_NOT_FOUND, StatusCode::kNotFound},
    {ERROR_PATH_NOT_FOUND, StatusCode::kNotFound},
    {ERROR_INVALID_DRIVE, StatusCode::kNotFound},
    {ERROR_FILE_EXISTS, StatusCode::kExists},
    {ERROR_ALREADY_EXISTS, StatusCode::kExists},
    {ERROR_ACCESS_DENIED, StatusCode::kDenied},
    {ERROR_WRITE_PROTECT, StatusCode::kDenied},
    {ERROR_SHARING_VIOLATION, StatusCode::kBusy},
    {ERROR_LOCK_VIOLATION, StatusCode::kBusy},
    {ERROR_DISK_FULL, StatusCode::kNoSpace},
    {ERROR_HANDLE_DISK_FULL, StatusCode::kNoSpace},
    {ERROR_INVALID_NAME, StatusCode::kInvalid},
    {ERROR_INVALID_PARAMETER, StatusCode::kInvalid},
    {ERROR_FILENAME_EXCED_RANGE, StatusCode::kTooLarge},
};

// The status of the Win32 call that just failed: the one mapping of
// GetLastError to status codes.
Status Win32Failed(const char* detail) {
  return StatusOfError(detail, static_cast<int>(GetLastError()), kWin32Codes,
                       sizeof kWin32Codes / sizeof kWin32Codes[0]);
}

std::wstring WidePathOf(const String& path) { return WidePath(path.CStr()); }

String PathOfWide(const std::wstring& wide) {
  WideString units(reinterpret_cast<const char16_t*>(wide.c_str()));
  String utf8;
  WideToUtf8(units, utf8);
  return utf8;
}

DWORD AttributesOf(const String& path) { return GetFileAttributesW(WidePathOf(path).c_str()); }

// The Win32 handle beneath a descriptor or a C stream; not owned.
HANDLE HandleOfDescriptor(int file) { return reinterpret_cast<HANDLE>(_get_osfhandle(file)); }
HANDLE HandleOf(FILE* file) { return HandleOfDescriptor(_fileno(file)); }

// Where a read or write of a handle opened without overlapped I/O starts.
OVERLAPPED At(int64_t offset) {
  OVERLAPPED place = {};
  place.Offset = static_cast<DWORD>(offset & 0xFFFFFFFF);
  place.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(offset) >> 32);
  return place;
}

// The most one ReadFile or WriteFile call is given.
constexpr size_t kLargestCall = 1 << 30;

int64_t JoinHalves(DWORD high, DWORD low) { return (static_cast<int64_t>(high) << 32) | low; }

// The identity (volume and file index), size and last-write time of an open handle.
Status StateOfHandle(HANDLE handle, FileState& state) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info)) return Win32Failed("cannot query the file");
  state.identity.device = info.dwVolumeSerialNumber;
  state.identity.index = static_cast<uint64_t>(JoinHalves(info.nFileIndexHigh, info.nFileIndexLow));
  state.stamp.size = JoinHalves(info.nFileSizeHigh, info.nFileSizeLow);
  state.stamp.modified =
      JoinHalves(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime);
  return Status::Ok();
}

// Whether this process may add and remove names in the folder, as its access
// list says; ok whenever that cannot be told (a file system without one).
Status FolderAccess(const std::wstring& folder) {
  const SECURITY_INFORMATION parts =
      OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  DWORD size = 0;
  GetFileSecurityW(folder.c_str(), parts, nullptr, 0, &size);
  if (size == 0) return Status::Ok();
  std::string descriptor(size, '\0');
  HANDLE process = nullptr;
  if (!GetFileSecurityW(folder.c_str(), parts, &descriptor[0], size, &size) ||
      !OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &process)) {
    return Status::Ok();
  }
  ScopedHandle processToken(process);
  HANDLE token = nullptr;
  if (!DuplicateToken(process, SecurityImpersonation, &token)) return Status::Ok();
  ScopedHandle impersonation(token);
  GENERIC_MAPPING mapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                             FILE_ALL_ACCESS};
  DWORD wanted = FILE_ADD_FILE | FILE_DELETE_CHILD;
  MapGenericMask(&wanted, &mapping);
  PRIVILEGE_SET privileges;
  DWORD privilegesSize = sizeof privileges;
  DWORD granted = 0;
  BOOL allowed = TRUE;
  if (AccessCheck(&descriptor[0], token, wanted, &mapping, &privileges, &privilegesSize, &granted,
                  &allowed) &&
      !allowed) {
    return Status(StatusCode::kDenied, "the folder cannot be written",
                  static_cast<int>(ERROR_ACCESS_DENIED));
  }
  return Status::Ok();
}

}  // namespace

Status OpenFile(const String& path, const char* mode, ScopedFile& file) {
  // The modes are ASCII ("rb", "wb", "r+b").
  const std::wstring wideMode(mode, mode + std::strlen(mode));
  file.Reset(_wfopen(WidePathOf(path).c_str(), wideMode.c_str()));
  return file.IsOpen() ? Status::Ok() : Failed("cannot open the file");
}

Status CreateNewFile(const String& path, ScopedFile& file) {
  ScopedDescriptor descriptor(_wopen(
      WidePathOf(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE));
  if (!descriptor.IsValid()) return Failed("cannot create the file");
  return file.Adopt(descriptor, "wb");
}

Status FlushToDisk(FILE* file) {
  const Status flushed = FlushToSystem(file);
  if (!flushed.ok()) return flushed;
  HANDLE handle = HandleOf(file);
  if (handle == INVALID_HANDLE_VALUE) return Status(StatusCode::kInvalid, "no file handle");
  return FlushFileBuffers(handle) != 0 ? Status::Ok()
                                       : Win32Failed("cannot flush the file to the disk");
}

// Windows flushes file by file.
Status FlushFilesToDisk(const std::vector<String>& paths) {
  for (const String& path : paths) {
    ScopedFile file;
    Status status = OpenFile(path, "r+b", file);
    if (status.ok()) status = FlushToDisk(file.Get());
    if (!status.ok()) return status;
  }
  return Status::Ok();
}

// Windows has no writeback to start early: FlushToDisk does it all.
void StartFlushToDisk(FILE* file) { std::fflush(file); }

Status FlushFileToDisk(const String& path) {
  ScopedFile file;
  const Status opened = OpenFile(path, "r+b", file);
  return opened.ok() ? FlushToDisk(file.Get()) : opened;
}

// FlushFileBuffers writes the data and the metadata alike.
Status FlushDataToDisk(FILE* file) { return FlushToDisk(file); }

// NTFS keeps its folders in its own log.
Status FlushFolderToDisk(const String&) { return Status::Ok(); }

Status SeekFile(FILE* file, int64_t offset) {
  return _fseeki64(file, offset, SEEK_SET) == 0 ? Status::Ok() : Failed("cannot seek in the file");
}

Status TruncateOpenFile(FILE* file, int64_t size) {
  const Status flushed = FlushToSystem(file);
  if (!flushed.ok()) return flushed;
  return _chsize_s(_fileno(file), size) == 0 ? Status::Ok() : Failed("cannot cut the file");
}

Status LockOpenFile(FILE* file) {
  HANDLE handle = HandleOf(file);
  if (handle == INVALID_HANDLE_VALUE) return Status(StatusCode::kInvalid, "no file handle");
  // Byte-range locks bar reads of their range: one byte far past any content.
  OVERLAPPED place = {};
  place.OffsetHigh = 0x40000000;
  if (LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &place)) {
    return Status::Ok();
  }
  if (GetLastError() == ERROR_LOCK_VIOLATION || GetLastError() == ERROR_IO_PENDING) {
    return Status(StatusCode::kBusy, "the file is locked", static_cast<int>(GetLastError()));
  }
  return Win32Failed("cannot lock the file");
}

Status RenameFile(const char* from, const char* to) {
  if (from == nullptr || to == nullptr) return Status(StatusCode::kInvalid, "no file name");
  if (_wrename(WidePath(from).c_str(), WidePath(to).c_str()) == 0) return Status::Ok();
  return Failed("cannot rename the file");
}

Status RemoveFile(const char* path) {
  if (path == nullptr) return Status(StatusCode::kInvalid, "no file name");
  return _wremove(WidePath(path).c_str()) == 0 ? Status::Ok() : Failed("cannot remove the file");
}

Status GetFileKind(const String& path, FileKind& kind) {
  kind = FileKind::kMissing;
  const DWORD attributes = AttributesOf(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return Win32Failed("cannot query the file");
  kind = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FileKind::kFolder
         : (attributes & FILE_ATTRIBUTE_DEVICE) != 0  ? FileKind::kOther
                                                      : FileKind::kRegular;
  return Status::Ok();
}

Status CheckNewName(const String& path) {
  const std::wstring whole = FullWidePath(WidePathOf(path));
  const size_t cut = whole.find_last_of(L"\\/");
  if (cut == std::wstring::npos) return Status::Ok();
  const std::wstring folder = whole.substr(0, cut + 1);
  wchar_t root[MAX_PATH * 2];
  DWORD longest = 0;
  if (GetVolumePathNameW(whole.c_str(), root, MAX_PATH * 2) &&
      GetVolumeInformationW(root, nullptr, 0, nullptr, &longest, nullptr, nullptr, 0) &&
      longest > 0 && whole.size() - cut - 1 > longest) {
    return Status(StatusCode::kTooLarge, "the name is too long",
                  static_cast<int>(ERROR_FILENAME_EXCED_RANGE));
  }
  return FolderAccess(folder);
}

bool IsReadOnlyFile(const String& path) {
  const DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

Status GetFileState(const String& path, FileState& state) {
  ScopedHandle file(CreateFileW(WidePathOf(path).c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.IsValid()) return Win32Failed("cannot open the file");
  return StateOfHandle(file.Get(), state);
}

Status GetOpenFileState(FILE* file, FileState& state) {
  return StateOfHandle(HandleOf(file), state);
}

Status GetFileStamp(const String& path, FileStamp& stamp) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(WidePathOf(path).c_str(), GetFileExInfoStandard, &data)) {
    return Win32Failed("cannot query the file");
  }
  stamp.size = JoinHalves(data.nFileSizeHigh, data.nFileSizeLow);
  stamp.modified =
      JoinHalves(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
  return Status::Ok();
}

Status GetOpenFileSize(FILE* file, int64_t& size) {
  LARGE_INTEGER bytes;
  HANDLE handle = HandleOf(file);
  if (handle == INVALID_HANDLE_VALUE) return Status(StatusCode::kInvalid, "no file handle");
  if (!GetFileSizeEx(handle, &bytes)) return Win32Failed("cannot query the open file");
  size = bytes.QuadPart;
  return Status::Ok();
}

Status OpenFileToEdit(const String& path, ScopedDescriptor& file) {
  // Others may read the file while it is edited, but not write it; a file
  // that another process holds open for writing is refused.
  ScopedHandle handle(CreateFileW(WidePathOf(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
  if (!handle.IsValid()) return Win32Failed("cannot open the file");
  file.Reset(_open_osfhandle(reinterpret_cast<intptr_t>(handle.Get()), _O_BINARY));
  if (!file.IsValid()) return Failed("cannot open the file");
  handle.Release();  // the descriptor owns it now
  return Status::Ok();
}

Status ReadFileAt(int file, int64_t offset, void* bytes, size_t size, size_t& got) {
  got = 0;
  HANDLE handle = HandleOfDescriptor(file);
  while (got < size) {
    OVERLAPPED place = At(offset + static_cast<int64_t>(got));
    DWORD n = 0;
    const DWORD wanted = static_cast<DWORD>(std::min(size - got, kLargestCall));
    if (!ReadFile(handle, static_cast<char*>(bytes) + got, wanted, &n, &place)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      return Win32Failed("cannot read the file");
    }
    if (n == 0) break;
    got += n;
  }
  return Status::Ok();
}

Status WriteFileAt(int file, int64_t offset, const void* bytes, size_t size) {
  HANDLE handle = HandleOfDescriptor(file);
  size_t done = 0;
  while (done < size) {
    OVERLAPPED place = At(offset + static_cast<int64_t>(done));
    DWORD n = 0;
    const DWORD wanted = static_cast<DWORD>(std::min(size - done, kLargestCall));
    if (!WriteFile(handle, static_cast<const char*>(bytes) + done, wanted, &n, &place)) {
      return Win32Failed("cannot write the file");
    }
    if (n == 0) return Status(StatusCode::kIoError, "cannot write the file");
    done += n;
  }
  return Status::Ok();
}

Status FlushFileData(int file) {
  return FlushFileBuffers(HandleOfDescriptor(file)) != 0
             ? Status::Ok()
             : Win32Failed("cannot flush the file to the disk");
}

// Windows flushes file by file.
Status FlushOpenFilesData(const std::vector<int>& files) {
  for (const int file : files) {
    const Status flushed = FlushFileData(file);
    if (!flushed.ok()) return flushed;
  }
  return Status::Ok();
}

Status GetDescriptorState(int file, FileState& state) {
  return StateOfHandle(HandleOfDescriptor(file), state);
}

// Windows has no call that drops a file's cached pages.
void ForgetCachedBytes(int, int64_t, int64_t) {}
void StartReadingBytes(int, int64_t, int64_t) {}

String FollowLinks(const String& path) { return path; }

void KeepFileOwnership(FILE*, FILE*) {}

Status ListFolder(const String& folder, std::vector<FolderEntry>& entries) {
  WIN32_FIND_DATAW found;
  ScopedFindHandle search(FindFirstFileW((WidePathOf(folder) + L"\\*").c_str(), &found));
  if (!search.IsValid()) return Win32Failed("cannot list the folder");
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    FolderEntry entry;
    entry.name = PathOfWide(name);
    entry.isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                     (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
    entries.push_back(entry);
  } while (FindNextFileW(search.Get(), &found));
  return Status::Ok();
}

Status MakeFolders(const String& path) {
  const std::wstring whole = WidePathOf(path);
  // Each folder on the way is made when missing (a drive's root cannot be,
  // and need not); whether the whole path is a folder after is what counts.
  for (size_t at = whole.find_first_of(L"\\/", 3); at != std::wstring::npos;
       at = whole.find_first_of(L"\\/", at + 1)) {
    CreateDirectoryW(whole.substr(0, at).c_str(), nullptr);
  }
  CreateDirectoryW(whole.c_str(), nullptr);
  return KindOfFile(path) == FileKind::kFolder
             ? Status::Ok()
             : Status(StatusCode::kNotFound, "cannot make the folder");
}

String StateFolder() {
  wchar_t folder[MAX_PATH * 2];
  const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", folder, MAX_PATH * 2);
  if (n == 0 || n >= MAX_PATH * 2) return String();
  return PathOfWide(std::wstring(folder, n) + L"\\Mirale");
}

String AbsolutePath(const String& path) { return PathOfWide(FullWidePath(WidePathOf(path))); }
