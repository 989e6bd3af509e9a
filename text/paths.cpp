// The text operations on paths; the separator set lives in the platform's
// path_separators.cpp.
#include "text/paths.h"

#include <cstring>

namespace {

int LastIndexOf(const String& text, char c) {
  const char* chars = text.CStr();
  for (int i = text.Length() - 1; i >= 0; --i) {
    if (chars[i] == c) return i;
  }
  return -1;
}

bool IsSeparator(char c) { return c != '\0' && std::strchr(kPathSeparators, c) != nullptr; }

}  // namespace

String GetExtension(const String& path) {
  const int dot = LastIndexOf(path, '.');
  if (dot < 0) return String();
  String extension = path.Right(path.Length() - dot - 1);
  extension.MakeLower();
  return extension;
}

void SplitPath(const String& path, String& folder, String& name) {
  // A shared copy keeps the text alive when path is folder or name itself.
  const String source(path);
  if (source.IsEmpty()) {
    folder.Clear();
    name.Clear();
    return;
  }
  const char* chars = source.CStr();
  int i = source.Length() - 1;
  while (i >= 0 && !IsSeparator(chars[i])) --i;
  if (i < 0) {
    folder.Clear();
    name.Assign(source);
    return;
  }
  String head = source.Left(i + 1);
  String tail = source.Right(source.Length() - i - 1);
  folder.Assign(head);
  name.Assign(tail);
}

void RemoveExtension(String& name) {
  if (name.IsEmpty()) return;
  const int dot = LastIndexOf(name, '.');
  if (dot >= 0) name.SetLength(dot, 0);
}
