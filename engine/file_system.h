// The engine's seam to the disk for what differs between platforms: opening a
// file by its UTF-8 path, what kind of file a path names and which file it is,
// flushing a file to the disk, and what a rewritten file keeps of the original
// (permissions, owner). Rename and removal live with the paths (text/paths.h).
#pragma once
#include <cstdint>
#include <cstdio>
#include <vector>

#include "text/shared_string.h"

// Opens path with a C library mode ("rb", "wb"); null on failure. The caller
// owns the stream.
FILE* OpenFile(const String& path, const char* mode);

// True when the file exists and may not be written: the read-only attribute on
// Windows, no write bit on POSIX. A file that cannot be queried is not read-only.
bool IsReadOnlyFile(const String& path);

enum class FileKind { kMissing, kRegular, kFolder, kOther };
// What path names, links followed: a FIFO or a device is kOther.
FileKind KindOfFile(const String& path);

// Which file a path reaches, links followed: two paths with equal identities
// name the same file (a link, a hard link, "./x" beside "x").
struct FileIdentity {
  uint64_t device = 0;
  uint64_t index = 0;
  bool operator==(const FileIdentity& other) const {
    return device == other.device && index == other.index;
  }
  bool operator<(const FileIdentity& other) const {
    return device != other.device ? device < other.device : index < other.index;
  }
};
// False when the path cannot be queried.
bool GetFileIdentity(const String& path, FileIdentity& identity);

// The path of the file itself when path is a symbolic link (its final target),
// so that the file is rewritten where it lies and the link stays a link;
// otherwise path unchanged.
String FollowLinks(const String& path);

// The size of an open file in bytes, or -1 when it cannot be told.
int64_t OpenFileSize(FILE* file);

// Writes the stream's buffers and asks the system to put the file on the disk.
bool FlushToDisk(FILE* file);

// Puts these files on the disk, at less cost than one flush each where the
// system can flush a whole file system at once.
bool FlushFilesToDisk(const std::vector<String>& paths);

// Asks the system to start putting the file's written data on the disk without
// waiting, where it can, so that a FlushToDisk after more work waits less.
void StartFlushToDisk(FILE* file);

// Gives the file open as to what it should keep of the file open as from: the
// permission bits rwxrwxrwx (never setuid, setgid or sticky) and, where the
// process may, the owner and group. Nothing to do on Windows, where a new file
// gets normal attributes and read-only files are never rewritten.
void KeepFileOwnership(FILE* from, FILE* to);
