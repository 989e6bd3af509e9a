// The main dialog from its template under Wine: start-up language and texts,
// centring, the rules between boxes and fields, and dropped files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/version.h"
#include "engine/message_table.h"
#include "tests/support/temp_folder.h"
#include "tests/windows/app_dialog_harness.h"

namespace {

using namespace app_test;
namespace fs = std::filesystem;

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetDialog(); }

  std::string Touch(const std::string& name) {
    const std::string path = folder_.File(name);
    std::ofstream(path) << "x";
    return path;
  }

  TempFolder folder_;
};

TEST_F(DialogTest, EnglishStartUpCaptionsAndInstruction) {
  ASSERT_FALSE(frenchUi) << "run this test under an English locale";
  // The start-up line is written once by the dialog's initialisation.
  Dialog();
  EXPECT_EQ(TextOf(1020), L"Get data from file name");
  EXPECT_EQ(TextOf(1021),
            L"File name formats : Artist - Title.ogg ; 00 - Artist - Title.ogg (00 = track "
            L"number)\nThe separator is SPACE HYPHEN SPACE");
  EXPECT_EQ(TextOf(1015), L"Set track number from list order");
  EXPECT_EQ(TextOf(1013), L"Set artist name");
  EXPECT_EQ(TextOf(1017), L"Retag !");
  wchar_t caption[64] = {};
  GetWindowTextW(Dialog(), caption, 64);
  EXPECT_STREQ(caption, L"Mirale " MIRALE_SHORT_VERSION_TEXT);
  EXPECT_EQ(CurrentMessageTable, &EnglishMessages);
}

TEST_F(DialogTest, StartUpWritesTheInstructionInBlueAndCentres) {
  Restart();  // again, as at start-up
  ASSERT_EQ(Trace.LineCount(), 1);
  EXPECT_EQ(Segment(0, 0), frenchUi ? u"D\u00E9posez ici les fichiers Ogg Vorbis \u00E0 retaguer"
                                    : u"Drop Ogg Vorbis files here");
  EXPECT_EQ(SegmentColour(0, 0), 0xC80000u);
  RECT own;
  GetWindowRect(Dialog(), &own);
  HDC screen = GetDC(nullptr);
  const int width = GetDeviceCaps(screen, HORZRES);
  const int height = GetDeviceCaps(screen, VERTRES);
  ReleaseDC(nullptr, screen);
  EXPECT_NEAR((own.left + own.right) / 2, width / 2, 1);
  EXPECT_NEAR((own.top + own.bottom) / 2, height / 2, 1);
  // The trace control lies over the placeholder, above it in z-order, and the
  // keyboard reaches it with Tab.
  EXPECT_EQ(GetWindow(Trace.WindowHandle(), GW_HWNDNEXT), Item(1016));
  EXPECT_NE(GetWindowLongW(Trace.WindowHandle(), GWL_STYLE) & WS_TABSTOP, 0);
  RECT placeholder;
  RECT trace;
  GetWindowRect(Item(1016), &placeholder);
  GetWindowRect(Trace.WindowHandle(), &trace);
  EXPECT_EQ(placeholder.left, trace.left);
  EXPECT_EQ(placeholder.bottom, trace.bottom);
}

TEST_F(DialogTest, FieldsStartDisabledAndFollowTheirBoxes) {
  const int pairs[][2] = {{1005, 1003}, {1004, 1006}, {1007, 1008},
                          {1009, 1010}, {1011, 1012}, {1019, 1018}};
  for (const auto& pair : pairs) {
    SCOPED_TRACE(pair[0]);
    EXPECT_FALSE(IsWindowEnabled(Item(pair[1])));
    Click(pair[0]);
    EXPECT_TRUE(IsWindowEnabled(Item(pair[1])));
    EXPECT_EQ(GetFocus(), Item(pair[1]));
    Type(pair[1], L"kept");
    Click(pair[0]);
    EXPECT_FALSE(IsWindowEnabled(Item(pair[1])));
    EXPECT_EQ(TextOf(pair[1]), L"kept");
  }
}

TEST_F(DialogTest, ExclusivePairsKeepOneBoxTicked) {
  Click(1013);
  Click(1005);  // artist from the field
  EXPECT_FALSE(Ticked(1013));
  EXPECT_TRUE(IsWindowEnabled(Item(1003)));
  EXPECT_EQ(GetFocus(), Item(1003));
  Click(1013);  // artist from the name
  EXPECT_FALSE(Ticked(1005));
  EXPECT_FALSE(IsWindowEnabled(Item(1003)));

  Click(1022);
  Click(1015);
  EXPECT_FALSE(Ticked(1022));
  EXPECT_TRUE(Ticked(1015));
  Click(1022);
  EXPECT_FALSE(Ticked(1015));
  Click(1014);  // the title has no partner
  EXPECT_TRUE(Ticked(1014));
  EXPECT_TRUE(Ticked(1013));
}

TEST_F(DialogTest, RunDisablesEverythingAndRestoresTheFieldsByTheirBoxes) {
  Click(1004);
  SetControlsEnabled(false);
  for (int id : {1022, 1013, 1014, 1015, 1005, 1004, 1007, 1009, 1011, 1019, 1003, 1006, 1008, 1010,
                 1012, 1018, 1017}) {
    EXPECT_FALSE(IsWindowEnabled(Item(id))) << id;
  }
  EXPECT_TRUE(IsWindowEnabled(Trace.WindowHandle()));
  SetControlsEnabled(true);
  EXPECT_TRUE(IsWindowEnabled(Item(1006)));
  EXPECT_FALSE(IsWindowEnabled(Item(1003)));
  EXPECT_TRUE(IsWindowEnabled(Item(1017)));
  EXPECT_TRUE(IsWindowEnabled(Item(1005)));
}

