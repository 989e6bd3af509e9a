// A run of the real dialog held on screen for its picture: scripts/screenshot
// starts this test under Xvfb, waits for the "ready" file, photographs the
// screen and answers with the "taken" file. Skipped when no picture is wanted.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/support/temp_folder.h"
#include "tests/windows/app_dialog_harness.h"
#include "tools/ogg_fixtures.h"

namespace {

using namespace app_test;
namespace fs = std::filesystem;

void PumpFor(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  MSG msg;
  while (GetTickCount() - start < milliseconds) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(20);
  }
}

TEST(DialogShowcase, RunHeldOnScreenForItsPicture) {
  const char* handshake = std::getenv("MIRALE_SHOWCASE_DIR");
  if (handshake == nullptr || handshake[0] == 0) GTEST_SKIP() << "no picture wanted";
  ResetDialog();
  TempFolder folder;
  std::vector<std::string> paths;
  for (const char* name :
       {"01 - Les Oiseaux - Aube.ogg", "02 - Les Oiseaux - Midi.ogg", "03 - Les Oiseaux - Soir.ogg",
        "Sans separateur.ogg", "verrou.ogg", "notes.ogg"}) {
    paths.push_back(folder.File(name));
    fixtures::WriteFile(paths.back(), fixtures::Basic());
  }
  fixtures::WriteFile(paths.back(), fixtures::Bytes{'n', 'o', 't', 'e', 's'});
  SetFileAttributesA(paths[4].c_str(), FILE_ATTRIBUTE_READONLY);
  Click(1022);
  Click(1013);
  Click(1014);
  Click(1004);
  Type(1006, L"Le Jour");
  Click(1007);
  Type(1008, L"2026-12-07");
  Drop(paths);
  ASSERT_TRUE(RunAll());
  SetFileAttributesA(paths[4].c_str(), FILE_ATTRIBUTE_NORMAL);

  const fs::path ready = fs::path(handshake) / "ready";
  const fs::path taken = fs::path(handshake) / "taken";
  PumpFor(500);
  std::ofstream(ready.string()) << "ready\n";
  for (int i = 0; i < 300 && !fs::exists(taken); ++i) PumpFor(100);
  EXPECT_TRUE(fs::exists(taken));
}

}  // namespace
