// Taking the last run back (see undo.h). The undo holds the run's journal
// locked while it works and reads it as a stream. Each file of the run is put
// back when it is still as the run left it (or left halfway: its ".old" copy
// beside it), counted back when it already has its old tags (an undo that was
// interrupted), set aside when it changed since, and kept for a later undo when
// it cannot be reached now. The journal goes once no file is left to it.
#include "cli/undo.h"

#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "cli/batch_runner.h"
#include "cli/cli_texts.h"
#include "cli/console_output.h"
#include "cli/journal_scan.h"
#include "cli/platform.h"
#include "cli/recovery_log.h"
#include "cli/result_lines.h"
#include "cli/run_journal.h"
#include "cli/terminal_text.h"
#include "engine/file_comments.h"
#include "files/file_system.h"
#include "journal/journal_folder.h"

namespace {

std::string LocalTime(int64_t seconds) {
  const std::time_t time = static_cast<std::time_t>(seconds);
  const std::tm* local = std::localtime(&time);
  char text[32] = "?";
  if (local != nullptr) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", local);
  return text;
}

// A journal taken by this process: locked, scanned, its headers at hand.
struct TakenJournal {
  String path;
  uint64_t number = 0;
  RecordLogWriter writer;  // holds the lock
  RecordLogReader reader;
  RunScan scan;

  // Takes the journal: kBusy when a run (or another undo) holds it.
  Status Take(const String& folder, uint64_t runNumber) {
    number = runNumber;
    path = JournalPath(folder, number);
    const Status locked = writer.Open(path);
    return locked.ok() ? ScanRunJournal(path, reader, scan) : locked;
  }

