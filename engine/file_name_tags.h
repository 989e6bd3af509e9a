// Track number, artist and title read out of file names of the two forms
// "Artist - Title.ogg" and "00 - Artist - Title.ogg" (separator: space, hyphen, space).
#pragma once
#include <cstdint>

#include "text/shared_string.h"
#include "text/wide_string.h"

struct FileNameTags {
  int32_t trackNumber = -1;  // the two leading digits, or -1
  WideString artist;         // before the first separator, trimmed
  WideString title;          // after it, trimmed
  bool separatorFound = false;
};

// Parses the name part of path (the folder and the extension play no part).
// Never fails. Paths are UTF-8, so the two texts are decoded from UTF-8.
FileNameTags ParseFileNameTags(const String& path);
