// mirale-cli end to end on a folder of generated files: result lines, colours,
// exit codes, usage errors and skipped arguments.
#include "cli/cli_app.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/version.h"
#include "cli/natural_order.h"
#include "cli/progress.h"
#include "cli/tag_listing.h"
#include "cli/terminal_text.h"
#include "engine/message_table.h"
#include "tests/support/cli_harness.h"
#include "text/shared_string.h"
#include "tools/flac_fixtures.h"
#include "tools/ogg_fixtures.h"
#include "tools/stream_probe.h"

namespace {

namespace fs = std::filesystem;

TEST_F(CliTest, UsageErrorsTouchNothing) {
  const std::string song = folder_.Put("Artist - Title.ogg", fixtures::Basic());
  const fixtures::Bytes before = fixtures::ReadFile(song);
  const std::vector<std::vector<std::string>> lines = {
      {"--artist", "X", "--artist-from-name", song},
      {"--track-from-name", "--track-from-order", song},
      {"--frobnicate", song},
      {"--album"},
      {"--album", "X"},
      {"--date", "999", song},  // a typo refused before any file
      {"--date", "04", song},
      {"--json", song},
      {"--show", "--album", "X", song},
      {"--undo", song},
      {"--undo", "--track-from-order"},
  };
  for (const auto& line : lines) {
    const CliRun run = Cli(line);
    EXPECT_EQ(run.status, 2) << line[0];
    EXPECT_NE(run.err.find("mirale-cli: "), std::string::npos);
    EXPECT_EQ(run.out, "");
  }
  EXPECT_EQ(fixtures::ReadFile(song), before);
  EXPECT_FALSE(fs::exists(song + ".old"));
}

TEST_F(CliTest, RetagsTheOggFilesAndPrintsTheirLines) {
  const std::string good = folder_.Put("01 - Band - Song.ogg", fixtures::Basic());
  const std::string warned = folder_.Put("NoSeparator.OGG", fixtures::Basic());
  const std::string bad = folder_.File("broken.ogg");
  fixtures::WriteFile(bad, fixtures::Bytes{'n', 'o'});
  const std::string notes = folder_.File("notes.txt");
  fixtures::WriteFile(notes, fixtures::Bytes{'x'});
  fs::create_directory(folder_.File("folder.ogg"));

  const CliRun run =
      Cli({"--album=Live", "--artist-from-name", "--title-from-name", "--track-from-name", good,
           warned, bad, notes, folder_.File("folder.ogg"), folder_.File("missing.ogg")});
  EXPECT_EQ(run.status, 1);
  const std::string expected = good + " OK\n" + warned +
                               // both warnings are named
                               " \xC2\xB1OK : Artist - Title separator not found (space hyphen "
                               "space) ; Track number not found in file name (00 - ...)\n" +
                               bad + " Input truncated or empty.\n" +
                               "---------------------- All Done ! ----------------------\n";
  EXPECT_EQ(run.out, expected);
  EXPECT_NE(run.err.find("notes.txt: not an .ogg, .opus, .oga or .flac file"), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("folder.ogg: a folder"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("missing.ogg: no such file"), std::string::npos) << run.err;

  EXPECT_EQ(inspect::CommentEntriesOf(good),
            (std::vector<std::string>{"ALBUM=Live", "TRACKNUMBER=1", "ARTIST=Band", "TITLE=Song"}));
  // Refused before the move: the file stays where the user keeps it.
  EXPECT_TRUE(fs::exists(bad));
  EXPECT_FALSE(fs::exists(bad + ".old"));
}

TEST_F(CliTest, ColoursAndFrenchWhenAsked) {
  const std::string good = folder_.Put("A - B.ogg", fixtures::Basic());
  const CliRun run = Cli({"--track-from-order", good}, true, true);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, good +
                         "\033[32m OK\033[0m\n\033[34m---------------------- Termin\xC3\xA9 ! "
                         "-----------------------\033[0m\n");
  EXPECT_EQ(inspect::CommentEntriesOf(good).back(), "TRACKNUMBER=1");
}

TEST_F(CliTest, ReadOnlyFilesAreSkippedInRed) {
  const std::string locked = folder_.Put("locked.ogg", fixtures::Basic());
  const fixtures::Bytes before = fixtures::ReadFile(locked);
  fs::permissions(locked, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const CliRun run = Cli({"--album", "X", locked}, false, true);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out.substr(0, locked.size() + 27), locked + " Fichier en lecture seule.\n");
  EXPECT_EQ(fixtures::ReadFile(locked), before);
}

TEST_F(CliTest, SeveralWorkersGiveTheSameLinesInListOrder) {
  std::vector<std::string> arguments = {"--track-from-order", "--title-from-name"};
  std::string expected;
  for (int i = 0; i < 12; ++i) {
    const std::string name = "Band - Song " + std::to_string(i) + ".ogg";
    arguments.push_back(i == 5 ? folder_.Put(name, fixtures::Bytes{'x'})
                               : folder_.Put(name, fixtures::Basic()));
    expected += arguments.back() + (i == 5 ? " Input truncated or empty.\n" : " OK\n");
  }
  expected += "---------------------- All Done ! ----------------------\n";
  const CliRun run = Cli(arguments, false, false, 3);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, expected);
  EXPECT_EQ(inspect::CommentEntriesOf(arguments[13]),
            (std::vector<std::string>{"ARTIST=Fixture Artist", "TRACKNUMBER=12", "TITLE=Song 11"}));

