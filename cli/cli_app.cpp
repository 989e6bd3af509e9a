// mirale-cli's option parsing, file selection and result lines (see cli_app.h).
#include "cli/cli_app.h"

#include <cstring>

#include "cli/batch_runner.h"
#include "cli/platform.h"
#include "engine/file_system.h"
#include "engine/message_table.h"
#include "engine/retag_file.h"
#include "engine/taggable_file.h"
#include "text/encodings.h"
#include "text/paths.h"

namespace {

const char kUsage[] =
    "Usage: mirale-cli [OPTIONS] FILE.ogg...\n"
    "Rewrites the Vorbis comments of each Ogg Vorbis file; the audio stays as it is.\n"
    "\n"
    "  --date TEXT           set DATE (YYYY, YYYY-MM, YYYY-MM-DD, with hh:mm:ss)\n"
    "  --album TEXT          set ALBUM\n"
    "  --label TEXT          set LABEL\n"
    "  --genre TEXT          set GENRE\n"
    "  --artist TEXT         set ARTIST\n"
    "  --comment TEXT        set COMMENT\n"
    "  --track-from-name     set TRACKNUMBER from the name \"00 - Artist - Title.ogg\"\n"
    "  --track-from-order    set TRACKNUMBER from the file's place on the command line\n"
    "  --artist-from-name    set ARTIST from the name \"Artist - Title.ogg\"\n"
    "  --title-from-name     set TITLE from the name \"Artist - Title.ogg\"\n"
    "  --help, --version\n"
    "\n"
    "Only files ending in .ogg are taken. Each file is moved to FILE.ogg.old, written\n"
    "anew and the .old copy deleted; after a failure the .old copy stays.\n"
    "Exit status: 0 all files retagged, 1 a file failed, 2 a usage error.\n";

const char kGreen[] = "\033[32m";
const char kOrange[] = "\033[33m";
const char kRed[] = "\033[31m";
const char kBlue[] = "\033[34m";
const char kReset[] = "\033[0m";

struct ValueOption {
  const char* name;
  ChoiceId box;
  ChoiceId field;
};
const ValueOption kValueOptions[] = {
    {"--date", kDateBox, kDateField},       {"--album", kAlbumBox, kAlbumField},
    {"--label", kLabelBox, kLabelField},    {"--genre", kGenreBox, kGenreField},
    {"--artist", kArtistBox, kArtistField}, {"--comment", kCommentBox, kCommentField},
};

struct FlagOption {
  const char* name;
  ChoiceId box;
};
const FlagOption kFlagOptions[] = {
    {"--track-from-name", kTrackFromNameBox},
    {"--track-from-order", kTrackFromOrderBox},
    {"--artist-from-name", kArtistFromNameBox},
    {"--title-from-name", kTitleFromNameBox},
};

// The system's 8-bit texts are windows-1252; the console gets UTF-8.
std::string Utf8FromWindows1252(const char* text) {
  WideString wide;
  DecodeToWide(String(text), wide);
  String utf8;
  WideToUtf8(wide, utf8);
  return std::string(utf8.CStr(), static_cast<size_t>(utf8.Length()));
}

class Printer {
 public:
  explicit Printer(const CliConsole& console) : console_(console) {}
  void Text(const std::string& text) { std::fputs(text.c_str(), console_.out); }
  void Coloured(const char* colour, const std::string& text) {
    if (console_.colour) std::fputs(colour, console_.out);
    Text(text);
    if (console_.colour) std::fputs(kReset, console_.out);
  }
  void EndLine() {
    std::fputc('\n', console_.out);
    std::fflush(console_.out);
  }

