// Result lines of a run (see result_lines.h).
#include "cli/result_lines.h"

#include <numeric>

#include "cli/console_output.h"
#include "cli/platform.h"
#include "cli/tag_listing.h"
#include "cli/terminal_text.h"
#include "engine/message_table.h"
#include "files/file_system.h"
#include "text/encodings.h"

namespace {

const char kGreen[] = "\033[32m";
const char kOrange[] = "\033[33m";
const char kRed[] = "\033[31m";
const char kBlue[] = "\033[34m";
const char kReset[] = "\033[0m";

// The files' sizes, which the progress shows; none is asked for (0) when
// there is no progress to show.
std::vector<int64_t> SizesOf(const std::vector<String>& files, bool shown) {
  if (!shown) return std::vector<int64_t>(files.size(), 0);
  std::vector<int64_t> sizes;
  for (const String& file : files) {
    FileStamp stamp;
    sizes.push_back(GetFileStamp(file, stamp).ok() ? stamp.size : 0);
  }
  return sizes;
}

}  // namespace

std::string Utf8FromWindows1252(const char* text) {
  WideString wide;
  DecodeToWide(String(text), wide);
  String utf8;
  WideToUtf8(wide, utf8);
  return std::string(utf8.CStr(), static_cast<size_t>(utf8.Length()));
}

ResultLines::ResultLines(const CliConsole& console, bool quiet, const std::vector<String>& files)
    : console_(console),
      quiet_(quiet),
      files_(files),
      sizes_(SizesOf(files, !quiet && IsTerminal(console.err))),
      progress_(console.err, !quiet && IsTerminal(console.err), files.size(),
                std::accumulate(sizes_.begin(), sizes_.end(), int64_t{0})) {}

void ResultLines::Coloured(const char* colour, const std::string& text) {
  if (console_.colour) WriteText(console_.out, colour);
  WriteText(console_.out, text.c_str());
  if (console_.colour) WriteText(console_.out, kReset);
}

void ResultLines::Line(size_t index, const RetagOutcome& outcome,
                       const std::vector<std::string>* tags, const char* note) {
  static const char* const kColours[] = {kGreen, kOrange, kRed};
  const bool failed = outcome.kind == OutcomeKind::kFailure;
  if (failed) anyFailed_ = true;
  if (failed || !quiet_) {
    progress_.Hide();
    WriteText(console_.out, ShownPath(files_[index]));
    Coloured(kColours[static_cast<int>(outcome.kind)],
             Utf8FromWindows1252(outcome.Segment().CStr()));
    WriteText(console_.out, "\n");
    if (note != nullptr && !failed) WriteText(console_.out, note);
    if (tags != nullptr && !failed) PrintCommentLines(console_.out, *tags, "  ");
    std::fflush(console_.out);
  }
  progress_.Advance(sizes_[index]);
}

void ResultLines::Stop() { progress_.Hide(); }

void ResultLines::Done() {
  progress_.Hide();
  if (quiet_) return;
  Coloured(kBlue, Utf8FromWindows1252(CurrentMessages().AllDone));
  WriteText(console_.out, "\n");
  std::fflush(console_.out);
}
