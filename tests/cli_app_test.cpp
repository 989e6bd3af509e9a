// mirale-cli end to end on a folder of generated files: result lines, colours,
// exit codes, usage errors and skipped arguments.
#include "cli/cli_app.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/message_table.h"
#include "tests/support/temp_folder.h"
#include "tools/ogg_fixtures.h"
#include "tools/stream_probe.h"

namespace {

namespace fs = std::filesystem;

std::string Slurp(FILE* file) {
  std::string text;
  std::rewind(file);
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
  return text;
}

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

class CliTest : public ::testing::Test {
 protected:
  void TearDown() override { CurrentMessageTable = nullptr; }

  CliRun Cli(std::vector<std::string> arguments, bool colour = false, bool french = false,
             unsigned workers = 1) {
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    CliConsole console;
    console.out = out;
    console.err = err;
    console.colour = colour;
    console.french = french;
    console.workers = workers;
    const int status = RunCli(arguments, console);
    CliRun run{status, Slurp(out), Slurp(err)};
    std::fclose(out);
    std::fclose(err);
    return run;
  }

  TempFolder folder_;
};

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
  EXPECT_NE(run.err.find("notes.txt: not an .ogg file"), std::string::npos) << run.err;
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
  EXPECT_EQ(run.status, 0) << run.out;
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
  EXPECT_EQ(Cli({"--version"}).out, "mirale-cli 1.4\n");
  const CliRun help = Cli({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--track-from-order"), std::string::npos);
}

}  // namespace
