// The lines of a run as the dialog shows them: each file's path and coloured
// result segment in list order, the tags of a dry run, the completion line, and
// the progress line kept out of their way.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "cli/progress.h"
#include "engine/retag_file.h"
#include "text/shared_string.h"

// The system's 8-bit texts are windows-1252; the console gets UTF-8.
std::string Utf8FromWindows1252(const char* text);

class ResultLines {
 public:
  // quiet prints only the lines of failed files, and no progress.
  ResultLines(const CliConsole& console, bool quiet, const std::vector<String>& files);

  // The file's line; with tags (a dry run), the comments it would get below
  // it, after the note (a line of its own) when there is one.
  void Line(size_t index, const RetagOutcome& outcome,
            const std::vector<std::string>* tags = nullptr, const char* note = nullptr);
  // The completion line; the progress line is cleared first.
  void Done();
  // A run that stopped before its end: only the progress line is cleared.
  void Stop();
  bool AnyFailed() const { return anyFailed_; }

 private:
  void Coloured(const char* colour, const std::string& text);

  const CliConsole& console_;
  bool quiet_;
  const std::vector<String>& files_;
  std::vector<int64_t> sizes_;
  Progress progress_;
  bool anyFailed_ = false;
};