  void Retire() {
    reader.Close();
    writer.Close();
    RemoveFile(path.CStr());
  }
};

enum class Found { kJournal, kNone, kRefused };

// The newest journal with files to put back, taken; on the way, journals
// without records (a run stopped before its first file) are removed with a
// note, and journals whose files are all done are retired.
Found TakeNewestJournal(const String& folder, bool dryRun, const CliConsole& console,
                        std::unique_ptr<TakenJournal>& journal) {
  const std::vector<uint64_t> numbers = JournalNumbers(folder);
  for (auto number = numbers.rbegin(); number != numbers.rend(); ++number) {
    journal.reset(new TakenJournal);
    const Status taken = journal->Take(folder, *number);
    const std::string shown = ShownPath(journal->path);
    if (taken.code() == StatusCode::kBusy) {
      PrintFormat(console.err, cli_text::kRunInProgress, shown.c_str());
      return Found::kRefused;
    }
    if (taken.code() == StatusCode::kUnsupported) {
      PrintFormat(console.err, cli_text::kOlderJournal, shown.c_str());
      return Found::kRefused;
    }
    if (taken.code() == StatusCode::kCorrupt || (taken.ok() && journal->scan.entries == 0)) {
      if (!dryRun) {
        PrintFormat(console.err, cli_text::kEmptyJournalRemoved, shown.c_str());
        journal->Retire();
      }
      continue;
    }
    if (!taken.ok()) {
      PrintFormat(console.err, cli_text::kJournalUnreadable, shown.c_str(),
                  ShownPath(folder).c_str());
      return Found::kRefused;
    }
    for (const RunFile& file : journal->scan.files) {
      if (!file.done) return Found::kJournal;
    }
    if (!dryRun) journal->Retire();
  }
  PrintFormat(console.err, cli_text::kNoRun, ShownPath(folder).c_str());
  return Found::kNone;
}

// What the undo makes of one file of the run.
enum class Verdict {
  kBack,       // it has its old tags: it had them already, or its ".old" file went back
  kRewrite,    // as the run left it: its old header goes back through a verified rewrite
  kChanged,    // changed since the run: set aside
  kUnusable,   // the journal's old header does not read as this file's: set aside
  kUnreached,  // missing, unreadable, or beside a ".old" file that is not the run's
};

struct Plan {
  Verdict verdict = Verdict::kUnreached;
  std::string reason;  // why it is not put back (UTF-8)
};

Plan Decided(Verdict verdict, const std::string& reason = std::string()) {
  Plan plan;
  plan.verdict = verdict;
  plan.reason = reason;
  return plan;
}

bool Contains(const std::vector<FileState>& states, const FileState& state) {
  for (const FileState& known : states) {
    if (known == state) return true;
  }
  return false;
}

// The list of the journal's old header, read as a comment header of the codec
// the journal names (an empty FLAC header: a file that had no comment block).
bool ListOfOldHeader(const RunFile& file, const std::string& header, CommentList& list) {
  return ListOfCommentHeader(CommentCodecOf(file.codec), header, list);
}

// Whether the file holds the tags of the old header (with a comment block
// only when the header is not empty).
bool HasOldTags(const FileComments& current, const std::string& header, const CommentList& old) {
  return current.list == old && current.header.empty() == header.empty();
}

// A ".old" file beside the file: the untouched original that an interrupted
// or failed retag left (its size and header are the entry's), or the file as
// the run left it, beside an undo's rewrite that was interrupted. Either goes
// back over whatever lies at the file's name; any other is not touched.
// Sets done when the original went back.
bool PutBackOldCopy(const RunFile& file, const std::string& header, bool dryRun, Plan& plan,
                    bool& done) {
  const String path(file.path.c_str());
  const String oldCopy = Concat(path, ".old");
  FileState copy;
  if (!GetFileState(oldCopy, copy).ok()) return true;
  FileComments copyComments;
  const char* why = "";
  const bool original = copy.stamp.size == file.before.stamp.size &&
                        ReadFileComments(oldCopy, copyComments, why) &&
                        copyComments.header == header;
  if (!original && !Contains(file.afters, copy)) {
    plan = Decided(Verdict::kUnreached, cli_text::kOldCopyNotOurs);
    return false;
  }
  if (!dryRun && ((KindOfFile(path) != FileKind::kMissing && !RemoveFile(path.CStr()).ok()) ||
                  !RenameFile(oldCopy.CStr(), path.CStr()).ok())) {
    plan = Decided(Verdict::kUnreached, cli_text::kCannotPutBackOldCopy);
    return false;
  }
  // In a dry run the run's own file would be at the name: the rewrite follows.
  if (!original && dryRun) plan.verdict = Verdict::kRewrite;
  done = original || dryRun;
  return true;
}

// What becomes of the file; its ".old" file, if ours, is put back on the way
// (unless in a dry run).
Plan Decide(const RunFile& file, const std::string& header, bool dryRun) {
  CommentList oldTags;
  if (!ListOfOldHeader(file, header, oldTags)) {
    return Decided(Verdict::kUnusable, cli_text::kOldHeaderUnusable);
  }
  Plan plan = Decided(Verdict::kBack);
  bool done = false;
  if (!PutBackOldCopy(file, header, dryRun, plan, done) || done) return plan;
  const String path(file.path.c_str());
  if (KindOfFile(path) == FileKind::kMissing)
    return Decided(Verdict::kUnreached, cli_text::kNoSuchFile);
  FileComments current;
  const char* why = "";
  if (!ReadFileComments(path, current, why)) {
    return Decided(Verdict::kUnreached, Utf8FromWindows1252(why));
  }
  if (JournalCodecOf(current.codec) != file.codec) {
    return Decided(Verdict::kUnusable, cli_text::kOldHeaderUnusable);
  }
  if (HasOldTags(current, header, oldTags)) return plan;
  FileState now;
  if (GetFileState(path, now).ok() && Contains(file.afters, now)) {
    plan.verdict = Verdict::kRewrite;
    return plan;
  }
  return Decided(Verdict::kChanged, cli_text::kChangedSince);
}

// The files put back are as the run before left them, when nothing wrote them
// between the two runs: that run's journal learns their new state, so that it
// can be taken back in turn.
void HandOver(const String& folder, uint64_t number, const std::vector<const RunFile*>& back) {
  std::vector<uint64_t> numbers = JournalNumbers(folder);
  uint64_t before = 0;
  for (uint64_t earlier : numbers) {
    if (earlier < number) before = earlier;
  }
  TakenJournal earlier;
  if (back.empty() || before == 0 || !earlier.Take(folder, before).ok()) return;
  std::map<FileState, uint32_t, FileStateLess> leftBy;
  for (const RunFile& file : earlier.scan.files) {
    for (const FileState& after : file.afters) leftBy[after] = file.firstId;
  }
  std::vector<EntryState> restamps;
  for (const RunFile* file : back) {
    const auto found = leftBy.find(file->before);
    EntryState restamp;
    restamp.id = found != leftBy.end() ? found->second : 0;
    if (restamp.id != 0 && GetFileState(String(file->path.c_str()), restamp.state).ok() &&
        restamp.state != file->before) {
      restamps.push_back(restamp);
    }
  }
  if (restamps.empty() || !earlier.writer.AppendAt(earlier.scan.validEnd).ok()) return;
  for (const EntryState& restamp : restamps) {
    earlier.writer.Append(kRestampRecord, EncodeEntryState(restamp));
  }
  earlier.writer.Flush();
}

// One undo of the journal taken, in its phases.
class Undo {
 public:
  Undo(TakenJournal& journal, bool dryRun, bool quiet, bool inPlace, const CliConsole& console)
      : journal_(journal),
        dryRun_(dryRun),
        quiet_(quiet),
        inPlace_(inPlace),
        console_(console),
        recovery_(journal.writer) {
    for (const RunFile& file : journal.scan.files) {
      if (!file.done) files_.push_back(&file);
    }
  }

