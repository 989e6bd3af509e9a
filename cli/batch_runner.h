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

// workers threads retag (at least one); the calling thread flushes finished
// files to the disk in groups, deletes their ".old" copies and reports them. A
// list that reaches one file twice is processed in order, one file at a time.
void RetagFiles(const std::vector<String>& files, const FixedTagChoices& choices, unsigned workers,
                const OutcomeSink& report);

// The number of cores, at least 1 and at most 4.
unsigned DefaultWorkerCount();
