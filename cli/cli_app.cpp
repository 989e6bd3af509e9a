// mirale-cli's option parsing and its phases (see cli_app.h): --show, --undo,
// or a retag recorded in a journal.
#include "cli/cli_app.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "base/version.h"
#include "cli/batch_runner.h"
#include "cli/console_output.h"
#include "cli/file_selection.h"
#include "cli/journal.h"
#include "cli/platform.h"
#include "cli/result_lines.h"
#include "cli/tag_listing.h"
#include "cli/undo.h"
#include "engine/choosable_tags.h"
#include "engine/message_table.h"
#include "engine/retag_file.h"
#include "engine/taggable_file.h"
#include "files/file_system.h"
#include "text/encodings.h"

namespace {

// The usage text: its head, a line per choosable tag, then the rest.
const char kUsageHead[] =
    "Usage: mirale-cli [OPTIONS] FILE|FOLDER...\n"
    "       mirale-cli --show [--json] [-r] FILE|FOLDER...\n"
    "       mirale-cli --undo [--dry-run]\n"
    "Rewrites the Vorbis comments of Ogg Vorbis and Ogg Opus files; the audio stays as it is.\n"
    "\n";
const char kUsageTail[] =
    "  -r, --recursive       take the .ogg, .opus and .oga files under each FOLDER, in natural "
    "order\n"
    "                        (\"2\" before \"10\", case ignored); files keep their place\n"
    "  --dry-run             print what the run would do, tags included; change nothing\n"
    "  --show                print each file's vendor text and comments (KEY=value)\n"
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
    "Only Ogg Vorbis and Ogg Opus files (.ogg, .opus, .oga) are taken. Each file is\n"
    "checked, moved to FILE.old, written anew and verified, and only then the .old\n"
    "copy deleted; after a failure the .old copy stays. Every run\n"
    "that writes is recorded (the last 20 runs) in $XDG_STATE_HOME/mirale, else\n"
    "~/.local/state/mirale (%LOCALAPPDATA%\\Mirale on Windows); when that cannot be\n"
    "written the run stops before any file. --undo restores the files the last run\n"
    "retagged that have not changed since; the run before is next.\n"
    "Exit status: 0 all files retagged, 1 a file failed (or was not restored, or the\n"
    "journal could not be written), 2 a usage error.\n";
// Where the usage text's descriptions start.
constexpr size_t kUsageColumn = 24;

bool TakesValue(const ChoosableTag& tag) { return tag.field != kNoField; }

// "  --album TEXT          set ALBUM"
std::string UsageLine(const ChoosableTag& tag) {
  std::string line = std::string("  ") + tag.option + (TakesValue(tag) ? " TEXT" : "");
  line.resize(std::max(kUsageColumn, line.size() + 1), ' ');
  return line + "set " + tag.tagName + tag.usageNote + "\n";
}

// The options with a value first, then the flags, each in the table's order.
std::string UsageText() {
  std::string usage = kUsageHead;
  for (bool values : {true, false}) {
    for (const ChoosableTag& tag : kChoosableTags) {
      if (TakesValue(tag) == values) usage += UsageLine(tag);
    }
  }
  return usage + kUsageTail;
}

struct ParsedLine {
  FixedTagChoices choices;
  std::vector<std::string> files;
  bool help = false;
  bool version = false;
  bool recursive = false;
  bool dryRun = false;
  bool show = false;
  bool json = false;
  bool undo = false;
  bool noJournal = false;
  bool quiet = false;
};

struct ModeOption {
  const char* name;
  bool ParsedLine::*flag;
};
const ModeOption kModeOptions[] = {
    {"-r", &ParsedLine::recursive},
    {"--recursive", &ParsedLine::recursive},
    {"--dry-run", &ParsedLine::dryRun},
    {"--show", &ParsedLine::show},
    {"--json", &ParsedLine::json},
    {"--undo", &ParsedLine::undo},
    {"--no-journal", &ParsedLine::noJournal},
    {"-q", &ParsedLine::quiet},
    {"--quiet", &ParsedLine::quiet},
};

bool AnyTagOption(const ParsedLine& line) {
  for (const ChoosableTag& tag : kChoosableTags) {
    if (line.choices.IsTicked(tag.box)) return true;
  }
  return false;
}

// Takes word (and the value after it, at i + 1) when it is the tag's option;
// false when it is not. problem is set when the value is missing.
bool TakeTagOption(const ChoosableTag& tag, const std::vector<std::string>& arguments, size_t& i,
                   ParsedLine& line, std::string& problem) {
  const std::string& word = arguments[i];
  if (!TakesValue(tag)) {
    if (word != tag.option) return false;
    line.choices.Tick(tag.box);
    return true;
  }
  const size_t n = std::strlen(tag.option);
  std::string value;
  if (word == tag.option) {
    if (i + 1 >= arguments.size()) {
      problem = std::string(tag.option) + " needs a value";
      return true;
    }
    value = arguments[++i];
  } else if (word.compare(0, n, tag.option) == 0 && word.size() > n && word[n] == '=') {
    value = word.substr(n + 1);
  } else {
    return false;
  }
  WideString wide;
  Utf8ToWide(value.c_str(), wide);
  line.choices.SetField(tag.field, String(value.c_str()), wide);
  line.choices.Tick(tag.box);
  return true;
}

// The dialog keeps these pairs exclusive; here they are refused outright.
std::string ExclusionProblem(const ParsedLine& line) {
  for (const ExclusiveBoxes& pair : kExclusiveBoxes) {
    if (!line.choices.IsTicked(pair.kept) || !line.choices.IsTicked(pair.dropped)) continue;
    // Named in the table's order.
    const ChoosableTag* first = ChoosableTagOf(pair.kept);
    const ChoosableTag* second = ChoosableTagOf(pair.dropped);
    if (second < first) std::swap(first, second);
    return std::string(first->option) + " and " + second->option + " exclude each other";
  }
  return std::string();
}

// Returns an empty text when the arguments are usable, else what is wrong.
std::string ParseArguments(const std::vector<std::string>& arguments, ParsedLine& line) {
  bool optionsEnded = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& word = arguments[i];
    if (optionsEnded || word.empty() || word[0] != '-' || word == "-") {
      line.files.push_back(word);
      continue;
    }
    if (word == "--") {
      optionsEnded = true;
      continue;
    }
    if (word == "--help" || word == "-h") {
      line.help = true;
      continue;
    }
    if (word == "--version") {
      line.version = true;
      continue;
    }
    bool known = false;
    for (const ModeOption& mode : kModeOptions) {
      if (word == mode.name) {
        line.*mode.flag = true;
        known = true;
      }
    }
    for (const ChoosableTag& tag : kChoosableTags) {
      std::string problem;
      if (!TakeTagOption(tag, arguments, i, line, problem)) continue;
      if (!problem.empty()) return problem;
      known = true;
      break;  // i may have moved on to the value
    }
    if (!known) return "unknown option " + word;
  }
  const std::string exclusion = ExclusionProblem(line);
  if (!exclusion.empty()) return exclusion;
  if (line.json && !line.show) return "--json goes with --show";
  if ((line.show || line.undo) && AnyTagOption(line)) {
    return line.show ? "--show only reads: no tag option with it"
                     : "--undo puts the old tags back: no tag option with it";
  }
  if (line.show && line.undo) return "--show and --undo exclude each other";
  if (line.undo && !line.files.empty()) return "--undo takes no file";
  if (!line.help && !line.version && !line.undo && line.files.empty()) return "no file given";
  return std::string();
}