  int Run(const String& folder) {
    Introduce();
    DecideEach();
    // The recovery records of edits in place go after the journal's last
    // record that proves itself.
    appending_ = !dryRun_ && journal_.writer.AppendAt(journal_.scan.validEnd).ok();
    if (!PutBack()) return 1;
    if (!dryRun_) Record(folder);
    for (bool back : back_) {
      if (!back) return 1;
    }
    return 0;
  }

 private:
  void Introduce() {
    const RunScan& scan = journal_.scan;
    if (scan.end == LogEnd::kDamaged) {
      PrintFormat(console_.err, cli_text::kJournalDamaged, ShownPath(journal_.path).c_str(),
                  static_cast<long long>(scan.validEnd));
    }
    if (!quiet_) {
      PrintFormat(console_.out, cli_text::kUndoing, LocalTime(scan.start.time).c_str(),
                  static_cast<unsigned long>(files_.size()));
    }
  }

  // Each file decided in turn (a ".old" original put back on the way); the
  // files that are not put back are told here.
  void DecideEach() {
    for (const RunFile* file : files_) {
      std::string header;
      plans_.push_back(ReadOldHeader(journal_.reader, *file, header)
                           ? Decide(*file, header, dryRun_)
                           : Decided(Verdict::kUnreached, cli_text::kOldHeaderUnusable));
      const Plan& plan = plans_.back();
      const String path(file->path.c_str());
      if (plan.verdict == Verdict::kBack || plan.verdict == Verdict::kRewrite) {
        shown_.push_back(path);
        shownOf_.push_back(plans_.size() - 1);
        if (plan.verdict == Verdict::kRewrite) {
          rewrites_.push_back(plans_.size() - 1);
          rewritePaths_.push_back(path);
        }
      } else {
        PrintFormat(console_.err, cli_text::kSkipped, ShownPath(path).c_str(), plan.reason.c_str());
      }
    }
    back_.assign(plans_.size(), false);
  }

  // The rewrites, and a line for each file back, in the run's order; false
  // when the undo was ended before its last file.
  bool PutBack() {
    lines_.reset(new ResultLines(console_, quiet_, shown_));
    BatchSettings settings;
    settings.workers = console_.workers;
    settings.dryRun = dryRun_;
    settings.inPlace = inPlace_ && (dryRun_ || appending_);
    settings.recorder = appending_ ? &recovery_ : nullptr;
    settings.endAfter = console_.endAfter;
    settings.commentHeaderOf = [this](size_t i, std::string& header) {
      return OldHeader(rewrites_[i], header);
    };
    const BatchEnd end = RetagFiles(
        rewritePaths_, FixedTagChoices(), settings,
        [this](size_t i, const RetagOutcome& outcome) { LinesUpTo(rewrites_[i], &outcome); });
    if (end != BatchEnd::kDone) {
      // Ended as a killed process: nothing more is recorded.
      lines_->Stop();
      return false;
    }
    LinesUpTo(plans_.size(), nullptr);
    lines_->Done();
    return true;
  }

