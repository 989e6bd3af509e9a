// What the command line needs from the platform: its arguments as UTF-8, how a
// UTF-8 argument names a file, how paths are shown, the terminal, the user's
// language and how UTF-8 text reaches the console.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "text/shared_string.h"

std::vector<std::string> CommandLineArguments(int argc, char** argv);
// The path as the engine opens it. Paths are UTF-8 on both platforms, so this
// is the argument's own text: no code page can map it to another file.
String PathFromArgument(const std::string& utf8);
// A path as UTF-8 for the console.
std::string DisplayPath(const String& path);
// Colours only on a terminal, and never when NO_COLOR is set.
bool WantsColour();
bool UserWantsFrench();
// Writes UTF-8 text to stream: as UTF-16 to a Windows console (whatever its
// code page), as the UTF-8 bytes anywhere else (a file, a pipe, a terminal).
void WriteText(FILE* stream, const std::string& utf8);

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
// False when the path cannot be queried.
bool GetFileStamp(const String& path, FileStamp& stamp);

// Where the program keeps its state between runs: $XDG_STATE_HOME/mirale, else
// ~/.local/state/mirale; %LOCALAPPDATA%\Mirale on Windows. Empty when none can be named.
String StateFolder();
// Makes the folder and any missing folder above it; true when it exists after.
bool MakeFolders(const String& path);
// Creates a file that must not exist yet, for writing in binary; null when it
// exists or cannot be created. The caller owns the stream.
FILE* CreateNewFile(const String& path);

// One entry of a folder; a link to a folder does not count as a folder, so that a
// walk never loops.
struct FolderEntry {
  String name;
  bool isFolder = false;
};
// The entries of a folder but "." and "..", in no particular order.
bool ListFolder(const String& folder, std::vector<FolderEntry>& entries);
// The path made absolute against the current folder (links are not resolved).
String AbsolutePath(const String& path);

// Whether the stream is a terminal (progress is drawn only there).
bool IsTerminal(FILE* stream);

// Keeps the large buffers that every file's retag takes and gives back in the
// process, rather than handing them to the system and faulting them in again
// for the next file.
void KeepBuffersForManyFiles();
