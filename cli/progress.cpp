// The progress line (see progress.h).
#include "cli/progress.h"

#include <chrono>

#include "cli/cli_texts.h"
#include "cli/console_output.h"

namespace {

double SteadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

std::string ProgressText(size_t done, size_t total, int64_t bytesDone, int64_t bytesTotal,
                         double seconds) {
  const double rate = seconds > 0 ? static_cast<double>(bytesDone) / seconds : 0;
  char left[32] = "--:--";
  if (rate > 0) {
    const long remaining =
        static_cast<long>(static_cast<double>(bytesTotal - bytesDone) / rate + 0.5);
    std::snprintf(left, sizeof left, "%ld:%02ld", remaining / 60, remaining % 60);
  }
  char text[128];
  std::snprintf(text, sizeof text, cli_text::kProgress, static_cast<unsigned long>(done),
                static_cast<unsigned long>(total), rate / 1e6, left);
  return text;
}

Progress::Progress(FILE* terminal, bool enabled, size_t totalFiles, int64_t totalBytes, Clock clock)
    : terminal_(terminal),
      enabled_(enabled),
      total_(totalFiles),
      totalBytes_(totalBytes),
      clock_(clock != nullptr ? clock : SteadySeconds),
      start_(clock_()) {}

void Progress::Advance(int64_t bytes) {
  ++done_;
  bytesDone_ += bytes;
  const double seconds = clock_() - start_;
  if (!enabled_ || seconds < kDelay) return;
  const std::string text = ProgressText(done_, total_, bytesDone_, totalBytes_, seconds);
  // Spaces cover what is left of a longer line before.
  const std::string cover(drawn_ > text.size() ? drawn_ - text.size() : 0, ' ');
  PrintFormat(terminal_, "\r%s%s", text.c_str(), cover.c_str());
  std::fflush(terminal_);
  drawn_ = text.size();
}

void Progress::Hide() {
  if (drawn_ == 0) return;
  PrintFormat(terminal_, "\r%s\r", std::string(drawn_, ' ').c_str());
  std::fflush(terminal_);
  drawn_ = 0;
}
