// What the command line needs from the platform: its arguments as UTF-8, how a
// UTF-8 argument names a file, how paths are shown, the terminal and
// the user's language.
#pragma once
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
