// Which files the retag takes (see taggable_file.h).
#include "engine/taggable_file.h"

#include "text/paths.h"

bool IsTaggableFileName(const String& path) {
  const String extension = GetExtension(path);  // lower-cased
  return extension.Equals("ogg") || extension.Equals("opus") || extension.Equals("oga") ||
         extension.Equals("flac");
}

bool IsFlacFileName(const String& path) { return GetExtension(path).Equals("flac"); }
