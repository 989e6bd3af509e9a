// POSIX side of the command line (see platform.h).
#include "cli/platform.h"

#include <malloc.h>
#include <unistd.h>

#include <cstdlib>

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

uint64_t CurrentProcessId() { return static_cast<uint64_t>(getpid()); }

bool IsTerminal(FILE* stream) { return isatty(fileno(stream)) != 0; }

void KeepBuffersForManyFiles() {
  // glibc maps blocks of 128 KiB and more afresh each time and trims the heap
  // eagerly: both cost a page fault per page of every buffer of every file.
  mallopt(M_MMAP_THRESHOLD, 8 << 20);
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
}
