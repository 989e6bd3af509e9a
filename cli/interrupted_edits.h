// What mirale-cli does first at every start: puts back the files whose edit in
// place was interrupted (a crash, a power loss, a killed process), from the
// recovery records not retired in the journals that no live process holds.
#pragma once
#include "cli/cli_app.h"

// Restores the old bytes of each such file that is still the file the record
// names (its identity and size) and holds, piece by piece, the old or the new
// bytes (a torn write too), says so on stderr, and retires the record; leaves
// any other file alone with a warning. A record whose checksum fails is never
// applied. A dry run changes nothing and only says which records are pending.
void RecoverInterruptedEdits(bool dryRun, const CliConsole& console);
