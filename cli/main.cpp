// Entry point of mirale-cli.
#include "cli/cli_app.h"
#include "cli/platform.h"

int main(int argc, char** argv) {
  PrepareConsole();
  CliConsole console;
  console.colour = WantsColour();
  console.french = UserWantsFrench();
  console.fileNames = PlatformFileNames();
  return RunCli(CommandLineArguments(argc, argv), console);
}