 private:
  const CliConsole& console_;
};

struct ParsedLine {
  FixedTagChoices choices;
  std::vector<std::string> files;
  bool help = false;
  bool version = false;
};

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
    for (const FlagOption& flag : kFlagOptions) {
      if (word == flag.name) {
        line.choices.Tick(flag.box);
        known = true;
      }
    }
    for (const ValueOption& option : kValueOptions) {
      const size_t n = std::strlen(option.name);
      std::string value;
      if (word == option.name) {
        if (i + 1 >= arguments.size()) return std::string(option.name) + " needs a value";
        value = arguments[++i];
      } else if (word.compare(0, n, option.name) == 0 && word.size() > n && word[n] == '=') {
        value = word.substr(n + 1);
      } else {
        continue;
      }
      WideString wide;
      Utf8ToWide(value.c_str(), wide);
      line.choices.SetField(option.field, String(value.c_str()), wide);
      line.choices.Tick(option.box);
      known = true;
    }
    if (!known) return "unknown option " + word;
  }
  // The dialog keeps these pairs exclusive; here they are refused outright.
  if (line.choices.IsTicked(kArtistBox) && line.choices.IsTicked(kArtistFromNameBox)) {
    return "--artist and --artist-from-name exclude each other";
  }
  if (line.choices.IsTicked(kTrackFromNameBox) && line.choices.IsTicked(kTrackFromOrderBox)) {
    return "--track-from-name and --track-from-order exclude each other";
  }
  if (!line.help && !line.version && line.files.empty()) return "no file given";
  return std::string();
}

// Why a path is not taken, or null: the files that the dialog's drop would take
// (IsTaggableFileName), and only regular files (a FIFO would hang the read).
const char* SkipReason(const String& path) {
  if (!IsTaggableFileName(path)) return "not an .ogg file";
  switch (KindOfFile(path)) {
    case FileKind::kMissing:
      return "no such file";
    case FileKind::kFolder:
      return "a folder";
    case FileKind::kOther:
      return "not a regular file";
    case FileKind::kRegular:
      break;
  }
  return nullptr;
}

std::vector<String> SelectFiles(const std::vector<std::string>& words, const CliConsole& console) {
  std::vector<String> files;
  for (const std::string& word : words) {
    const String path = PathFromArgument(word);
    const char* reason = SkipReason(path);
    if (reason != nullptr) {
      std::fprintf(console.err, "mirale-cli: skipped %s: %s\n", word.c_str(), reason);
    } else {
      files.push_back(path);
    }
  }
  return files;
}

}  // namespace

int RunCli(const std::vector<std::string>& arguments, const CliConsole& console) {
  ParsedLine line;
  line.choices = FixedTagChoices(console.fileNames);
  const std::string problem = ParseArguments(arguments, line);
  if (!problem.empty()) {
    std::fprintf(console.err, "mirale-cli: %s\nTry 'mirale-cli --help'.\n", problem.c_str());
    return 2;
  }
  if (line.help) {
    std::fputs(kUsage, console.out);
    return 0;
  }
  if (line.version) {
    std::fputs("mirale-cli 1.4\n", console.out);
    return 0;
  }

  CurrentMessageTable = console.french ? &FrenchMessages : &EnglishMessages;
  const MessageTable& messages = CurrentMessages();
  WideString date;
  if (line.choices.IsTicked(kDateBox) &&
      !NormalisedDate(line.choices.FieldText(kDateField), date)) {
    // Refused before any file, rather than once per file.
    std::fprintf(console.err, "mirale-cli: --date: %s\nTry 'mirale-cli --help'.\n",
                 Utf8FromWindows1252(messages.BadDate).c_str());
    return 2;
  }
  const std::vector<String> files = SelectFiles(line.files, console);
  Printer printer(console);
  bool anyFailed = false;
  RetagFiles(files, line.choices, console.workers, [&](size_t i, const RetagOutcome& outcome) {
    static const char* const kColours[] = {kGreen, kOrange, kRed};
    printer.Text(DisplayPath(files[i]));
    printer.Coloured(kColours[static_cast<int>(outcome.kind)],
                     Utf8FromWindows1252(outcome.Segment().CStr()));
    printer.EndLine();
    if (outcome.kind == OutcomeKind::kFailure) anyFailed = true;
  });
  printer.Coloured(kBlue, Utf8FromWindows1252(messages.AllDone));
  printer.EndLine();
  return anyFailed ? 1 : 0;
}
