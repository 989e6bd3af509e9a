// Several files in work at once (see batch_runner.h). Each file is retagged by
// one worker at a time, in two phases; what the threads share is read only, and
// each worker has tag choices of its own, since text buffers count references
// without locks. A file belongs to one thread at a time, handed over under the
// lock with its stage.
#include "cli/batch_runner.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "engine/in_place_retag.h"
#include "engine/retag_file.h"
#include "files/file_system.h"

namespace {

using Clock = std::chrono::steady_clock;

// How long finished files wait for others before their group is flushed, and
// how many make a group worth flushing at once: kLargeGroup files to rewrite.
// An edit in place writes a few KiB and a refusal nothing: each weighs a
// fraction of a rewrite, so that a batch of them takes few flushes.
constexpr std::chrono::milliseconds kGatherTime(100);
constexpr size_t kLargeGroup = 64;
constexpr size_t kRewriteWeight = 4;
constexpr size_t kLargeWeight = kLargeGroup * kRewriteWeight;
// While files are prepared, their records are written ahead into the
// journal's pending bytes this many at a time, so that the flush that lets
// them go to the workers waits for less.
constexpr size_t kAppendRun = 2;
// How far the workers prepare ahead of the files reported: in files, and in
// bytes of comment headers and comments held meanwhile (large pictures).
constexpr size_t kAheadFiles = 8 * kLargeGroup;
constexpr size_t kAheadBytes = 8 << 20;
// Removing a ".old" copy mostly waits for the file system to free (and
// discard) its blocks: threads of their own do it beside the workers, two so
// that their waits overlap.
constexpr unsigned kCopyRemovers = 2;

// A file's way through a batch: prepared, recorded and released to the
// workers, completed, committed, its ".old" copy removed, then told.
enum class Stage {
  kWaiting,
  kPreparing,
  kPrepared,
  kReleased,
  kCompleting,
  kFinished,
  kCommitted,
  kDropping,
  kDropped,
};

struct Item {
  Stage stage = Stage::kWaiting;
  RetagOutcome outcome;
  std::string header;  // the replacement header while the file is in work
  Clock::time_point finishedAt;
  size_t held = 0;                 // bytes of the above counted in the batch's held bytes
  size_t weight = kRewriteWeight;  // in its group, once prepared (see kLargeGroup)
};

size_t BytesHeld(const Item& item) {
  size_t bytes = item.header.size() + item.outcome.oldCommentHeader.size();
  for (const std::string& comment : item.outcome.comments) bytes += comment.size();
  if (item.outcome.inPlace != nullptr) bytes += item.outcome.inPlace->heldBytes;
  return bytes;
}

// Whether two paths of the list reach the same file: the same name twice, a
// link and its target, two hard links. Such a list is worked one file at a time.
bool NamesAFileTwice(const std::vector<String>& files) {
  std::vector<FileIdentity> identities;
  for (const String& file : files) {
    FileIdentity identity;
    if (GetFileIdentity(file, identity).ok()) identities.push_back(identity);
  }
  std::sort(identities.begin(), identities.end());
  return std::adjacent_find(identities.begin(), identities.end()) != identities.end();
}

// Puts the new files of deferred retags back as they were: the new file goes
// and the ".old" copy takes its name again; an edit in place gets its old
// bytes back.
void PutBack(const std::vector<RetagOutcome*>& outcomes) {
  for (RetagOutcome* outcome : outcomes) {
    PutBackInPlace(*outcome);
    if (outcome->pendingOldPath.IsEmpty()) continue;
    if (RemoveFile(outcome->newPath.CStr()).ok()) {
      RenameFile(outcome->pendingOldPath.CStr(), outcome->newPath.CStr());
    }
    outcome->pendingOldPath = String();
  }
}

class Batch {
 public:
  Batch(const std::vector<String>& files, const FixedTagChoices& choices,
        const BatchSettings& settings, const OutcomeSink& report)
      : files_(files),
        choices_(choices),
        settings_(settings),
        report_(report),
        items_(files.size()),
        ahead_(NamesAFileTwice(files) ? 1 : kAheadFiles) {}

  BatchEnd Run() {
    const unsigned workers =
        std::max(1u, std::min(settings_.workers, static_cast<unsigned>(files_.size())));
    std::vector<FixedTagChoices> ownChoices;
    for (unsigned w = 0; w < workers; ++w) ownChoices.push_back(choices_.Detached());
    std::vector<std::thread> threads;
    for (unsigned w = 0; w < workers; ++w) {
      threads.emplace_back([this, &ownChoices, w] { Work(ownChoices[w]); });
    }
    for (unsigned r = 0; r < kCopyRemovers; ++r) threads.emplace_back([this] { RemoveCopies(); });
    std::unique_lock<std::mutex> guard(lock_);
    while (reportCursor_ < files_.size() && end_ == BatchEnd::kDone) Step(guard);
    // After a failed journal the files committed before still lose their
    // ".old" copies and are told.
    while (end_ == BatchEnd::kJournalFailed && reportCursor_ < commitCursor_) Report(guard);
    stopping_ = true;
    workersWake_.notify_all();
    guard.unlock();
    for (std::thread& thread : threads) thread.join();
    if (end_ == BatchEnd::kJournalFailed) PutBackUncommitted();
    return end_;
  }

