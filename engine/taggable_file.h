// Which files the retag takes, by name: the one test both front ends apply to
// the paths they are given.
#pragma once
#include "text/shared_string.h"

// True for the extensions of Ogg Vorbis and Ogg Opus files (ogg, opus, oga) and
// of native FLAC files (flac), in any case.
bool IsTaggableFileName(const String& path);
// True for the extension of native FLAC files, flac in any case.
bool IsFlacFileName(const String& path);