  // A file named twice is retagged twice, one time after the other.
  const std::string twice = folder_.Put("Band - Twice.ogg", fixtures::Basic());
  const CliRun again = Cli({"--track-from-order", twice, arguments[2], twice}, false, false, 3);
  EXPECT_EQ(again.out, twice + " OK\n" + arguments[2] + " OK\n" + twice + " OK\n" +
                           "---------------------- All Done ! ----------------------\n");
  EXPECT_EQ(inspect::CommentEntriesOf(twice).back(), "TRACKNUMBER=3");
}

#ifndef _WIN32
// Paths that reach one file, and paths that are no regular file: a link is
// followed and stays a link, no two workers ever share a file, a FIFO is
// skipped without being opened, and a file of another user keeps its owner.
TEST_F(CliTest, LinksFifosAndOwnersAreHandledAsTheUserExpects) {
  const std::string real = folder_.Put("real.ogg", fixtures::Basic());
  const std::string link = folder_.File("link.ogg");
  const std::string hard = folder_.File("hard.ogg");
  const std::string fifo = folder_.File("pipe.ogg");
  fs::create_symlink(real, link);
  fs::create_hard_link(real, hard);
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  const bool root = geteuid() == 0;
  if (root) {
    ASSERT_EQ(chown(real.c_str(), 1234, 2345), 0);
    ASSERT_EQ(chmod(real.c_str(), 06754), 0);
  }
  const CliRun run = Cli({"--album", "A", real, link, "./" + real, hard, fifo}, false, false, 3);
  // The FIFO skipped makes the exit status 1; every file is retagged.
  EXPECT_EQ(run.status, 1) << run.out;
  EXPECT_EQ(run.out.find("Cannot"), std::string::npos) << run.out;
  EXPECT_NE(run.err.find("pipe.ogg: not a regular file"), std::string::npos) << run.err;
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_TRUE(fs::is_fifo(fifo));
  for (const std::string& path : {real, hard}) {
    EXPECT_EQ(inspect::CommentEntriesOf(path).back(), "ALBUM=A");
    EXPECT_TRUE(inspect::Decode(fixtures::ReadFile(path)).ok);
    EXPECT_FALSE(fs::exists(path + ".old"));
  }
  if (root) {
    struct stat info;
    ASSERT_EQ(stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 1234u);
    EXPECT_EQ(info.st_gid, 2345u);
    EXPECT_EQ(info.st_mode & 07777, 0754u);
  }
}
#endif

