// mirale-cli: the command-line front end over the retagging engine. One option
// per dialog box and field, then the files in list order; each file's result
// line as the dialog shows it, then the completion line.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/tag_choices.h"

struct CliConsole {
  FILE* out = stdout;
  FILE* err = stderr;
  bool colour = false;   // ANSI colours on the result segments
  bool french = false;   // the French message table
  unsigned workers = 1;  // files in work at once
  // For the tests: a run or an undo ends once this many files are reported, as
  // if its process were killed there.
  size_t endAfter = SIZE_MAX;
};

// Exit codes: 0 every file retagged (warnings included), 1 a file failed or an
// argument was skipped, 2 a usage error (nothing touched).
int RunCli(const std::vector<std::string>& arguments, const CliConsole& console);