 private:
  // One turn of this thread: the files finished at the front put on the disk
  // and recorded committed, the files prepared recorded, one flush of the
  // journal for both; then the recorded files go to the workers, and the
  // committed ones to have their ".old" copies removed; the files whose copies
  // are gone are told.
  void Step(std::unique_lock<std::mutex>& guard) {
    WaitForWork(guard);
    if (!RecordDue() && !CommitDue() && AppendDue()) return AppendRecords(guard);
    const size_t recordEnd = RunOf(recordCursor_, Stage::kPrepared);
    const size_t commitEnd = CommitDue() ? RunOf(commitCursor_, Stage::kFinished) : commitCursor_;
    if (recordEnd != recordCursor_ || commitEnd != commitCursor_) {
      guard.unlock();
      const bool recorded = Commit(recordEnd, commitEnd);
      guard.lock();
      if (!recorded) {
        end_ = BatchEnd::kJournalFailed;
        return;
      }
      Release(recordEnd, commitEnd);
    }
    if (ReportDue()) Report(guard);
  }

  // Called without the lock: the files of both groups belong to this thread.
  bool Commit(size_t recordEnd, size_t commitEnd) {
    std::vector<RetagOutcome*> committing;
    for (size_t i = commitCursor_; i < commitEnd; ++i) committing.push_back(&items_[i].outcome);
    FlushRetags(committing);
    if (settings_.recorder == nullptr) return true;
    for (size_t i = commitCursor_; i < commitEnd; ++i) {
      const RetagOutcome& outcome = items_[i].outcome;
      if (!outcome.pendingOldPath.IsEmpty() || outcome.inPlace != nullptr)
        settings_.recorder->Committed(i, outcome);
    }
    for (size_t i = std::max(recordCursor_, appendCursor_); i < recordEnd; ++i) {
      if (IsPrepared(items_[i])) settings_.recorder->Record(i, items_[i].outcome);
    }
    if (settings_.recorder->Flush()) return true;
    // Their new state may not be recorded: they go back as they were.
    PutBack(committing);
    return false;
  }

  // The files recorded go to the workers to complete (the others are
  // finished), the files committed to have their ".old" copies removed.
  void Release(size_t recordEnd, size_t commitEnd) {
    for (size_t i = recordCursor_; i < recordEnd; ++i) {
      if (IsPrepared(items_[i])) {
        items_[i].stage = Stage::kReleased;
      } else {
        Finished(i);
      }
    }
    for (size_t i = commitCursor_; i < commitEnd; ++i) {
      items_[i].stage =
          items_[i].outcome.pendingOldPath.IsEmpty() ? Stage::kDropped : Stage::kCommitted;
    }
    recordCursor_ = recordEnd;
    appendCursor_ = std::max(appendCursor_, recordEnd);
    commitCursor_ = commitEnd;
    workersWake_.notify_all();
  }

  // The records of files prepared since the last, written ahead (not
  // flushed): the files stay where they are until a flush carries them.
  void AppendRecords(std::unique_lock<std::mutex>& guard) {
    const size_t appendEnd = RunOf(appendCursor_, Stage::kPrepared);
    guard.unlock();
    for (size_t i = appendCursor_; i < appendEnd; ++i) {
      if (IsPrepared(items_[i])) settings_.recorder->Record(i, items_[i].outcome);
    }
    guard.lock();
    appendCursor_ = appendEnd;
  }

  // Tells the files whose ".old" copies are gone, in list order; then what
  // they held goes, so that memory stays flat.
  void Report(std::unique_lock<std::mutex>& guard) {
    while (!ReportDue()) mainWake_.wait(guard);
    const size_t reportEnd = std::min(RunOf(reportCursor_, Stage::kDropped), settings_.endAfter);
    guard.unlock();
    for (size_t i = reportCursor_; i < reportEnd; ++i) report_(i, items_[i].outcome);
    guard.lock();
    for (size_t i = reportCursor_; i < reportEnd; ++i) {
      items_[i].outcome = RetagOutcome();
      Count(items_[i]);
    }
    reportCursor_ = reportEnd;
    if (reportCursor_ == settings_.endAfter && reportCursor_ < files_.size()) {
      end_ = BatchEnd::kEnded;
    }
    workersWake_.notify_all();
  }

