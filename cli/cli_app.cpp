// mirale-cli's option parsing and its phases (see cli_app.h): --show, --undo,
// or a retag recorded in a journal.
#include "cli/cli_app.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "cli/batch_runner.h"
#include "cli/cli_texts.h"
#include "cli/console_output.h"
#include "cli/file_selection.h"
#include "cli/interrupted_edits.h"
#include "cli/platform.h"
#include "cli/result_lines.h"
#include "cli/run_journal.h"
#include "cli/tag_listing.h"
#include "cli/terminal_text.h"
#include "cli/undo.h"
#include "engine/choosable_tags.h"
#include "engine/message_table.h"
#include "engine/retag_file.h"
#include "engine/taggable_file.h"
#include "files/file_system.h"
#include "text/encodings.h"

namespace {

// The usage text: its head, a line per choosable tag, then the rest.
// Where the usage text's descriptions start.
constexpr size_t kUsageColumn = 24;

bool TakesValue(const ChoosableTag& tag) { return tag.field != kNoChoice; }

// "  --album TEXT          set ALBUM"
std::string UsageLine(const ChoosableTag& tag) {
  std::string line = std::string("  ") + tag.option + (TakesValue(tag) ? " TEXT" : "");
  line.resize(std::max(kUsageColumn, line.size() + 1), ' ');
  return line + "set " + tag.tagName + tag.usageNote + "\n";
}

// The options with a value first, then the flags, each in the table's order.
std::string UsageText() {
  std::string usage = cli_text::kUsageHead;
  for (bool values : {true, false}) {
    for (const ChoosableTag& tag : kChoosableTags) {
      if (TakesValue(tag) == values) usage += UsageLine(tag);
    }
  }
  return usage + cli_text::kUsageTail;
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
  bool rewrite = false;
  bool noPadding = false;
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
    {"--rewrite", &ParsedLine::rewrite},
    {"--no-padding", &ParsedLine::noPadding},
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
      problem = FormatText(cli_text::kNeedsValue, tag.option);
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
    return FormatText(cli_text::kExcludeEachOther, first->option, second->option);
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
    if (!known) return FormatText(cli_text::kUnknownOption, word.c_str());
  }
  const std::string exclusion = ExclusionProblem(line);
  if (!exclusion.empty()) return exclusion;
  if (line.json && !line.show) return cli_text::kJsonWithoutShow;
  if ((line.show || line.undo) && AnyTagOption(line)) {
    return line.show ? cli_text::kTagOptionWithShow : cli_text::kTagOptionWithUndo;
  }
  if (line.show && line.undo) return cli_text::kShowWithUndo;
  if (line.show && (line.rewrite || line.noPadding)) return cli_text::kWriteOptionWithShow;
  if (line.undo && !line.files.empty()) return cli_text::kUndoWithFile;
  if (!line.help && !line.version && !line.undo && line.files.empty()) return cli_text::kNoFile;
  return std::string();
}

int64_t Now() { return static_cast<int64_t>(std::time(nullptr)); }

// The retag itself: the journal first (the run stops here when it cannot be
// written), then each file's line as it is committed, each file recorded
// before it is touched.
int Retag(const ParsedLine& line, const std::vector<String>& files, const CliConsole& console) {
  RunJournal journal;
  const bool recorded = !line.dryRun && !line.noJournal && !files.empty();
  if (recorded && !journal.Start(StateFolder(), Now()).ok()) {
    PrintFormat(console.err, cli_text::kJournalNotWritten, ShownPath(StateFolder()).c_str());
    return 1;
  }
  ResultLines lines(console, line.quiet, files);
  BatchSettings settings;
  settings.workers = console.workers;
  settings.dryRun = line.dryRun;
  settings.recorder = recorded ? &journal : nullptr;
  // An edit in place needs its recovery record in the journal.
  settings.inPlace = !line.rewrite && !line.noJournal;
  settings.padding.noPadding = line.noPadding;
  settings.endAfter = console.endAfter;
  const BatchEnd end =
      RetagFiles(files, line.choices, settings, [&](size_t i, const RetagOutcome& outcome) {
        const cli_text::LocalText& way =
            outcome.inPlace != nullptr ? cli_text::kWouldEditInPlace : cli_text::kWouldRewrite;
        lines.Line(i, outcome, line.dryRun ? &outcome.comments : nullptr,
                   line.dryRun ? way.In(console.french) : nullptr);
        if (outcome.oldCopyInTheWay) {
          PrintFormat(console.err, cli_text::kOldCopyNote, ShownPath(outcome.filePath).c_str());
        }
      });
  if (end != BatchEnd::kDone) {
    lines.Stop();
    if (end == BatchEnd::kJournalFailed) {
      PrintFormat(console.err, cli_text::kJournalStopped, ShownPath(journal.Path()).c_str(),
                  journal.Failure().detail());
    }
    journal.Abandon();
    return 1;
  }
  lines.Done();
  if (recorded && !journal.Finish(Now()).ok()) {
    PrintFormat(console.err, cli_text::kJournalIncomplete, ShownPath(journal.Path()).c_str());
    return 1;
  }
  return lines.AnyFailed() ? 1 : 0;
}

}  // namespace

int RunCli(const std::vector<std::string>& arguments, const CliConsole& console) {
  ParsedLine line;
  const std::string problem = ParseArguments(arguments, line);
  if (!problem.empty()) {
    PrintFormat(console.err, cli_text::kUsageError, problem.c_str());
    return 2;
  }
  if (line.help) {
    WriteText(console.out, UsageText());
    return 0;
  }
  if (line.version) {
    WriteText(console.out, cli_text::kVersion);
    return 0;
  }

  CurrentMessageTable = console.french ? &FrenchMessages : &EnglishMessages;
  const MessageTable& messages = CurrentMessages();
  WideString date;
  if (line.choices.IsTicked(kDateBox) &&
      !NormalisedDate(line.choices.FieldText(kDateField), date)) {
    // Refused before any file, rather than once per file.
    const std::string problem =
        FormatText(cli_text::kBadDateOption, Utf8FromWindows1252(messages.BadDate).c_str());
    PrintFormat(console.err, cli_text::kUsageError, problem.c_str());
    return 2;
  }
  // Before anything else: files that an interrupted edit in place left.
  RecoverInterruptedEdits(line.dryRun, console);
  if (line.undo) return UndoLastRun(line.dryRun, line.quiet, !line.rewrite, console);
  const Selection selection = SelectFiles(line.files, line.recursive, console.err);
  const int status = line.show ? ShowTags(selection.files, line.json, console)
                               : Retag(line, selection.files, console);
  return status == 0 && selection.skipped ? 1 : status;
}
