// Retags the files of one command line, two or more at a time where the
// machine has the cores, each file recorded in the journal before it is
// touched, and hands each file's outcome back in list order.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/retag_file.h"
#include "engine/tag_choices.h"
#include "text/shared_string.h"

// Called on the calling thread, for index 0, 1, 2... in that order.
using OutcomeSink = std::function<void(size_t index, const RetagOutcome& outcome)>;

// The journal's part in a batch; every call comes from the calling thread.
class BatchRecorder {
 public:
  virtual ~BatchRecorder() = default;
  // A prepared file about to be touched: its entry, kept until Flush.
  virtual void Record(size_t index, const RetagOutcome& prepared) = 0;
  // A file whose new file is verified and on the disk, before its ".old" copy
  // goes; or whose edit in place is over, whatever its end.
  virtual void Committed(size_t index, const RetagOutcome& outcome) = 0;
  // Puts what was recorded on the disk, in one flush; false when the journal
  // could not be written (it takes no more records then).
  virtual bool Flush() = 0;
};

struct BatchSettings {
  unsigned workers = 1;  // files in work at once
  bool dryRun = false;   // checks and edits only: nothing on disk changes
  // Files whose new tags fit are edited where they lie; this needs a recorder,
  // which records each edit's recovery record before the file is touched.
  bool inPlace = false;
  // The room a rewrite leaves after the new tags.
  PaddingPolicy padding{/*noPadding=*/true};
  // For the tests: the writes and flushes of the edits in place.
  const InPlaceWrites* inPlaceWrites = nullptr;
  // When set, gives the comment header written back as it is for file i
  // instead of the tag choices (taking a run back); false when it cannot be
  // had (the file is then refused untouched: an empty header is a header, a
  // FLAC file's without comment block). Called on the workers, one call at a
  // time per file.
  std::function<bool(size_t index, std::string& header)> commentHeaderOf;
  // Where each file is recorded before it is touched; null for none.
  BatchRecorder* recorder = nullptr;
  // For the tests: the batch ends once this many files are reported, as if its
  // process were killed there: nothing more is started, flushed or committed.
  size_t endAfter = SIZE_MAX;
};

// How a batch ended: every file done; stopped because the journal could not
// be written (files not yet committed are put back as they were, unreported);
// or ended by endAfter.
enum class BatchEnd { kDone, kJournalFailed, kEnded };

// The workers prepare files ahead (read-only), this thread records a group of
// them with one flush of the journal, the workers complete them, and this
// thread flushes finished files in groups, records them committed, lets their
// ".old" copies go and reports them. A list that reaches one file twice is
// worked one file at a time.
BatchEnd RetagFiles(const std::vector<String>& files, const FixedTagChoices& choices,
                    const BatchSettings& settings, const OutcomeSink& report);

// The number of cores, at least 1 and at most 4.
unsigned DefaultWorkerCount();
