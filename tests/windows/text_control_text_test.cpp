// Control texts on real Win32 edit controls: ANSI and UTF-16 fetches, the
// version test and ANSI to UTF-16 conversion.
#include <gtest/gtest.h>

#include "text/control_text.h"

namespace {

class EditControl {
 public:
  EditControl() {
    window_ = CreateWindowExW(0, L"EDIT", L"", WS_POPUP | ES_AUTOHSCROLL, 0, 0, 200, 20, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  ~EditControl() { DestroyWindow(window_); }
  HWND Handle() const { return window_; }
  void SetText(const wchar_t* text) { SetWindowTextW(window_, text); }

 private:
  HWND window_;
};

TEST(TextControlText, ReadsEnglishAccentedAndEmptyFields) {
  EditControl edit;
  ASSERT_NE(edit.Handle(), nullptr);
  ASSERT_TRUE(IsWindowsNT());

  edit.SetText(L"");
  EXPECT_EQ(GetControlText(edit.Handle()).Length(), 0);
  EXPECT_EQ(GetControlTextWide(edit.Handle()).Length(), 0);

  edit.SetText(L"2004-05-06");
  EXPECT_TRUE(GetControlText(edit.Handle()).Equals("2004-05-06"));
  EXPECT_TRUE(GetControlTextWide(edit.Handle()).Equals(u"2004-05-06"));

  edit.SetText(L"Caf\u00E9 \u20AC \u65E5\u672C");
  EXPECT_TRUE(GetControlTextWide(edit.Handle()).Equals(u"Caf\u00E9 \u20AC \u65E5\u672C"));
  if (GetACP() == 1252) {
    // Characters outside the code page come back as the system's default character.
    const String ansi = GetControlText(edit.Handle());
    EXPECT_TRUE(ansi.Left(6).Equals("Caf\xE9 \x80")) << ansi.CStr();
  }
}

TEST(TextControlText, AnsiToWideUsesTheSystemCodePage) {
  EXPECT_EQ(AnsiToWide(String()).Length(), 0);
  EXPECT_TRUE(AnsiToWide(String("abc")).Equals(u"abc"));
  if (GetACP() == 1252) {
    EXPECT_TRUE(AnsiToWide(String("\xE9\x80")).Equals(u"\u00E9\u20AC"));
  }
}

}  // namespace
