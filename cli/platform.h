// What the command line needs from the platform beside the disk (files/): its
// arguments as UTF-8, how a UTF-8 argument names a file, how paths are shown,
// the terminal, the user's language and how UTF-8 text reaches the console.
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

// This process's id, for the journal's start record.
uint64_t CurrentProcessId();

// Whether the stream is a terminal (progress is drawn only there).
bool IsTerminal(FILE* stream);

// Keeps the large buffers that every file's retag takes and gives back in the
// process, rather than handing them to the system and faulting them in again
// for the next file.
void KeepBuffersForManyFiles();