TEST_F(CliTest, HelpAndVersion) {
  EXPECT_EQ(Cli({"--version"}).out, "mirale-cli " MIRALE_SHORT_VERSION_TEXT "\n");
  const CliRun help = Cli({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"--track-from-order", "--recursive", "--dry-run", "--show", "--json",
                             "--undo", "--no-journal", "--quiet"}) {
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
}

// The lines of a run without the tag lines a dry run adds under each file.
std::string WithoutTagLines(const std::string& out) {
  std::string kept;
  size_t at = 0;
  while (at < out.size()) {
    const size_t end = out.find('\n', at) + 1;
    if (out.compare(at, 2, "  ") != 0) kept += out.substr(at, end - at);
    at = end;
  }
  return kept;
}

TEST_F(CliTest, DryRunChangesNothingAndTellsWhatTheRunWould) {
  const std::string good = folder_.Put("01 - Band - Song.ogg", fixtures::Basic());
  const std::string warned = folder_.Put("NoSeparator.ogg", fixtures::Basic());
  const std::string blocked = folder_.Put("Blocked - Song.ogg", fixtures::Basic());
  folder_.Put("Blocked - Song.ogg.old", fixtures::Bytes{'x'});
  // The run's other refusals: a name whose ".old" passes the file system's
  // limit, a read-only file, a folder that cannot be written.
  const std::string longName = folder_.Put(std::string(251, 'n') + ".ogg", fixtures::Basic());
  const std::string readOnly = folder_.Put("read only.ogg", fixtures::Basic());
  fs::permissions(readOnly,
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  std::vector<std::string> files = {good, warned, blocked, longName, readOnly};
#ifndef _WIN32
  fs::create_directory(folder_.File("locked"));
  const std::string inLocked = folder_.Put("locked/song.ogg", fixtures::Basic());
  fs::permissions(folder_.File("locked"), fs::perms::owner_write, fs::perm_options::remove);
  files.push_back(inLocked);
#endif
  std::vector<fixtures::Bytes> before;
  for (const std::string& file : files) before.push_back(fixtures::ReadFile(file));
  const std::vector<std::string> options = {"--album=Live", "--title-from-name",
                                            "--track-from-order"};
  std::vector<std::string> arguments = options;
  arguments.insert(arguments.begin(), "--dry-run");
  arguments.insert(arguments.end(), files.begin(), files.end());

  const CliRun dry = Cli(arguments);
  EXPECT_EQ(dry.status, 1);
  EXPECT_NE(dry.out.find(good +
                         " OK\n  (rewritten)\n  ARTIST=Fixture Artist\n  ALBUM=Live\n"
                         "  TRACKNUMBER=1\n"
                         "  TITLE=Song\n" +
                         warned),
            std::string::npos)
      << dry.out;
  EXPECT_NE(dry.out.find(blocked + " Cannot rename input.\n"), std::string::npos) << dry.out;
  EXPECT_NE(dry.out.find(longName + " Cannot rename input.\n"), std::string::npos) << dry.out;
  EXPECT_NE(dry.err.find("Blocked - Song.ogg.old holds the original"), std::string::npos);
  for (size_t i = 0; i < files.size(); ++i) EXPECT_EQ(fixtures::ReadFile(files[i]), before[i]);
  EXPECT_FALSE(fs::exists(JournalFolder()));

  // The real run prints the same lines, ends the same way and writes the tags told.
  arguments.erase(arguments.begin());
  const CliRun real = Cli(arguments);
  EXPECT_EQ(real.status, dry.status);
  EXPECT_EQ(real.out, WithoutTagLines(dry.out));
  EXPECT_EQ(real.err, dry.err);
  EXPECT_EQ(inspect::CommentEntriesOf(good),
            (std::vector<std::string>{"ARTIST=Fixture Artist", "ALBUM=Live", "TRACKNUMBER=1",
                                      "TITLE=Song"}));
}

TEST_F(CliTest, ShowPrintsTheTagsAsStoredAndReadsOnly) {
  fixtures::EncodeOptions options;
  const std::string large = fixtures::LargeValue(70000);
  options.comments = {"artist=lower",      "ARTIST=Upper", "Title=\xC3\x89t\xC3\xA9 \xE2\x82\xAC",
                      "X=a\tb \"q\" \x01", "BAD=\xFF!",    "COMMENT=" + large};
  const fixtures::Bytes bytes = fixtures::Basic(options);
  const std::string song = folder_.Put("song.ogg", bytes);
  const std::string broken = folder_.Put("broken.ogg", fixtures::Bytes{'n', 'o'});
  const std::string vendor =
      inspect::ParseComments(inspect::Inspect(bytes).streams[0].packets[1]).vendor;

  const CliRun text = Cli({"--show", song, broken});
  EXPECT_EQ(text.status, 1);
  EXPECT_EQ(text.out, song + "\n  vendor: " + vendor +
                          "\n  artist=lower\n  ARTIST=Upper\n  Title=\xC3\x89t\xC3\xA9 \xE2\x82\xAC"
                          "\n  X=a\\x09b \"q\" \\x01\n  BAD=\\xff!\n  COMMENT=" +
                          large + "\n");
  EXPECT_NE(text.err.find("broken.ogg: Input truncated or empty."), std::string::npos) << text.err;

  const CliRun json = Cli({"--show", "--json", song});
  EXPECT_EQ(json.status, 0);
  EXPECT_EQ(json.out, "{\"path\":" + JsonString(song) + ",\"vendor\":" + JsonString(vendor) +
                          ",\"comments\":[[\"artist\",\"lower\"],[\"ARTIST\",\"Upper\"],"
                          "[\"Title\",\"\xC3\x89t\xC3\xA9 \xE2\x82\xAC\"],"
                          "[\"X\",\"a\\tb \\\"q\\\" \\u0001\"],[\"BAD\",\"\\ufffd!\"],"
                          "[\"COMMENT\",\"" +
                          large + "\"]]}\n");
  EXPECT_EQ(fixtures::ReadFile(song), bytes);

  // An Ogg Opus file's tags, with binary data after the list left out.
  const std::string opus = folder_.Put("song.opus", fixtures::OpusBinaryTags());
  const CliRun opusRun = Cli({"--show", opus});
  EXPECT_EQ(opusRun.status, 0) << opusRun.err;
  EXPECT_NE(opusRun.out.find("\n  ARTIST=Fixture Artist\n  TITLE=Fixture Title\n"),
            std::string::npos)
      << opusRun.out;

  // A FLAC file's comments, then a line per picture; in JSON its pictures.
  const std::string flac = folder_.Put("song.flac", fixtures::MakeFlacShape("flac-picture-first"));
  const std::string flacVendor = fixtures::EncodedFlac().vendor;
  const CliRun flacText = Cli({"--show", flac});
  EXPECT_EQ(flacText.status, 0) << flacText.err;
  EXPECT_EQ(flacText.out, flac + "\n  vendor: " + flacVendor +
                              "\n  ARTIST=Fixture Artist\n  TITLE=Fixture Title"
                              "\n  picture: type 3, image/png, 300 bytes\n");
  const CliRun flacJson = Cli({"--show", "--json", flac});
  EXPECT_EQ(flacJson.out, "{\"path\":" + JsonString(flac) +
                              ",\"vendor\":" + JsonString(flacVendor) +
                              ",\"comments\":[[\"ARTIST\",\"Fixture Artist\"],[\"TITLE\","
                              "\"Fixture Title\"]],\"pictures\":[{\"type\":3,\"mime\":"
                              "\"image/png\",\"size\":300}]}\n");
}

TEST(JsonString, EscapesControlsAndReplacesInvalidUtf8) {
  const std::vector<std::pair<std::string, std::string>> rows = {
      {"plain", "\"plain\""},
      {"a\"b\\c/", "\"a\\\"b\\\\c/\""},
      {"\n\t\r\x01\x1f\x7f", "\"\\n\\t\\r\\u0001\\u001f\x7f\""},
      {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB5", "\"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB5\""},
      {"\xFF", "\"\\ufffd\""},
      {"\xC0\xAF", "\"\\ufffd\\ufffd\""},                        // overlong
      {"\xED\xA0\x80", "\"\\ufffd\\ufffd\\ufffd\""},             // a surrogate
      {"\xF4\x90\x80\x80", "\"\\ufffd\\ufffd\\ufffd\\ufffd\""},  // above U+10FFFF
      {"\xE2\x82", "\"\\ufffd\\ufffd\""},                        // cut short at the end
      {std::string("a\0b", 3), "\"a\\u0000b\""},
  };
  for (const auto& row : rows) EXPECT_EQ(JsonString(row.first), row.second) << row.first;
}

TEST(TerminalText, EscapesWhatWouldDriveTheTerminal) {
  const std::vector<std::pair<std::string, std::string>> rows = {
      {"plain \xC3\xA9t\xC3\xA9", "plain \xC3\xA9t\xC3\xA9"},
      {"a\nb", "a\\nb"},
      {"\x1b]0;title\x07", "\\x1b]0;title\\x07"},
      {"\t\r\x7f", "\\x09\\x0d\\x7f"},
      {"\xC2\x9B"
       "2J",
       "\\xc2\\x9b2J"},            // C1 control, as UTF-8
      {"\xC2\xA0", "\xC2\xA0"},    // the first character after C1
      {"\x9B\xFF", "\\x9b\\xff"},  // not UTF-8
  };
  for (const auto& row : rows) EXPECT_EQ(TerminalText(row.first), row.second) << row.first;
}

// Tags and names reach the terminal escaped in --show, the lines of a run and
// of a dry run; --json keeps its own escapes.
TEST_F(CliTest, ControlBytesInTagsAndNamesReachTheTerminalEscaped) {
  fixtures::EncodeOptions options;
  options.comments = {"TITLE=one\nLICENSE=forged", "ARTIST=\x1b]0;pwned\x07"};
#ifdef _WIN32
  const std::string name = "song.ogg";
  const std::string shownName = name;
#else
  const std::string name = "so\x1b[2Jng.ogg";
  const std::string shownName = "so\\x1b[2Jng.ogg";
#endif
  const std::string song = folder_.Put(name, fixtures::Basic(options));
  const std::string shown = folder_.File(shownName);
  for (const std::vector<std::string>& line : {std::vector<std::string>{"--show", song},
                                               {"--dry-run", "--genre", "G", song},
                                               {"--genre", "G", song}}) {
    const CliRun run = Cli(line);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.find('\x1b'), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("\nLICENSE"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(shown), std::string::npos) << run.out;
    if (line[0] != "--genre") {
      EXPECT_NE(run.out.find("TITLE=one\\nLICENSE=forged\n"), std::string::npos) << run.out;
      EXPECT_NE(run.out.find("ARTIST=\\x1b]0;pwned\\x07\n"), std::string::npos) << run.out;
    }
  }
  const CliRun json = Cli({"--show", "--json", song});
  EXPECT_NE(json.out.find("\"one\\nLICENSE=forged\""), std::string::npos) << json.out;
}

// Anything left out makes the exit status 1: a mistyped name, a missing file
// with --show, a folder too deep to name under -r.
TEST_F(CliTest, AnArgumentLeftOutMakesTheExitStatusOne) {
  const std::string song = folder_.Put("song.ogg", fixtures::Basic());
  const std::string missing = folder_.File("sogn.ogg");
  const std::vector<std::vector<std::string>> lines = {
      {"--album", "X", song, missing},
      {"--show", "--json", missing},
      {"--show", song, missing},
  };
  for (const auto& line : lines) {
    const CliRun run = Cli(line);
    EXPECT_EQ(run.status, 1) << line[0];
    EXPECT_NE(run.err.find("sogn.ogg: no such file"), std::string::npos) << run.err;
  }
#ifndef _WIN32
  // Folders nested deeper than a path can name, made one level at a time.
  int at = open(folder_.Path().c_str(), O_RDONLY | O_DIRECTORY);
  const std::string level(200, 'd');
  for (int depth = 0; depth < 25 && at >= 0; ++depth) {
    mkdirat(at, level.c_str(), 0700);
    const int next = openat(at, level.c_str(), O_RDONLY | O_DIRECTORY);
    close(at);
    at = next;
  }
  if (at >= 0) close(at);
  const CliRun deep = Cli({"--show", "-r", folder_.Path()});
  EXPECT_EQ(deep.status, 1);
  EXPECT_NE(deep.err.find("path too long"), std::string::npos) << deep.err.substr(0, 300);
#endif
}

TEST(NaturalOrder, DigitsAsNumbersThenCaseInsensitive) {
  const std::vector<std::string> sorted = {
      "1.ogg",    "2.ogg", "10.ogg",           "A2", "a2", "a10", "b", "track 02",
      "track 10", "Z",     "\xC3\x89t\xC3\xA9"};
  std::vector<std::string> names(sorted.rbegin(), sorted.rend());
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return NaturalLess(a.c_str(), b.c_str());
  });
  EXPECT_EQ(names, sorted);
  EXPECT_EQ(NaturalCompare("track 007", "Track 7"), 0);
}

