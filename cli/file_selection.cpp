// The files of a command line (see file_selection.h).
#include "cli/file_selection.h"

#include <algorithm>
#include <cstring>

#include "cli/cli_texts.h"
#include "cli/console_output.h"
#include "cli/natural_order.h"
#include "cli/platform.h"
#include "cli/terminal_text.h"
#include "engine/taggable_file.h"
#include "files/file_system.h"
#include "text/paths.h"

namespace {

// Why a path could not be reached, from the status of the failed query.
const char* UnreachableReason(const Status& status) {
  switch (status.code()) {
    case StatusCode::kTooLarge:
      return cli_text::kPathTooLong;
    case StatusCode::kDenied:
      return cli_text::kPermissionDenied;
    case StatusCode::kNotFound:
      return cli_text::kNoSuchFile;
    default:
      return cli_text::kCannotReach;
  }
}

// Why a path is not taken, or null: the files that the dialog's drop would take,
// and only regular files (a FIFO would hang the read).
const char* SkipReason(const String& path) {
  if (!IsTaggableFileName(path)) return cli_text::kNotTaggable;
  FileKind kind;
  const Status queried = GetFileKind(path, kind);
  if (!queried.ok()) return UnreachableReason(queried);
  switch (kind) {
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

bool WalkFolder(const String& folder, std::vector<String>& files, FILE* err) {
  std::vector<FolderEntry> entries;
  const Status listed = ListFolder(folder, entries);
  if (!listed.ok()) {
    const std::string reason =
        std::string(cli_text::kCannotReadFolder) + ": " + UnreachableReason(listed);
    PrintFormat(err, cli_text::kSkipped, ShownPath(folder).c_str(), reason.c_str());
    return false;
  }
  std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
    return NaturalLess(a.name.CStr(), b.name.CStr());
  });
  bool whole = true;
  for (const FolderEntry& entry : entries) {
    const String path = JoinPath(folder, entry.name);
    if (entry.isFolder) {
      whole = WalkFolder(path, files, err) && whole;
    } else if (IsTaggableFileName(path)) {
      files.push_back(path);
    }
  }
  return whole;
}

Selection SelectFiles(const std::vector<std::string>& words, bool recursive, FILE* err) {
  Selection selection;
  for (const std::string& word : words) {
    const String path = PathFromArgument(word);
    const bool walked = recursive && KindOfFile(path) == FileKind::kFolder;
    std::vector<String> found;
    if (walked) {
      if (!WalkFolder(path, found, err)) selection.skipped = true;
    } else {
      found.push_back(path);
    }
    for (const String& file : found) {
      const char* reason = SkipReason(file);
      if (reason != nullptr) {
        // A plain argument is shown as the user typed it.
        const std::string shown = walked ? ShownPath(file) : TerminalText(word);
        PrintFormat(err, cli_text::kSkipped, shown.c_str(), reason);
        selection.skipped = true;
      } else {
        selection.files.push_back(file);
      }
    }
  }
  return selection;
}