// The retag itself: the journal first (the run stops here when it cannot be
// written), then each file's line as it finishes, each retagged file recorded.
int Retag(const ParsedLine& line, const std::vector<String>& files, const CliConsole& console) {
  JournalWriter journal;
  const bool recorded = !line.dryRun && !line.noJournal && !files.empty();
  if (recorded && !journal.Create(StateFolder(), static_cast<int64_t>(std::time(nullptr))).ok()) {
    PrintFormat(console.err,
                "mirale-cli: cannot write the journal in %s; no file was touched "
                "(--no-journal runs without one)\n",
                DisplayPath(StateFolder()).c_str());
    return 1;
  }
  std::vector<FileStamp> before(files.size());
  for (size_t i = 0; recorded && i < files.size(); ++i) GetFileStamp(files[i], before[i]);
  ResultLines lines(console, line.quiet, files);
  BatchSettings settings;
  settings.workers = console.workers;
  settings.dryRun = line.dryRun;
  RetagFiles(files, line.choices, settings, [&](size_t i, const RetagOutcome& outcome) {
    lines.Line(i, outcome, line.dryRun ? &outcome.comments : nullptr);
    if (recorded && outcome.kind != OutcomeKind::kFailure) {
      JournalEntry entry;
      entry.path = AbsolutePath(files[i]);
      GetFileStamp(files[i], entry.stamp);
      entry.oldStamp = before[i];
      entry.commentHeader = outcome.oldCommentHeader;
      journal.Add(entry);
    }
  });
  lines.Done();
  if (recorded && !journal.Finish().ok()) {
    PrintFormat(console.err, "mirale-cli: the journal %s is incomplete: --undo will miss files\n",
                DisplayPath(journal.Path()).c_str());
    return 1;
  }
  return lines.AnyFailed() ? 1 : 0;
}

}  // namespace

int RunCli(const std::vector<std::string>& arguments, const CliConsole& console) {
  ParsedLine line;
  const std::string problem = ParseArguments(arguments, line);
  if (!problem.empty()) {
    WriteText(console.err, "mirale-cli: " + problem + "\nTry 'mirale-cli --help'.\n");
    return 2;
  }
  if (line.help) {
    WriteText(console.out, UsageText());
    return 0;
  }
  if (line.version) {
    WriteText(console.out, "mirale-cli " MIRALE_SHORT_VERSION_TEXT "\n");
    return 0;
  }

  CurrentMessageTable = console.french ? &FrenchMessages : &EnglishMessages;
  const MessageTable& messages = CurrentMessages();
  WideString date;
  if (line.choices.IsTicked(kDateBox) &&
      !NormalisedDate(line.choices.FieldText(kDateField), date)) {
    // Refused before any file, rather than once per file.
    PrintFormat(console.err, "mirale-cli: --date: %s\nTry 'mirale-cli --help'.\n",
                Utf8FromWindows1252(messages.BadDate).c_str());
    return 2;
  }
  if (line.undo) return UndoLastRun(line.dryRun, line.quiet, console);
  const std::vector<String> files = SelectFiles(line.files, line.recursive, console.err);
  if (line.show) return ShowTags(files, line.json, console);
  return Retag(line, files, console);
}