TEST_F(CliTest, RecursiveTakesFoldersInNaturalOrderAndArgumentsInTheirs) {
  fs::create_directories(folder_.File("album/CD 1"));
  const std::string plain = folder_.Put("z.ogg", fixtures::Basic());
  for (const char* name : {"album/10 - x.ogg", "album/2 - x.ogg", "album/B.ogg", "album/a.OGG",
                           "album/notes.txt", "album/CD 1/1.ogg"}) {
    folder_.Put(name, fixtures::Basic());
  }
  const CliRun run = Cli({"--show", plain, "-r", folder_.File("album")});
  std::vector<std::string> paths;
  for (size_t at = 0; at < run.out.size(); at = run.out.find('\n', at) + 1) {
    if (run.out[at] != ' ') paths.push_back(run.out.substr(at, run.out.find('\n', at) - at));
  }
  const fs::path album = folder_.File("album");
  EXPECT_EQ(paths, (std::vector<std::string>{plain, (album / "2 - x.ogg").string(),
                                             (album / "10 - x.ogg").string(),
                                             (album / "a.OGG").string(), (album / "B.ogg").string(),
                                             (album / "CD 1" / "1.ogg").string()}));
  EXPECT_EQ(run.err, "");
}

double fakeNow = 0;
double FakeClock() { return fakeNow; }

TEST(Progress, OneLineAfterTheDelayClearedAtTheEnd) {
  EXPECT_EQ(ProgressText(37, 120, 41500000, 100000000, 100.0), "37/120 files, 0.4 MB/s, 2:21 left");
  EXPECT_EQ(ProgressText(0, 5, 0, 100, 0.0), "0/5 files, 0.0 MB/s, --:-- left");
  for (const bool enabled : {true, false}) {
    FILE* terminal = std::tmpfile();
    fakeNow = 0;
    {
      Progress progress(terminal, enabled, 3, 3000000, FakeClock);
      fakeNow = 1;
      progress.Advance(1000000);  // too early
      fakeNow = 3;
      progress.Advance(1000000);
    }
    std::rewind(terminal);
    char text[256] = {};
    text[std::fread(text, 1, sizeof text - 1, terminal)] = 0;
    const std::string line = "2/3 files, 0.7 MB/s, 0:02 left";
    EXPECT_EQ(text, enabled ? "\r" + line + "\r" + std::string(line.size(), ' ') + "\r" : "");
    std::fclose(terminal);
  }
}

}  // namespace
