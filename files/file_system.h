// The file seam: every call by which Mirale reaches the disk, on UTF-8 paths
// on both platforms (the Windows side makes them UTF-16 at each call, so any
// name on disk can be reached). Opening, reading and writing, flushing to the
// disk, renaming and removing, what a path names, folders, and the state
// folder. Failures come back as a Status whose code says what went wrong.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/status.h"
#include "files/scoped_holders.h"
#include "text/shared_string.h"

// Opening, reading, writing.

// Opens path with a C library mode ("rb", "wb", "r+b", "ab") into file.
Status OpenFile(const String& path, const char* mode, ScopedFile& file);
// Creates a file that must not exist yet and opens it for writing in binary
// (kExists when it does).
Status CreateNewFile(const String& path, ScopedFile& file);
// The whole content of the file at path.
Status ReadWholeFile(const String& path, std::string& bytes);
// Writes all the bytes into the stream's buffer.
Status WriteBytes(FILE* file, const std::string& bytes);
// Hands what the stream holds to the system: it is in the file then, though
// not yet on the disk.
Status FlushToSystem(FILE* file);

// Flushing to the disk.

// Writes the stream's buffers and asks the system to put the file on the disk.
Status FlushToDisk(FILE* file);
// Puts these files on the disk, at less cost than one flush each where the
// system can flush a whole file system at once.
Status FlushFilesToDisk(const std::vector<String>& paths);
// Asks the system to start putting the file's written data on the disk without
// waiting, where it can, so that a FlushToDisk after more work waits less.
void StartFlushToDisk(FILE* file);
// Puts one closed file on the disk: what a group whose FlushFilesToDisk failed
// falls back to, so that one file's failure stays its own.
Status FlushFileToDisk(const String& path);
// Writes the stream's buffers and puts the file's data (and its size) on the
// disk, not its other metadata: the cheapest flush that makes appended bytes
// durable (fdatasync; FlushFileBuffers on Windows).
Status FlushDataToDisk(FILE* file);
// Puts the folder's entries on the disk, so that a file just made in it is
// found after a crash; Windows's file systems need nothing here.
Status FlushFolderToDisk(const String& folder);

// Positions and locks of open files.

// Moves the stream to offset bytes from the start (past 2 GiB too).
Status SeekFile(FILE* file, int64_t offset);
// Cuts the open file to size bytes (after writing the stream's buffers).
Status TruncateOpenFile(FILE* file, int64_t size);
// Takes an exclusive lock on the open file for this stream, without waiting:
// kBusy when another open of it (in any process) holds one. The lock goes when
// the stream is closed. flock on POSIX; LockFileEx on Windows, on a byte far
// past any content, so that others may still read the file.
Status LockOpenFile(FILE* file);

// Names.

// Moves from to to. Never replaces an existing target (kExists): the backup
// copy may be the only intact copy of a file. kInvalid for a null argument.
Status RenameFile(const char* from, const char* to);
// Deletes the file; kInvalid for a null argument.
Status RemoveFile(const char* path);

// What a path names.

enum class FileKind { kMissing, kRegular, kFolder, kOther };
// What path names, links followed: a FIFO or a device is kOther.
FileKind KindOfFile(const String& path);
// The same, with why a path could not be queried: kNotFound, kTooLarge (a path
// or name longer than the system takes), kDenied...; kind is kMissing then.
Status GetFileKind(const String& path, FileKind& kind);

// Whether a new name could be made where path points, as a rename to it would:
// kTooLarge when its last part passes the file system's limit on names,
// kDenied when its folder may not be written. Ok when it cannot be told.
Status CheckNewName(const String& path);

// True when the file exists and may not be written: the read-only attribute on
// Windows, no write bit on POSIX. A file that cannot be queried is not read-only.
bool IsReadOnlyFile(const String& path);

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
Status GetFileIdentity(const String& path, FileIdentity& identity);
// The identity of the file a stream has open: tells whether a path still names it.
Status GetOpenFileIdentity(FILE* file, FileIdentity& identity);

