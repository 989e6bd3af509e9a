// The progress line of a long run on a terminal: files done out of the total,
// MB/s and the time left, one line on stderr rewritten in place, cleared at the end.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// The line's text, e.g. "37/120 files, 41.5 MB/s, 0:12 left".
std::string ProgressText(size_t done, size_t total, int64_t bytesDone, int64_t bytesTotal,
                         double seconds);

class Progress {
 public:
  using Clock = double (*)();            // seconds from any fixed point
  static constexpr double kDelay = 2.0;  // short runs never show a line

  // Draws nothing unless enabled.
  Progress(FILE* terminal, bool enabled, size_t totalFiles, int64_t totalBytes,
           Clock clock = nullptr);
  ~Progress() { Hide(); }
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  // One more file done; the line is drawn again once the delay has passed.
  void Advance(int64_t bytes);
  // Clears the line, before other output goes to the same terminal.
  void Hide();

 private:
  FILE* terminal_;
  bool enabled_;
  size_t total_;
  int64_t totalBytes_;
  Clock clock_;
  double start_;
  size_t done_ = 0;
  int64_t bytesDone_ = 0;
  size_t drawn_ = 0;  // width of the line on screen
};
