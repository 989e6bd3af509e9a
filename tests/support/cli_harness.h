// Runs mirale-cli in-process for the tests, its output captured, with the
// state folder (the journals) pointed at a folder of the test's own.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "tests/support/temp_folder.h"

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

class CliTest : public ::testing::Test {
 protected:
  CliTest();
  ~CliTest() override;

  CliRun Cli(const std::vector<std::string>& arguments, bool colour = false, bool french = false,
             unsigned workers = 1);
  // Runs part of mirale-cli on a console like Cli's; run returns the status.
  CliRun OnConsole(const std::function<int(const CliConsole&)>& run, bool colour = false,
                   bool french = false, unsigned workers = 1);
  // Where the journals go: XDG_STATE_HOME and LOCALAPPDATA point at base.
  void PointStateAt(const std::string& base);
  // The journals' folder under the test's own state folder.
  std::string JournalFolder() const;

  TempFolder folder_;
  TempFolder state_;
  // Runs and undos end after this many files, as a killed process would.
  size_t endAfter_ = SIZE_MAX;
};
