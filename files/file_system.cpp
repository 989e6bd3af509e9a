// The parts of the file seam that the C library serves alike on both
// platforms (see file_system.h); the rest is in the platform's file_system.cpp.
#include "files/file_system.h"

#include <cerrno>

#include "files/system_error.h"

Status ReadWholeFile(const String& path, std::string& bytes) {
  ScopedFile file;
  const Status opened = OpenFile(path, "rb", file);
  if (!opened.ok()) return opened;
  char buffer[65536];
  size_t n;
  errno = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, file.Get())) > 0) bytes.append(buffer, n);
  if (std::ferror(file.Get()) != 0) return ErrnoStatus("cannot read the file", errno);
  return file.Close();
}

Status WriteBytes(FILE* file, const std::string& bytes) {
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size()) return Status::Ok();
  return ErrnoStatus("cannot write the file", errno);
}

Status FlushToSystem(FILE* file) {
  errno = 0;
  if (std::fflush(file) == 0) return Status::Ok();
  return ErrnoStatus("cannot write the file", errno);
}

FileKind KindOfFile(const String& path) {
  FileKind kind;
  GetFileKind(path, kind);
  return kind;
}

Status GetFileIdentity(const String& path, FileIdentity& identity) {
  FileState state;
  const Status queried = GetFileState(path, state);
  if (queried.ok()) identity = state.identity;
  return queried;
}

Status GetOpenFileIdentity(FILE* file, FileIdentity& identity) {
  FileState state;
  const Status queried = GetOpenFileState(file, state);
  if (queried.ok()) identity = state.identity;
  return queried;
}