  bool IsPrepared(const Item& item) const {
    return !settings_.dryRun && item.outcome.kind != OutcomeKind::kFailure;
  }

  void Finished(size_t i) {
    items_[i].stage = Stage::kFinished;
    items_[i].finishedAt = Clock::now();
    std::string().swap(items_[i].outcome.oldCommentHeader);
    std::string().swap(items_[i].header);
    Count(items_[i]);
  }

  // The item's bytes counted again, after they changed (under the lock).
  void Count(Item& item) {
    held_ -= item.held;
    item.held = BytesHeld(item);
    held_ += item.held;
  }

  // The index after the run of files in stage from first.
  size_t RunOf(size_t first, Stage stage) const {
    while (first < files_.size() && items_[first].stage == stage) ++first;
    return first;
  }

  // Whether the files from first to end make a group worth a flush at once.
  bool IsLargeGroup(size_t first, size_t end) const {
    size_t weight = 0;
    for (size_t i = first; i < end && weight < kLargeWeight; ++i) weight += items_[i].weight;
    return weight >= kLargeWeight;
  }

  size_t InFlight() const {
    size_t count = 0;
    for (size_t i = commitCursor_; i < nextPrepare_; ++i) {
      const Stage stage = items_[i].stage;
      count +=
          stage == Stage::kPreparing || stage == Stage::kReleased || stage == Stage::kCompleting;
    }
    return count;
  }

  // A flush costs about the same for one file as for many: a group gathers for
  // a moment, unless the run is over, the group is large, or nothing more can
  // join it.
  bool CommitDue() const {
    const size_t ready = RunOf(commitCursor_, Stage::kFinished) - commitCursor_;
    if (ready == 0) return false;
    return IsLargeGroup(commitCursor_, commitCursor_ + ready) ||
           commitCursor_ + ready == files_.size() || InFlight() == 0 ||
           Clock::now() >= items_[commitCursor_].finishedAt + kGatherTime;
  }

  // Files prepared are recorded at once when they make a large group; or
  // when every file begun is prepared (a preparation takes far less than a
  // flush: the files in preparation join the group) and a worker waits for
  // work or they are the last.
  bool RecordDue() const {
    const size_t recordEnd = RunOf(recordCursor_, Stage::kPrepared);
    if (recordEnd == recordCursor_) return false;
    return IsLargeGroup(recordCursor_, recordEnd) ||
           (recordEnd == nextPrepare_ && (idle_ > 0 || recordEnd == files_.size()));
  }

  bool AppendDue() const {
    return settings_.recorder != nullptr &&
           RunOf(appendCursor_, Stage::kPrepared) - appendCursor_ >= kAppendRun;
  }

  // The files committed are told once their ".old" copies are gone, a group
  // at a time.
  bool ReportDue() const {
    const size_t ready = RunOf(reportCursor_, Stage::kDropped) - reportCursor_;
    return ready != 0 && (ready >= kLargeGroup / 2 || reportCursor_ + ready == commitCursor_);
  }

  // Wakes this thread when it has something to do (the worker that calls it
  // holds the lock): the other workers sleep on. done is the file a worker
  // just finished, if any: at the front, it starts the time a group gathers.
  void WakeMainIfDue(size_t done = SIZE_MAX) {
    if (done == commitCursor_ || RecordDue() || CommitDue() || ReportDue() || AppendDue()) {
      mainWake_.notify_one();
    }
  }

  void WaitForWork(std::unique_lock<std::mutex>& guard) {
    while (!RecordDue() && !CommitDue() && !ReportDue() && !AppendDue()) {
      if (commitCursor_ < files_.size() && items_[commitCursor_].stage == Stage::kFinished) {
        mainWake_.wait_until(guard, items_[commitCursor_].finishedAt + kGatherTime);
      } else {
        mainWake_.wait(guard);
      }
    }
  }

  RetagRequest Request(size_t i, const TagChoices& choices) {
    RetagRequest request;
    request.deferCommit = true;
    // A text of its own: buffers count their references without locks, and the
    // list's paths are shared with this thread.
    request.path = String(files_[i].CStr());
    request.position = static_cast<int>(i) + 1;
    request.choices = &choices;
    request.dryRun = settings_.dryRun;
    // Never in place without a recorder for the recovery records.
    request.inPlace = settings_.inPlace && (settings_.dryRun || settings_.recorder != nullptr);
    request.padding = settings_.padding;
    request.inPlaceWrites = settings_.inPlaceWrites;
    if (settings_.commentHeaderOf) request.commentHeader = &items_[i].header;
    return request;
  }

