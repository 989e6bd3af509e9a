// Taking the last run back (see undo.h). The journal goes once the run is
// undone, so that the next --undo takes the run before; files that failed to
// go back stay in a journal of their own, to be tried again.
#include "cli/undo.h"

#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "cli/batch_runner.h"
#include "cli/cli_texts.h"
#include "cli/console_output.h"
#include "cli/journal.h"
#include "cli/platform.h"
#include "cli/result_lines.h"
#include "cli/tag_listing.h"
#include "files/file_system.h"

namespace {

std::string LocalTime(int64_t seconds) {
  const std::time_t time = static_cast<std::time_t>(seconds);
  const std::tm* local = std::localtime(&time);
  char text[32] = "?";
  if (local != nullptr) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", local);
  return text;
}

// Why a file of the journal is not taken back, or null.
const char* SkipReason(const JournalEntry& entry) {
  FileStamp now;
  if (!GetFileStamp(entry.path, now).ok()) return cli_text::kNoSuchFile;
  if (now != entry.stamp) return cli_text::kChangedSince;
  return nullptr;
}

// The files put back are as the run before left them, when nothing wrote them
// between the two runs: that run's journal gets their new stamps, so that it
// can be taken back in turn. Files are matched by identity, whatever path
// each run was given.
void HandOverStamps(const String& folder, uint64_t number,
                    const std::vector<JournalEntry>& restored) {
  Journal before;
  if (restored.empty() || !ReadNewestJournal(folder, before, number).ok()) return;
  std::map<FileIdentity, const JournalEntry*> earlier;
  for (const JournalEntry& entry : before.entries) {
    FileIdentity identity;
    if (GetFileIdentity(entry.path, identity).ok()) earlier[identity] = &entry;
  }
  std::vector<JournalEntry> stamps;
  for (const JournalEntry& entry : restored) {
    FileIdentity identity;
    if (!GetFileIdentity(entry.path, identity).ok()) continue;
    const auto found = earlier.find(identity);
    if (found == earlier.end() || found->second->stamp != entry.oldStamp) continue;
    JournalEntry stamp;
    stamp.path = found->second->path;
    if (GetFileStamp(entry.path, stamp.stamp).ok()) stamps.push_back(stamp);
  }
  RestampJournal(before, stamps);
}

}  // namespace

int UndoLastRun(bool dryRun, bool quiet, const CliConsole& console) {
  const String folder = StateFolder();
  Journal journal;
  const Status read = ReadNewestJournal(folder, journal);
  if (!read.ok()) {
    if (read.code() == StatusCode::kNotFound) {
      PrintFormat(console.err, cli_text::kNoRun, DisplayPath(folder).c_str());
    } else {
      PrintFormat(console.err, cli_text::kJournalUnreadable, DisplayPath(journal.path).c_str(),
                  DisplayPath(folder).c_str());
    }
    return 1;
  }
  if (!quiet) {
    PrintFormat(console.out, cli_text::kUndoing, LocalTime(journal.runTime).c_str(),
                static_cast<unsigned long>(journal.entries.size()));
  }

  std::vector<const JournalEntry*> taken;
  std::vector<String> files;
  std::vector<std::string> headers;
  for (const JournalEntry& entry : journal.entries) {
    const char* skip = SkipReason(entry);
    if (skip != nullptr) {
      PrintFormat(console.err, cli_text::kSkipped, DisplayPath(entry.path).c_str(), skip);
      continue;
    }
    taken.push_back(&entry);
    files.push_back(entry.path);
    headers.push_back(entry.commentHeader);
  }

  ResultLines lines(console, quiet, files);
  std::vector<const JournalEntry*> failed;
  std::vector<JournalEntry> restored;
  BatchSettings settings;
  settings.workers = console.workers;
  settings.dryRun = dryRun;
  settings.commentHeaders = &headers;
  RetagFiles(files, FixedTagChoices(), settings, [&](size_t i, const RetagOutcome& outcome) {
    FileTags tags;
    ParseCommentHeader(headers[i], tags);
    lines.Line(i, outcome, dryRun ? &tags.comments : nullptr);
    if (outcome.kind == OutcomeKind::kFailure) {
      failed.push_back(taken[i]);
    } else {
      restored.push_back(*taken[i]);
    }
  });
  lines.Done();
  if (!dryRun) {
    HandOverStamps(folder, journal.number, restored);
    bool kept = true;
    if (!failed.empty()) {
      JournalWriter rest;
      kept = rest.Create(folder, journal.runTime).ok();
      for (const JournalEntry* entry : failed) kept = rest.Add(*entry).ok() && kept;
      kept = rest.Finish().ok() && kept;
      if (!kept) {
        PrintFormat(console.err, cli_text::kJournalKept, DisplayPath(journal.path).c_str());
      }
    }
    if (kept) RemoveFile(journal.path.CStr());
  }
  return files.size() != journal.entries.size() || lines.AnyFailed() ? 1 : 0;
}
