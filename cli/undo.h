// --undo: puts back the old comment headers of the files of the last run that
// have not changed since, through the same verified edit as any retag (in
// place where it fits, when inPlace), and the originals an interrupted run
// left as FILE.old.
#pragma once
#include "cli/cli_app.h"

// Exit status 0 when every file of the run was restored, 1 when a file was
// skipped or failed, or there is no run to take back (or it is in progress).
// A dry run only tells.
int UndoLastRun(bool dryRun, bool quiet, bool inPlace, const CliConsole& console);
