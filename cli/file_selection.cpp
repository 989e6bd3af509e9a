// The files of a command line (see file_selection.h).
#include "cli/file_selection.h"

#include <algorithm>
#include <cstring>

#include "cli/cli_texts.h"
#include "cli/console_output.h"
#include "cli/natural_order.h"
#include "cli/platform.h"
#include "engine/taggable_file.h"
#include "files/file_system.h"
#include "text/paths.h"

namespace {

// Why a path is not taken, or null: the files that the dialog's drop would take,
// and only regular files (a FIFO would hang the read).
const char* SkipReason(const String& path) {
  if (!IsTaggableFileName(path)) return cli_text::kNotTaggable;
  switch (KindOfFile(path)) {
    case FileKind::kMissing:
      return cli_text::kNoSuchFile;
    case FileKind::kFolder:
      return cli_text::kAFolder;
    case FileKind::kOther:
      return cli_text::kNotRegular;
    case FileKind::kRegular:
      break;
  }
  return nullptr;
}

String JoinPath(const String& folder, const String& name) {
  const int length = folder.Length();
  if (length > 0 && std::strchr(kPathSeparators, folder.CStr()[length - 1]) != nullptr) {
    return Concat(folder, name.CStr());
  }
  const char separator[] = {kPathSeparators[0], 0};
  return Concat(Concat(folder, separator), name.CStr());
}

}  // namespace

void WalkFolder(const String& folder, std::vector<String>& files) {
  std::vector<FolderEntry> entries;
  if (!ListFolder(folder, entries).ok()) return;
  std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
    return NaturalLess(a.name.CStr(), b.name.CStr());
  });
  for (const FolderEntry& entry : entries) {
    const String path = JoinPath(folder, entry.name);
    if (entry.isFolder) {
      WalkFolder(path, files);
    } else if (IsTaggableFileName(path)) {
      files.push_back(path);
    }
  }
}

std::vector<String> SelectFiles(const std::vector<std::string>& words, bool recursive, FILE* err) {
  std::vector<String> files;
  for (const std::string& word : words) {
    const String path = PathFromArgument(word);
    const bool walked = recursive && KindOfFile(path) == FileKind::kFolder;
    std::vector<String> found;
    if (walked) {
      WalkFolder(path, found);
    } else {
      found.push_back(path);
    }
    for (const String& file : found) {
      const char* reason = SkipReason(file);
      if (reason != nullptr) {
        // A plain argument is shown as the user typed it.
        const std::string shown = walked ? DisplayPath(file) : word;
        PrintFormat(err, cli_text::kSkipped, shown.c_str(), reason);
      } else {
        files.push_back(file);
      }
    }
  }
  return files;
}