// A file's size and last-write time (links followed): a file whose stamp is
// unchanged has not been written since. The time is in the system's own units.
struct FileStamp {
  int64_t size = -1;
  int64_t modified = 0;
  bool operator==(const FileStamp& other) const {
    return size == other.size && modified == other.modified;
  }
  bool operator!=(const FileStamp& other) const { return !(*this == other); }
};
Status GetFileStamp(const String& path, FileStamp& stamp);

// Which file a path reaches and its stamp: a file whose state is unchanged is
// the same file, not written since.
struct FileState {
  FileIdentity identity;
  FileStamp stamp;
  bool operator==(const FileState& other) const {
    return identity == other.identity && stamp == other.stamp;
  }
  bool operator!=(const FileState& other) const { return !(*this == other); }
};
Status GetFileState(const String& path, FileState& state);
// The same for the file a stream has open (cheaper than by its path).
Status GetOpenFileState(FILE* file, FileState& state);

// The size in bytes of an open file; size is left as it was on failure.
Status GetOpenFileSize(FILE* file, int64_t& size);

// Editing a file where it lies, through a descriptor: each read and write
// names its offset, and no stream buffer stands between it and the file.

// Opens an existing file for reading and writing, never creating or cutting
// it. On Windows no other process may write it while it is open (readers may),
// and a file another process has open for writing is refused (kBusy).
Status OpenFileToEdit(const String& path, ScopedDescriptor& file);
// Reads up to size bytes at offset; got says how many came (fewer only where
// the file ends).
Status ReadFileAt(int file, int64_t offset, void* bytes, size_t size, size_t& got);
// Writes all size bytes at offset.
Status WriteFileAt(int file, int64_t offset, const void* bytes, size_t size);
// Puts what was written to the file on the disk, its data and size but not
// its other metadata (fdatasync; FlushFileBuffers on Windows).
Status FlushFileData(int file);
// Which file is open (the file ID from GetFileInformationByHandle on
// Windows), its size and its last-write time.
Status GetDescriptorState(int file, FileState& state);
// Puts these open files' data on the disk, at less cost than one flush each
// where the system can flush a whole file system at once.
Status FlushOpenFilesData(const std::vector<int>& files);
// Lets the system forget its cached copy of these bytes, once they are on the
// disk, so that the next read of them comes from the disk; where the system
// cannot (Windows), the next read may come from its cache.
void ForgetCachedBytes(int file, int64_t offset, int64_t size);
// Asks the system to start reading these bytes from the disk into its cache,
// without waiting: the reads of many files then overlap. Nothing on Windows.
void StartReadingBytes(int file, int64_t offset, int64_t size);

// The path of the file itself when path is a symbolic link (its final target),
// so that the file is rewritten where it lies and the link stays a link;
// otherwise path unchanged.
String FollowLinks(const String& path);

// Gives the file open as to what it should keep of the file open as from: the
// permission bits rwxrwxrwx (never setuid, setgid or sticky) and, where the
// process may, the owner and group. Nothing to do on Windows, where a new file
// gets normal attributes and read-only files are never rewritten.
void KeepFileOwnership(FILE* from, FILE* to);

// Folders.

// One entry of a folder; a link to a folder does not count as a folder, so that
// a walk never loops.
struct FolderEntry {
  String name;
  bool isFolder = false;
};
// The entries of a folder but "." and "..", in no particular order.
Status ListFolder(const String& folder, std::vector<FolderEntry>& entries);
// Makes the folder and any missing folder above it; ok when it exists after.
Status MakeFolders(const String& path);
// Where the program keeps its state between runs: $XDG_STATE_HOME/mirale, else
// ~/.local/state/mirale; %LOCALAPPDATA%\Mirale on Windows. Empty when none can
// be named.
String StateFolder();
// The path made absolute against the current folder (links are not resolved).
String AbsolutePath(const String& path);
