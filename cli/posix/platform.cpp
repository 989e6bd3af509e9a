// POSIX side of the command line (see platform.h).
#include "cli/platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "engine/language.h"

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

String PathFromArgument(const std::string& utf8) { return String(utf8.c_str()); }

std::string DisplayPath(const String& path) { return std::string(path.CStr()); }

bool WantsColour() { return isatty(STDOUT_FILENO) && std::getenv("NO_COLOR") == nullptr; }

bool UserWantsFrench() {
  // The first of these that is set decides, as for any POSIX program.
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] != 0) return IsFrenchLocaleName(value);
  }
  return false;
}

void WriteText(FILE* stream, const std::string& utf8) {
  std::fwrite(utf8.data(), 1, utf8.size(), stream);
}
bool GetFileStamp(const String& path, FileStamp& stamp) {
  struct stat info;
  if (stat(path.CStr(), &info) != 0) return false;
  stamp.size = static_cast<int64_t>(info.st_size);
  stamp.modified = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  return true;
}

String StateFolder() {
  // A relative XDG_STATE_HOME is invalid and ignored, as the base directory rules ask.
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state != nullptr && state[0] == '/') return Concat(String(state), "/mirale");
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == 0) return String();
  return Concat(String(home), "/.local/state/mirale");
}

bool MakeFolders(const String& path) {
  std::string partial;
  const std::string whole(path.CStr());
  for (size_t at = 0; at != std::string::npos;) {
    at = whole.find('/', at + 1);
    partial = whole.substr(0, at);
    if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  struct stat info;
  return stat(whole.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

FILE* CreateNewFile(const String& path) {
  const int descriptor = open(path.CStr(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (descriptor < 0) return nullptr;
  FILE* file = fdopen(descriptor, "wb");
  if (file == nullptr) close(descriptor);
  return file;
}

bool ListFolder(const String& folder, std::vector<FolderEntry>& entries) {
  DIR* listing = opendir(folder.CStr());
  if (listing == nullptr) return false;
  const std::string prefix = std::string(folder.CStr()) + "/";
  while (const dirent* entry = readdir(listing)) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    struct stat info;
    FolderEntry found;
    found.name.Assign(entry->d_name);
    found.isFolder = lstat((prefix + entry->d_name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    entries.push_back(found);
  }
  closedir(listing);
  return true;
}

String AbsolutePath(const String& path) {
  if (path.CStr()[0] == '/') return path;
  char* folder = getcwd(nullptr, 0);
  if (folder == nullptr) return path;
  String absolute = Concat(Concat(String(folder), "/"), path.CStr());
  std::free(folder);
  return absolute;
}

bool IsTerminal(FILE* stream) { return isatty(fileno(stream)) != 0; }

void KeepBuffersForManyFiles() {
  // glibc maps blocks of 128 KiB and more afresh each time and trims the heap
  // eagerly: both cost a page fault per page of every buffer of every file.
  mallopt(M_MMAP_THRESHOLD, 8 << 20);
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
}
