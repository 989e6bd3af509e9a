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

#include "engine/retag_file.h"
#include "files/file_system.h"

namespace {

using Clock = std::chrono::steady_clock;

// How long finished files wait for others before their group is flushed, and
// how many make a group worth flushing at once.
constexpr std::chrono::milliseconds kGatherTime(100);
constexpr size_t kLargeGroup = 64;
// How far the workers prepare ahead of the files reported: in files, and in
// bytes of comment headers and comments held meanwhile (large pictures).
constexpr size_t kAheadFiles = 4 * kLargeGroup;
constexpr size_t kAheadBytes = 8 << 20;

enum class Stage { kWaiting, kPreparing, kPrepared, kReleased, kCompleting, kFinished };

struct Item {
  Stage stage = Stage::kWaiting;
  RetagOutcome outcome;
  std::string header;  // the replacement header while the file is in work
  Clock::time_point finishedAt;
  size_t held = 0;  // bytes of the above counted in the batch's held bytes
};

size_t BytesHeld(const Item& item) {
  size_t bytes = item.header.size() + item.outcome.oldCommentHeader.size();
  for (const std::string& comment : item.outcome.comments) bytes += comment.size();
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
// and the ".old" copy takes its name again.
void PutBack(const std::vector<RetagOutcome*>& outcomes) {
  for (RetagOutcome* outcome : outcomes) {
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
    std::unique_lock<std::mutex> guard(lock_);
    while (commitCursor_ < files_.size() && end_ == BatchEnd::kDone) Step(guard);
    stopping_ = true;
    changed_.notify_all();
    guard.unlock();
    for (std::thread& thread : threads) thread.join();
    if (end_ == BatchEnd::kJournalFailed) PutBackUnreported();
    return end_;
  }

 private:
  // One turn of this thread: the files finished at the front flushed, the
  // files prepared recorded, one flush of the journal for both, then the
  // finished files' ".old" copies go, they are reported, and the recorded
  // files go to the workers.
  void Step(std::unique_lock<std::mutex>& guard) {
    WaitForWork(guard);
    const size_t recordEnd = RunOf(recordCursor_, Stage::kPrepared);
    const size_t commitEnd = CommitDue() ? RunOf(commitCursor_, Stage::kFinished) : commitCursor_;
    guard.unlock();

    std::vector<RetagOutcome*> committing;
    for (size_t i = commitCursor_; i < commitEnd; ++i) committing.push_back(&items_[i].outcome);
    FlushRetags(committing);
    bool recorded = true;
    if (settings_.recorder != nullptr) {
      for (size_t i = commitCursor_; i < commitEnd; ++i) {
        if (!items_[i].outcome.pendingOldPath.IsEmpty())
          settings_.recorder->Committed(i, items_[i].outcome);
      }
      for (size_t i = recordCursor_; i < recordEnd; ++i) {
        if (IsPrepared(items_[i])) settings_.recorder->Record(i, items_[i].outcome);
      }
      recorded = settings_.recorder->Flush();
    }
    if (!recorded) {
      // Their new state may not be recorded: they go back as they were.
      PutBack(committing);
      guard.lock();
      end_ = BatchEnd::kJournalFailed;
      return;
    }
    Release(guard, recordEnd);
    DropOldCopies(committing);
    size_t reported = commitCursor_;
    for (; reported < commitEnd && reported < settings_.endAfter; ++reported) {
      report_(reported, items_[reported].outcome);
    }

    guard.lock();
    if (reported == settings_.endAfter && reported < files_.size()) end_ = BatchEnd::kEnded;
    // What a file holds goes once it is told: memory stays flat.
    for (size_t i = commitCursor_; i < commitEnd; ++i) {
      items_[i].outcome = RetagOutcome();
      Count(items_[i]);
    }
    commitCursor_ = commitEnd;
    changed_.notify_all();
  }

  // The files recorded go to the workers (the others are finished), while
  // this thread lets the committed files' ".old" copies go.
  void Release(std::unique_lock<std::mutex>& guard, size_t recordEnd) {
    guard.lock();
    for (size_t i = recordCursor_; i < recordEnd; ++i) {
      if (IsPrepared(items_[i])) {
        items_[i].stage = Stage::kReleased;
      } else {
        Finished(i);
      }
    }
    recordCursor_ = recordEnd;
    changed_.notify_all();
    guard.unlock();
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
    return ready >= kLargeGroup || commitCursor_ + ready == files_.size() || InFlight() == 0 ||
           Clock::now() >= items_[commitCursor_].finishedAt + kGatherTime;
  }

  // Files prepared are recorded at once when a worker waits for work, when
  // they make a large group, or when they are the last.
  bool RecordDue() const {
    const size_t ready = RunOf(recordCursor_, Stage::kPrepared) - recordCursor_;
    if (ready == 0) return false;
    return idle_ > 0 || ready >= kLargeGroup || recordCursor_ + ready == files_.size();
  }

  void WaitForWork(std::unique_lock<std::mutex>& guard) {
    while (!RecordDue() && !CommitDue()) {
      if (commitCursor_ < files_.size() && items_[commitCursor_].stage == Stage::kFinished) {
        changed_.wait_until(guard, items_[commitCursor_].finishedAt + kGatherTime);
      } else {
        changed_.wait(guard);
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
    if (settings_.commentHeaderOf) request.commentHeader = &items_[i].header;
    return request;
  }

  // A worker: completes recorded files first, else prepares the next file
  // while the files prepared ahead stay within bounds, else waits.
  void Work(const TagChoices& choices) {
    std::unique_lock<std::mutex> guard(lock_);
    while (!stopping_ && end_ == BatchEnd::kDone) {
      while (completeCursor_ < recordCursor_ && items_[completeCursor_].stage != Stage::kReleased)
        ++completeCursor_;
      const bool canPrepare = nextPrepare_ < files_.size() &&
                              nextPrepare_ < commitCursor_ + ahead_ && held_ < kAheadBytes;
      // Files prepared ahead make the next group to record, so that the
      // workers never wait for this thread's flushes.
      const bool fewPrepared = nextPrepare_ - recordCursor_ < kLargeGroup;
      if (canPrepare && fewPrepared) {
        Prepare(guard, choices);
      } else if (completeCursor_ < recordCursor_) {
        const size_t i = completeCursor_++;
        items_[i].stage = Stage::kCompleting;
        guard.unlock();
        CompleteRetag(Request(i, choices), items_[i].outcome);
        guard.lock();
        Finished(i);
      } else if (canPrepare) {
        Prepare(guard, choices);
      } else {
        ++idle_;
        changed_.notify_all();
        changed_.wait(guard);
        --idle_;
        continue;
      }
      changed_.notify_all();
    }
  }

  // Prepares the next file, the lock released meanwhile.
  void Prepare(std::unique_lock<std::mutex>& guard, const TagChoices& choices) {
    const size_t i = nextPrepare_++;
    items_[i].stage = Stage::kPreparing;
    guard.unlock();
    if (settings_.commentHeaderOf) items_[i].header = settings_.commentHeaderOf(i);
    RetagOutcome outcome = PrepareRetag(Request(i, choices));
    guard.lock();
    items_[i].outcome = std::move(outcome);
    items_[i].stage = Stage::kPrepared;
    Count(items_[i]);
  }

  // After the journal failed: files the workers finished since are put back.
  void PutBackUnreported() {
    std::vector<RetagOutcome*> unreported;
    for (size_t i = commitCursor_; i < files_.size(); ++i) {
      unreported.push_back(&items_[i].outcome);
    }
    PutBack(unreported);
  }

  const std::vector<String>& files_;
  const FixedTagChoices& choices_;
  const BatchSettings& settings_;
  const OutcomeSink& report_;
  std::vector<Item> items_;
  const size_t ahead_;

  std::mutex lock_;
  std::condition_variable changed_;
  size_t nextPrepare_ = 0;     // the next file to prepare
  size_t recordCursor_ = 0;    // the first file not yet recorded
  size_t completeCursor_ = 0;  // the first recorded file not yet taken to complete
  size_t commitCursor_ = 0;    // the first file not yet reported
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
