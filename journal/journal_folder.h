// The journals of runs in the state folder: one file per run, named
// run-NNNNNN.journal and numbered up, the newest kKeptJournals kept.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/status.h"
#include "journal/record_log.h"
#include "text/shared_string.h"

// How many runs can be taken back.
constexpr size_t kKeptJournals = 20;

// The numbers of the journals in folder, oldest first; none when the folder
// cannot be listed.
std::vector<uint64_t> JournalNumbers(const String& folder);
String JournalPath(const String& folder, uint64_t number);

// Makes folder when missing and in it a new journal, numbered after the newest,
// created and locked by writer (path gets its name).
Status CreateJournal(const String& folder, RecordLogWriter& writer, String& path);

// Removes the oldest journals of folder beyond kKeptJournals that no process
// holds (a run still going holds its own).
void RemoveOldJournals(const String& folder);