TEST_F(DialogTest, DropTakesOnlyOggFilesAndReplacesTheList) {
  const std::string song = Touch("Song.OGG");
  fs::create_directory(folder_.File("x.ogg"));
  const std::string notes = Touch("notes.txt");
  Restart();  // the instruction line is there
  Drop({song, folder_.File("x.ogg"), notes});
  ASSERT_EQ(FileList.Count(), 1);
  EXPECT_STREQ(FileList[0].CStr(), song.c_str());
  ASSERT_EQ(Trace.LineCount(), 2);  // the path and the empty current line
  EXPECT_EQ(Segment(0, 0), std::u16string(song.begin(), song.end()));
  EXPECT_EQ(SegmentColour(0, 0), 0u);

  const std::string other = Touch("other.ogg");
  Drop({other});
  ASSERT_EQ(FileList.Count(), 1);
  EXPECT_STREQ(FileList[0].CStr(), other.c_str());
  EXPECT_EQ(Trace.LineCount(), 2);

  Drop({notes});  // nothing accepted: the list is emptied, the lines cleared
  EXPECT_EQ(FileList.Count(), 0);
  EXPECT_EQ(Trace.LineCount(), 0);
}

TEST_F(DialogTest, DropOfNothingStillClearsTheInstruction) {
  Restart();
  Drop({folder_.File("notes.txt")});
  EXPECT_EQ(Trace.LineCount(), 0);
}

TEST_F(DialogTest, TooLongPathIsSkippedNotCut) {
  // A file whose path is exactly 259 bytes, and a dropped path that begins with
  // it: cut to 259 bytes the drop would name that other file.
  std::string name = "x";
  const size_t base = folder_.File("").size();
  ASSERT_LT(base, 200u);
  name.append(259 - base - 4 - 1, 'a');
  name += ".ogg";
  const std::string exact = Touch(name);
  ASSERT_EQ(exact.size(), 259u);
  Drop({exact + "-longer.ogg"});
  EXPECT_EQ(FileList.Count(), 0);
  Drop({exact});
  EXPECT_EQ(FileList.Count(), 1);
}

TEST_F(DialogTest, CommandsOfTheTableAreAnsweredOthersAreNot) {
  EXPECT_EQ(DialogProc(Dialog(), WM_COMMAND, 1014, 0), TRUE);
  EXPECT_EQ(DialogProc(Dialog(), WM_COMMAND, 1016, 0), FALSE);
  EXPECT_EQ(DialogProc(Dialog(), WM_COMMAND, 4242, 0), FALSE);
  EXPECT_EQ(DialogProc(Dialog(), WM_MOUSEMOVE, 0, 0), FALSE);
}

// Escape, Alt+F4 and the close box all arrive as IDCANCEL.
void CALLBACK CancelTheModalDialog(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  PostMessageW(DialogWindow, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(DialogTest, CancelEndsTheModalDialogWithIdCancel) {
  SetTimer(nullptr, 0, 300, CancelTheModalDialog);
  const INT_PTR result =
      DialogBoxParamW(AppInstance, MAKEINTRESOURCEW(kMainDialog), nullptr, DialogProc, 0);
  EXPECT_EQ(result, IDCANCEL);
  Restart();  // the shared dialog is the program's dialog again
}

// The keys of a run of the modal dialog, pressed one step per tick of a thread
// timer: Enter starts the run; between two files Tab and Enter must find a
// control with the focus and change nothing, and the closing keys end the dialog.
struct KeyScript {
  std::vector<std::string> paths;
  std::initializer_list<WORD> closing;
  int step = 0;
  bool focusAfterTab = false;  // on an enabled control
  bool runGoesOnAfterEnter = false;
};
KeyScript* script = nullptr;

void CALLBACK PlayKeys(HWND, UINT, UINT_PTR, DWORD) {
  KeyScript& s = *script;
  switch (s.step) {
    case 0:
      Drop(s.paths, DialogWindow);
      SetForegroundWindow(DialogWindow);
      Press({VK_RETURN});
      break;
    case 1:
      if (CurrentRun.nextIndex < 1) return;  // until a file has been done
      Press({VK_TAB});
      break;
    case 2:
      s.focusAfterTab = GetFocus() != nullptr && IsWindowEnabled(GetFocus());
      Press({VK_RETURN});
      break;
    case 3:
      s.runGoesOnAfterEnter = IsBatchRunning() && CurrentRun.nextIndex >= 1;
      Press(s.closing);
      break;
    default:
      return;
  }
  ++s.step;
}

TEST_F(DialogTest, KeysWorkBetweenTwoFilesOfARun) {
  std::vector<std::string> paths;
  for (int i = 0; i < 30; ++i) paths.push_back(Touch("song" + std::to_string(i) + ".ogg"));
  for (std::initializer_list<WORD> closing :
       {std::initializer_list<WORD>{VK_ESCAPE}, std::initializer_list<WORD>{VK_MENU, VK_F4}}) {
    KeyScript keys{paths, closing};
    script = &keys;
    const UINT_PTR timer = SetTimer(nullptr, 0, 150, PlayKeys);
    const INT_PTR result =
        DialogBoxParamW(AppInstance, MAKEINTRESOURCEW(kMainDialog), nullptr, DialogProc, 0);
    KillTimer(nullptr, timer);
    EXPECT_EQ(result, IDCANCEL) << closing.size();
    EXPECT_EQ(keys.step, 4);
    EXPECT_TRUE(keys.focusAfterTab);
    EXPECT_TRUE(keys.runGoesOnAfterEnter);
    EXPECT_LT(CurrentRun.nextIndex, static_cast<int>(paths.size()));  // between two files
  }
  Restart();
}

}  // namespace
