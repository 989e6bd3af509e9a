// Entry point of mirale-cli.
#include "cli/batch_runner.h"
#include "cli/cli_app.h"
#include "cli/platform.h"

int main(int argc, char** argv) {
  KeepBuffersForManyFiles();
  CliConsole console;
  console.colour = WantsColour();
  console.french = UserWantsFrench();
  console.workers = DefaultWorkerCount();
  return RunCli(CommandLineArguments(argc, argv), console);
}
