// The batch run (see batch_run.h).
#include "app/batch_run.h"

#include "app/app_state.h"
#include "app/dialog_choices.h"
#include "app/dialog_controls.h"
#include "engine/message_table.h"
#include "engine/retag_file.h"

BatchRun CurrentRun;

namespace {

// The segment that ends file i's line, in the colour of its outcome.
void AppendResult(int line, const RetagOutcome& outcome) {
  static const COLORREF kColours[] = {kGreen, kOrange, kRed};
  Trace.AppendToLine(line, outcome.Segment(), kColours[static_cast<int>(outcome.kind)]);
}

void EndRun() {
  String done(CurrentMessages().AllDone);
  done.Append("\n");
  Trace.Write(done, kBlue);
  Sleep(kEndPause);
  CurrentRun.running = false;
  SetControlsEnabled(true);
}

}  // namespace

void StartRun() {
  SetControlsEnabled(false);
  CurrentRun.fileCount = FileList.Count();
  CurrentRun.nextIndex = 0;
  CurrentRun.running = true;
  {
    TraceCtl::BulkUpdate bulk(Trace);
    Trace.Clear();
    for (int i = 0; i < FileList.Count(); ++i) Trace.WriteLineUtf8(FileList[i], kBlack);
  }
  // The results start at the top of the list.
  Trace.RevealLine(0);
  SetTimer(DialogWindow, kRunTimer, kFirstTickDelay, nullptr);
}

void RunStep() {
  KillTimer(DialogWindow, kRunTimer);
  if (!CurrentRun.running) return;  // a tick left over from an ended run
  // Drops are refused during a run, so the list still holds fileCount paths;
  // the bound on the list is kept all the same.
  if (CurrentRun.nextIndex >= CurrentRun.fileCount || CurrentRun.nextIndex >= FileList.Count()) {
    EndRun();
    return;
  }
  const int i = CurrentRun.nextIndex++;
  DialogTagChoices choices;
  RetagRequest request;
  request.path = FileList[i];
  request.position = i + 1;
  request.choices = &choices;
  // Ogg files keep their bytes as the dialog always wrote them; FLAC files get
  // the padding mirale-cli's rewrites leave, so that the next edit fits.
  request.flacPadding = PaddingPolicy();
  AppendResult(i, RetagListedFile(request));
  InvalidateRect(Trace.WindowHandle(), nullptr, FALSE);
  UpdateWindow(Trace.WindowHandle());
  SetTimer(DialogWindow, kRunTimer, kNextTickDelay, nullptr);
}

bool IsBatchRunning() { return CurrentRun.running; }

void ResetBatchRun() {
  if (DialogWindow != nullptr) KillTimer(DialogWindow, kRunTimer);
  CurrentRun = BatchRun();
}
