// Path handling on UTF-8 String paths (on both platforms), on their text only:
// the extension test of the drop handler, and the folder/name split and
// extension cut of the file-name parser. The disk is reached through files/.
#pragma once
#include "text/shared_string.h"

// The characters that end a folder part on this platform: backslash, slash and
// colon on Windows, only the slash on POSIX (where the others are ordinary
// file-name characters). Defined in the platform's path_separators.cpp.
extern const char kPathSeparators[];

// The lower-cased text after the last full stop (the search does not stop at a
// separator), or the empty text. The caller owns the returned String.
String GetExtension(const String& path);

// folder gets everything up to and including the last separator, name the rest.
// Without a separator folder is cleared and name shares the path's buffer; an
// empty path clears both. path may be the same object as folder or name.
void SplitPath(const String& path, String& folder, String& name);

// Cuts the last full stop and everything after it off name, in place.
void RemoveExtension(String& name);
