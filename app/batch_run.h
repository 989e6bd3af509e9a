// The batch run behind "Retag !": one file per tick of timer 3 on the dialog,
// each file's coloured result appended to its line, a completion line at the end.
#pragma once

struct BatchRun {
  int fileCount = 0;  // FileList's count when the run started
  int nextIndex = 0;  // index of the next file to process
  bool running = false;
};

extern BatchRun CurrentRun;

constexpr unsigned kRunTimer = 3;
constexpr unsigned kFirstTickDelay = 500;  // ms after "Retag !"
constexpr unsigned kNextTickDelay = 400;   // ms after the end of a file's work
constexpr unsigned kEndPause = 300;        // ms before the controls come back

void StartRun();
void RunStep();
bool IsBatchRunning();
// Back to idle without a timer (a dialog made anew).
void ResetBatchRun();
