// Several files in work at once (see batch_runner.h). Each file is still
// retagged whole by one thread; what the threads share is read only, and each
// has tag choices of its own, since text buffers count references without locks.
#include "cli/batch_runner.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "engine/retag_file.h"
#include "files/file_system.h"

namespace {

// How long finished files wait for others before their group is flushed, and
// how many make a group worth flushing at once.
constexpr std::chrono::milliseconds kGatherTime(100);
constexpr size_t kLargeGroup = 64;

RetagOutcome RetagOne(const std::vector<String>& files, size_t index, const TagChoices& choices,
                      const BatchSettings& settings, bool deferCommit) {
  RetagRequest request;
  request.deferCommit = deferCommit && !settings.dryRun;
  // A text of its own: buffers count their references without locks, and the
  // list's paths are shared with the printing thread.
  request.path = String(files[index].CStr());
  request.position = static_cast<int>(index) + 1;
  request.choices = &choices;
  request.dryRun = settings.dryRun;
  if (settings.commentHeaders != nullptr)
    request.commentHeader = &(*settings.commentHeaders)[index];
  return RetagListedFile(request);
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

}  // namespace

unsigned DefaultWorkerCount() {
  const unsigned cores = std::thread::hardware_concurrency();
  return std::min(4u, std::max(1u, cores));
}

void RetagFiles(const std::vector<String>& files, const FixedTagChoices& choices,
                const BatchSettings& settings, const OutcomeSink& report) {
  if (NamesAFileTwice(files)) {
    // Each retag of a file must be complete, its ".old" copy gone, before the next.
    for (size_t i = 0; i < files.size(); ++i) {
      report(i, RetagOne(files, i, choices, settings, false));
    }
    return;
  }
  const unsigned workers =
      std::max(1u, std::min(settings.workers, static_cast<unsigned>(files.size())));

  // The workers retag; this thread commits what they finished, in list order, a
  // group at a time (one flush to the disk for the group, then the ".old"
  // copies go), and only then reports those files.
  std::vector<RetagOutcome> outcomes(files.size());
  std::vector<bool> finished(files.size(), false);
  std::mutex lock;
  std::condition_variable changed;
  std::atomic<size_t> next{0};
  std::vector<FixedTagChoices> ownChoices;
  for (unsigned w = 0; w < workers; ++w) ownChoices.push_back(choices.Detached());

  std::vector<std::thread> threads;
  for (unsigned w = 0; w < workers; ++w) {
    threads.emplace_back([&, w] {
      for (size_t i = next++; i < files.size(); i = next++) {
        RetagOutcome outcome = RetagOne(files, i, ownChoices[w], settings, true);
        std::lock_guard<std::mutex> guard(lock);
        outcomes[i] = std::move(outcome);
        finished[i] = true;
        changed.notify_all();
      }
    });
  }
  for (size_t i = 0; i < files.size();) {
    std::vector<RetagOutcome> group;
    {
      std::unique_lock<std::mutex> guard(lock);
      changed.wait(guard, [&] { return finished[i]; });
      // A flush costs about the same for one file as for many: let a group
      // gather for a moment, unless the run is over or the group is large.
      const auto deadline = std::chrono::steady_clock::now() + kGatherTime;
      changed.wait_until(guard, deadline, [&] {
        size_t ready = 0;
        while (i + ready < files.size() && finished[i + ready]) ++ready;
        return i + ready == files.size() || ready >= kLargeGroup;
      });
      for (size_t j = i; j < files.size() && finished[j]; ++j)
        group.push_back(std::move(outcomes[j]));
    }
    std::vector<RetagOutcome*> pending;
    for (RetagOutcome& outcome : group) pending.push_back(&outcome);
    CommitRetags(pending);
    for (const RetagOutcome& outcome : group) report(i++, outcome);
  }
  for (std::thread& thread : threads) thread.join();
}