  // The file's old header, read again from the journal (by any thread); false
  // when it is no longer what was recorded.
  bool OldHeader(size_t plan, std::string& header) {
    std::lock_guard<std::mutex> guard(headerLock_);
    return ReadOldHeader(journal_.reader, *files_[plan], header);
  }

  // The lines of the files back up to plan, the last one rewritten (or not).
  void LinesUpTo(size_t plan, const RetagOutcome* rewritten) {
    for (; nextLine_ < shown_.size() && shownOf_[nextLine_] <= plan; ++nextLine_) {
      const size_t at = shownOf_[nextLine_];
      RetagOutcome outcome;
      outcome.kind = OutcomeKind::kOk;
      if (at == plan && rewritten != nullptr) outcome = *rewritten;
      back_[at] = outcome.kind != OutcomeKind::kFailure;
      // A dry run shows the old tags under each line.
      std::string header;
      CommentList tags;
      if (dryRun_ && OldHeader(at, header)) ListOfOldHeader(*files_[at], header, tags);
      lines_->Line(nextLine_, outcome, dryRun_ ? &tags.entries : nullptr);
    }
  }

  // The run before learns of the files put back, this journal of each file
  // back or set aside; it goes when no file is left to it.
  void Record(const String& folder) {
    std::vector<const RunFile*> restored;
    size_t left = 0;
    RecordLogWriter& writer = journal_.writer;
    bool marked = appending_;
    for (size_t i = 0; i < plans_.size(); ++i) {
      const bool setAside =
          plans_[i].verdict == Verdict::kChanged || plans_[i].verdict == Verdict::kUnusable;
      if (back_[i]) {
        restored.push_back(files_[i]);
        writer.Append(kRestoredRecord, EncodeEntryId(files_[i]->firstId));
      } else if (setAside) {
        writer.Append(kSetAsideRecord, EncodeEntryId(files_[i]->firstId));
      } else {
        ++left;
      }
    }
    recovery_.Records().MarkAtRest();
    // The hand-over first: once this journal is retired, it is the only trace.
    HandOver(folder, journal_.number, restored);
    marked = writer.Flush().ok() && marked;
    if (left != 0) {
      PrintFormat(console_.err, cli_text::kFilesRemain, static_cast<unsigned long>(left));
    } else if (marked) {
      journal_.Retire();
    } else {
      PrintFormat(console_.err, cli_text::kJournalKept, ShownPath(journal_.path).c_str());
    }
  }

  TakenJournal& journal_;
  const bool dryRun_;
  const bool quiet_;
  const bool inPlace_;
  const CliConsole& console_;
  RecoveryRecorder recovery_;          // the edits in place, recorded in the journal taken back
  bool appending_ = false;             // records can be added to it
  std::vector<const RunFile*> files_;  // those not yet back nor set aside
  std::vector<Plan> plans_;            // one per file
  std::vector<bool> back_;             // one per file: it has its old tags again
  std::vector<String> shown_;          // the files with a line: back or rewritten
  std::vector<size_t> shownOf_;        // the plan of each line
  std::vector<size_t> rewrites_;       // the plans rewritten, in order
  std::vector<String> rewritePaths_;
  std::unique_ptr<ResultLines> lines_;
  size_t nextLine_ = 0;
  std::mutex headerLock_;  // the journal's reader, shared with the workers
};

}  // namespace

int UndoLastRun(bool dryRun, bool quiet, bool inPlace, const CliConsole& console) {
  const String folder = StateFolder();
  std::unique_ptr<TakenJournal> journal;
  if (TakeNewestJournal(folder, dryRun, console, journal) != Found::kJournal) return 1;
  return Undo(*journal, dryRun, quiet, inPlace, console).Run(folder);
}
