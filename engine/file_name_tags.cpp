// The file-name parser (see file_name_tags.h).
#include "engine/file_name_tags.h"

#include <cstring>

#include "format/pattern_scanner.h"
#include "text/encodings.h"
#include "text/paths.h"

namespace {

const char kSeparator[] = " - ";
const char kPrefixSkipSet[] = " -_";

int FindSeparator(const String& name) {
  const char* found = std::strstr(name.CStr(), kSeparator);
  return found == nullptr ? -1 : static_cast<int>(found - name.CStr());
}

}  // namespace

FileNameTags ParseFileNameTags(const String& path) {
  FileNameTags tags;
  String folder;
  String name;
  SplitPath(path, folder, name);
  RemoveExtension(name);

  if (name.Length() >= 2 && IsDigitChar(static_cast<unsigned char>(name[0])) &&
      IsDigitChar(static_cast<unsigned char>(name[1]))) {
    const String digits = name.Left(2);
    int position = 0;
    ScanLong(digits.CStr(), position, 0, &tags.trackNumber);
    name = name.Mid(2);
    int skip = 0;
    while (skip < name.Length() && std::strchr(kPrefixSkipSet, name[skip]) != nullptr &&
           name[skip] != 0) {
      ++skip;
    }
    if (skip > 0) name.SetLength(name.Length() - skip, skip);
  }

  const int at = name.Length() < 3 ? -1 : FindSeparator(name);
  if (at < 0) return tags;

  String artist = name.Left(at);
  String title = name.Right(name.Length() - at - 3);
  artist.TrimLeft();
  artist.TrimRight();
  title.TrimLeft();
  title.TrimRight();
  Utf8ToWide(artist.CStr(), tags.artist);
  Utf8ToWide(title.CStr(), tags.title);
  tags.separatorFound = true;
  return tags;
}