  // A thread that removes the ".old" copies of committed files, in order, also
  // after a failed journal.
  void RemoveCopies() {
    std::unique_lock<std::mutex> guard(lock_);
    while (!stopping_) {
      while (dropCursor_ < commitCursor_ && items_[dropCursor_].stage != Stage::kCommitted)
        ++dropCursor_;
      if (dropCursor_ == commitCursor_) {
        WakeMainIfDue();
        workersWake_.wait(guard);
        continue;
      }
      const size_t i = dropCursor_++;
      items_[i].stage = Stage::kDropping;
      guard.unlock();
      DropOldCopies({&items_[i].outcome});
      guard.lock();
      items_[i].stage = Stage::kDropped;
    }
  }

  // A worker: keeps a group prepared ahead (so that the next record never
  // waits), completes the recorded files, prepares further while within
  // bounds, else waits.
  void Work(const TagChoices& choices) {
    std::unique_lock<std::mutex> guard(lock_);
    while (!stopping_) {
      while (completeCursor_ < recordCursor_ && items_[completeCursor_].stage != Stage::kReleased)
        ++completeCursor_;
      const bool working = end_ == BatchEnd::kDone;
      const bool canPrepare = working && nextPrepare_ < files_.size() &&
                              nextPrepare_ < reportCursor_ + ahead_ && held_ < kAheadBytes;
      const bool fewPrepared = !IsLargeGroup(recordCursor_, nextPrepare_);
      size_t done = SIZE_MAX;
      if (canPrepare && fewPrepared) {
        Prepare(guard, choices);
      } else if (working && completeCursor_ < recordCursor_) {
        done = completeCursor_++;
        Complete(guard, done, choices);
      } else if (canPrepare) {
        Prepare(guard, choices);
      } else {
        ++idle_;
        WakeMainIfDue();
        workersWake_.wait(guard);
        --idle_;
        continue;
      }
      WakeMainIfDue(done);
    }
  }

  // Each phase of a file runs with the lock released.
  void Prepare(std::unique_lock<std::mutex>& guard, const TagChoices& choices) {
    const size_t i = nextPrepare_++;
    items_[i].stage = Stage::kPreparing;
    guard.unlock();
    RetagOutcome outcome;
    if (!settings_.commentHeaderOf || settings_.commentHeaderOf(i, items_[i].header)) {
      outcome = PrepareRetag(Request(i, choices));
    } else {
      // Refused untouched, as a header that does not read would be.
      outcome.message.Assign(kErrorCorruptSecondary);
    }
    guard.lock();
    items_[i].outcome = std::move(outcome);
    items_[i].stage = Stage::kPrepared;
    items_[i].weight =
        IsPrepared(items_[i]) && items_[i].outcome.inPlace == nullptr ? kRewriteWeight : 1;
    Count(items_[i]);
  }

  void Complete(std::unique_lock<std::mutex>& guard, size_t i, const TagChoices& choices) {
    items_[i].stage = Stage::kCompleting;
    guard.unlock();
    CompleteRetag(Request(i, choices), items_[i].outcome);
    guard.lock();
    Finished(i);
  }

  // After the journal failed: files the workers finished since are put back.
  void PutBackUncommitted() {
    std::vector<RetagOutcome*> uncommitted;
    for (size_t i = commitCursor_; i < files_.size(); ++i) {
      uncommitted.push_back(&items_[i].outcome);
    }
    PutBack(uncommitted);
  }

  const std::vector<String>& files_;
  const FixedTagChoices& choices_;
  const BatchSettings& settings_;
  const OutcomeSink& report_;
  std::vector<Item> items_;
  const size_t ahead_;

  std::mutex lock_;
  std::condition_variable mainWake_;     // this thread waits here
  std::condition_variable workersWake_;  // the workers wait here
  // Files go through the cursors in list order, each cursor behind the one
  // above it.
  size_t nextPrepare_ = 0;     // the next file to prepare
  size_t recordCursor_ = 0;    // the first file not yet recorded
  size_t appendCursor_ = 0;    // the first file whose record is not yet written ahead
  size_t completeCursor_ = 0;  // the first recorded file not yet taken to complete
  size_t commitCursor_ = 0;    // the first file not yet committed
  size_t dropCursor_ = 0;      // the first committed file whose copy is not yet taken
  size_t reportCursor_ = 0;    // the first file not yet told
  size_t held_ = 0;            // bytes the files in work hold (see BytesHeld)
  unsigned idle_ = 0;          // workers waiting for work
  bool stopping_ = false;
  BatchEnd end_ = BatchEnd::kDone;
};

}  // namespace

unsigned DefaultWorkerCount() {
  const unsigned cores = std::thread::hardware_concurrency();
  return std::min(4u, std::max(1u, cores));
}

BatchEnd RetagFiles(const std::vector<String>& files, const FixedTagChoices& choices,
                    const BatchSettings& settings, const OutcomeSink& report) {
  if (files.empty()) return BatchEnd::kDone;
  return Batch(files, choices, settings, report).Run();
}
