// The in-process mirale-cli of the tests (see cli_harness.h).
#include "tests/support/cli_harness.h"

#include <cstdio>
#include <cstdlib>

#include "cli/cli_app.h"
#include "engine/message_table.h"

namespace {

std::string Slurp(FILE* file) {
  std::string text;
  std::rewind(file);
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
  return text;
}

void SetVariable(const char* name, const std::string& value) {
#ifdef _WIN32
  _putenv_s(name, value.c_str());
#else
  setenv(name, value.c_str(), 1);
#endif
}

}  // namespace

CliTest::CliTest() { PointStateAt(state_.Path()); }

// The variables keep pointing at a removed folder: never at the user's own.
CliTest::~CliTest() { CurrentMessageTable = nullptr; }

void CliTest::PointStateAt(const std::string& base) {
  SetVariable("XDG_STATE_HOME", base);
  SetVariable("LOCALAPPDATA", base);
}

std::string CliTest::JournalFolder() const {
#ifdef _WIN32
  return state_.File("Mirale");
#else
  return state_.File("mirale");
#endif
}

CliRun CliTest::Cli(const std::vector<std::string>& arguments, bool colour, bool french,
                    unsigned workers) {
  return OnConsole([&](const CliConsole& console) { return RunCli(arguments, console); }, colour,
                   french, workers);
}

CliRun CliTest::OnConsole(const std::function<int(const CliConsole&)>& run, bool colour,
                          bool french, unsigned workers) {
  FILE* out = std::tmpfile();
  FILE* err = std::tmpfile();
  CliConsole console;
  console.out = out;
  console.err = err;
  console.colour = colour;
  console.french = french;
  console.workers = workers;
  console.endAfter = endAfter_;
  const int status = run(console);
  CliRun result{status, Slurp(out), Slurp(err)};
  std::fclose(out);
  std::fclose(err);
  return result;
}
