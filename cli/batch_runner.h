// Retags the files of one command line, two or more at a time where the
// machine has the cores, and hands each file's outcome back in list order.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "engine/retag_file.h"
#include "engine/tag_choices.h"
#include "text/shared_string.h"

// Called on the calling thread, for index 0, 1, 2... in that order.
using OutcomeSink = std::function<void(size_t index, const RetagOutcome& outcome)>;

struct BatchSettings {
  unsigned workers = 1;  // files in work at once
  bool dryRun = false;   // checks and edits only: nothing on disk changes
  // When set, one comment header packet per file, written back as it is
  // instead of the tag choices (taking a run back).
  const std::vector<std::string>* commentHeaders = nullptr;
};

// settings.workers threads retag (at least one); the calling thread flushes
// finished files to the disk in groups, deletes their ".old" copies and reports
// them. A list that reaches one file twice is processed in order, one at a time.
void RetagFiles(const std::vector<String>& files, const FixedTagChoices& choices,
                const BatchSettings& settings, const OutcomeSink& report);

// The number of cores, at least 1 and at most 4.
unsigned DefaultWorkerCount();
