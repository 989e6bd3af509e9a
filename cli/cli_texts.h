// Every text that mirale-cli prints of its own, each written once: the usage
// text around the tags' options (which come from the table of choosable tags),
// usage errors, skipped arguments, the journal, --undo and the recovery of
// interrupted edits in place (in English and French). The results of a retag
// come from the engine's message tables. printf formats where a text takes
// values.
#pragma once
#include "base/version.h"

namespace cli_text {

// The usage text: its head, then a line per choosable tag, then its tail.
inline constexpr char kUsageHead[] =
    "Usage: mirale-cli [OPTIONS] FILE|FOLDER...\n"
    "       mirale-cli --show [--json] [-r] FILE|FOLDER...\n"
    "       mirale-cli --undo [--dry-run]\n"
    "Rewrites the Vorbis comments of Ogg Vorbis, Ogg Opus and FLAC files; the audio stays\n"
    "as it is.\n"
    "\n";
inline constexpr char kUsageTail[] =
    "  -r, --recursive       take the .ogg, .opus, .oga and .flac files under each FOLDER,\n"
    "                        in natural order (\"2\" before \"10\", case ignored); files\n"
    "                        keep their place\n"
    "  --dry-run             print what the run would do, tags included; change nothing\n"
    "  --rewrite             rewrite every file whole, even where the new tags fit in place\n"
    "  --no-padding          leave no room after the tags of a file rewritten\n"
    "  --show                print each file's vendor text and comments (KEY=value), and\n"
    "                        a FLAC file's pictures (picture: type, MIME type, size)\n"
    "  --json                with --show: one JSON object per file\n"
    "  --undo                put back the tags the last run replaced\n"
    "  --no-journal          do not record the run (it cannot be undone then)\n"
    "  -q, --quiet           print only the lines of failed files; no progress line\n"
    "  --help, --version\n"
    "\n"
    "Examples:\n"
    "  mirale-cli --album \"Le Jour\" --date 2026-12 --label Maison --genre Jazz *.ogg\n"
    "  mirale-cli --artist \"Les Oiseaux\" --comment \"Live\" *.ogg\n"
    "  mirale-cli --artist-from-name --title-from-name \"Band - Song.ogg\"\n"
    "  mirale-cli --track-from-name \"07 - Band - Song.ogg\"   TRACKNUMBER=7\n"
    "  mirale-cli -r --track-from-order Album/        numbers an album in order\n"
    "  mirale-cli --dry-run --genre Jazz -r Music/    the tags before writing\n"
    "  mirale-cli --show --json song.ogg              the tags as JSON\n"
    "  mirale-cli --undo --dry-run                    what --undo would put back\n"
    "  mirale-cli --undo                              takes the last run back\n"
    "  mirale-cli -q --no-journal --label X *.ogg     failures only, no journal\n"
    "\n"
    "Only Ogg Vorbis, Ogg Opus and FLAC files (.ogg, .opus, .oga, .flac) are taken.\n"
    "When the new tags fit in the room the old ones had, only the tags' bytes are\n"
    "written where they lie, flushed and checked (a crash is repaired at the next\n"
    "start); else the file is checked, moved to FILE.old, written anew with room for\n"
    "the next edit and verified, and only then the .old copy deleted (after a\n"
    "failure it stays). Every run\n"
    "that writes is recorded (the last 20 runs) in $XDG_STATE_HOME/mirale, else\n"
    "~/.local/state/mirale (%LOCALAPPDATA%\\Mirale on Windows); when that cannot be\n"
    "written the run stops before any file. --undo restores the files the last run\n"
    "retagged that have not changed since; the run before is next.\n"
    "Exit status: 0 all files retagged, 1 a file failed or an argument was skipped\n"
    "(or a file was not restored, or the journal could not be written), 2 a usage error.\n";

inline constexpr char kVersion[] = "mirale-cli " MIRALE_SHORT_VERSION_TEXT "\n";

// A usage error (nothing is touched), with what is wrong.
inline constexpr char kUsageError[] = "mirale-cli: %s\nTry 'mirale-cli --help'.\n";
inline constexpr char kUnknownOption[] = "unknown option %s";
inline constexpr char kNeedsValue[] = "%s needs a value";
inline constexpr char kExcludeEachOther[] = "%s and %s exclude each other";
inline constexpr char kJsonWithoutShow[] = "--json goes with --show";
inline constexpr char kTagOptionWithShow[] = "--show only reads: no tag option with it";
inline constexpr char kTagOptionWithUndo[] = "--undo puts the old tags back: no tag option with it";
inline constexpr char kShowWithUndo[] = "--show and --undo exclude each other";
inline constexpr char kWriteOptionWithShow[] = "--show only reads: no --rewrite or --no-padding";
inline constexpr char kUndoWithFile[] = "--undo takes no file";
inline constexpr char kNoFile[] = "no file given";
inline constexpr char kBadDateOption[] = "--date: %s";

// An argument or a file of the journal left out, and why.
inline constexpr char kSkipped[] = "mirale-cli: skipped %s: %s\n";
inline constexpr char kNotTaggable[] = "not an .ogg, .opus, .oga or .flac file";
inline constexpr char kNoSuchFile[] = "no such file";
inline constexpr char kAFolder[] = "a folder";
inline constexpr char kNotRegular[] = "not a regular file";
inline constexpr char kPathTooLong[] = "path too long";
inline constexpr char kPermissionDenied[] = "permission denied";
inline constexpr char kCannotReach[] = "cannot be reached";
inline constexpr char kCannotReadFolder[] = "cannot read the folder";
inline constexpr char kChangedSince[] = "changed since that run";
inline constexpr char kOldCopyNotOurs[] = "its .old file is not the file that run left";
inline constexpr char kCannotPutBackOldCopy[] = "cannot put its .old file back";
inline constexpr char kOldHeaderUnusable[] =
    "the old tags in the journal do not read as this file's";

// A file --show cannot read, and why.
inline constexpr char kCannotShow[] = "mirale-cli: %s: %s\n";
inline constexpr char kShownFile[] = "%s\n  vendor: ";
// A FLAC file's PICTURE block: its picture type (3 the front cover), MIME
// type and image size.
inline constexpr char kShownPicture[] = "  picture: type %lu, %s, %lu bytes\n";

// The journal.
inline constexpr char kJournalNotWritten[] =
    "mirale-cli: cannot write the journal in %s; no file was touched "
    "(--no-journal runs without one)\n";
inline constexpr char kJournalIncomplete[] =
    "mirale-cli: the journal %s is incomplete: --undo will miss files\n";
inline constexpr char kJournalStopped[] =
    "mirale-cli: cannot write the journal %s (%s): the run stops here; the files without a "
    "line above were not touched\n";
inline constexpr char kOldCopyNote[] =
    "mirale-cli: %s.old holds the original from an interrupted run: 'mirale-cli --undo' puts "
    "it back\n";

// --undo.
inline constexpr char kNoRun[] = "mirale-cli: no run to undo (%s)\n";
inline constexpr char kJournalUnreadable[] = "mirale-cli: cannot read the journal %s (%s)\n";
inline constexpr char kUndoing[] = "Undoing the run of %s (%lu files)\n";
inline constexpr char kRunInProgress[] =
    "mirale-cli: a run is in progress (its journal %s is in use): undo it once it has ended\n";
inline constexpr char kOlderJournal[] =
    "mirale-cli: the journal %s was written by an older mirale-cli and cannot be undone by "
    "this one; it is left as it is\n";
inline constexpr char kEmptyJournalRemoved[] =
    "mirale-cli: removed %s, the journal of a run that stopped before its first file\n";
inline constexpr char kJournalDamaged[] =
    "mirale-cli: the journal %s is damaged after its first %lld bytes: files recorded after "
    "that cannot be put back\n";
inline constexpr char kJournalKept[] =
    "mirale-cli: cannot record the undo in the journal %s: the next --undo checks its files "
    "again\n";
inline constexpr char kFilesRemain[] =
    "mirale-cli: %lu files of that run are not back yet: its journal keeps them for the next "
    "--undo\n";

// A text told in the user's language.
struct LocalText {
  const char* english;
  const char* french;
  const char* In(bool inFrench) const { return inFrench ? french : english; }
};

// Under a file's line in a dry run: the way it would be written.
inline constexpr LocalText kWouldEditInPlace = {"  (edited in place)\n", "  (modifié sur place)\n"};
inline constexpr LocalText kWouldRewrite = {"  (rewritten)\n", "  (réécrit)\n"};

// Edits in place interrupted by a crash, a power loss or a killed process,
// found at the next start.
inline constexpr LocalText kRestoredAfterInterruptedEdit = {
    "restored after an interrupted edit: %s\n",
    "restauré après une modification interrompue : %s\n"};
inline constexpr LocalText kInterruptedEditPending = {
    "mirale-cli: an interrupted edit of %s is pending: the next run without --dry-run "
    "restores the file\n",
    "mirale-cli : une modification interrompue de %s est en attente : la prochaine "
    "exécution sans --dry-run remettra le fichier en état\n"};
inline constexpr LocalText kInterruptedEditLeft = {
    "mirale-cli: %s is no longer as an interrupted edit left it: it is left as it is\n",
    "mirale-cli : %s n'est plus tel qu'une modification interrompue l'a laissé : il reste "
    "tel quel\n"};
inline constexpr LocalText kInterruptedEditUnreached = {
    "mirale-cli: cannot restore %s after an interrupted edit (%s): the next start tries "
    "again\n",
    "mirale-cli : impossible de remettre %s en état après une modification interrompue "
    "(%s) : le prochain lancement réessaiera\n"};

// The progress line.
inline constexpr char kProgress[] = "%lu/%lu files, %.1f MB/s, %s left";

}  // namespace cli_text
