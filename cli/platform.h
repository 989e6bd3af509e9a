// What the command line needs from the platform: its arguments as UTF-8, how a
// UTF-8 argument names a file, how paths are shown, the terminal and
// the user's language.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/tag_choices.h"
#include "text/shared_string.h"

std::vector<std::string> CommandLineArguments(int argc, char** argv);
// The path as the engine opens it: the same bytes on POSIX, the ANSI code page
// on Windows (as the file manager's drop delivers it).
String PathFromArgument(const std::string& utf8);
// A path as UTF-8 for the console.
std::string DisplayPath(const String& path);
// How the engine decodes the artist and title cut out of a file name.
FileNameEncoding PlatformFileNames();
// Colours only on a terminal, and never when NO_COLOR is set.
bool WantsColour();
bool UserWantsFrench();
// Prepares the console for UTF-8 output where that is needed.
void PrepareConsole();

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
