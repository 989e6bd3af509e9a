// Windows answers for file_system.h: UTF-8 paths become UTF-16 at each call,
// so any name on disk can be reached and none is best-fit mapped to another.
#include "engine/file_system.h"

#include <windows.h>
// after windows.h
#include <io.h>

#include <cstring>
#include <string>

#include "text/windows/wide_path.h"

namespace {

DWORD AttributesOf(const String& path) { return GetFileAttributesW(WidePath(path.CStr()).c_str()); }

}  // namespace

FILE* OpenFile(const String& path, const char* mode) {
  // The modes are ASCII ("rb", "wb", "r+b").
  const std::wstring wideMode(mode, mode + std::strlen(mode));
  return _wfopen(WidePath(path.CStr()).c_str(), wideMode.c_str());
}

bool IsReadOnlyFile(const String& path) {
  const DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

FileKind KindOfFile(const String& path) {
  const DWORD attributes = AttributesOf(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return FileKind::kMissing;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return FileKind::kFolder;
  if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) return FileKind::kOther;
  return FileKind::kRegular;
}

bool GetFileIdentity(const String& path, FileIdentity& identity) {
  HANDLE file = CreateFileW(WidePath(path.CStr()).c_str(), 0,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  const bool ok = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  if (!ok) return false;
  identity.device = info.dwVolumeSerialNumber;
  identity.index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}

String FollowLinks(const String& path) { return path; }

int64_t OpenFileSize(FILE* file) {
  LARGE_INTEGER size;
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  if (handle == INVALID_HANDLE_VALUE || !GetFileSizeEx(handle, &size)) return -1;
  return size.QuadPart;
}

bool FlushToDisk(FILE* file) {
  if (std::fflush(file) != 0) return false;
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle) != 0;
}

// Windows flushes file by file.
bool FlushFilesToDisk(const std::vector<String>& paths) {
  for (const String& path : paths) {
    FILE* file = OpenFile(path, "r+b");
    if (file == nullptr) return false;
    const bool ok = FlushToDisk(file);
    std::fclose(file);
    if (!ok) return false;
  }
  return true;
}

// Windows has no writeback to start early: FlushToDisk does it all.
void StartFlushToDisk(FILE* file) { std::fflush(file); }

void KeepFileOwnership(FILE*, FILE*) {}
