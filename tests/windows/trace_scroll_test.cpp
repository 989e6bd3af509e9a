// Scrolling the trace control: bar codes, keys, the wheel,
// resizing, and the right-click notification to the parent.
#include <windows.h>
// After <windows.h>, which it needs.
#include <commctrl.h>
#include <gtest/gtest.h>

#include "trace/trace_ctl.h"
#include "trace_test_window.h"

namespace {

using trace_test::LastPosition;
using trace_test::ScrollState;

class TraceScroll : public trace_test::TraceFixture {
 protected:
  void SetUp() override {
    TraceFixture::SetUp();
    // 40 lines, the first of them far wider than the client area.
    control_.WriteLine(
        "a first line that is much wider than the control so that there is something to scroll "
        "to the side, with plenty of words after the visible part of it",
        0);
    WriteLines(39);
    lh_ = control_.LineHeight();
    step_ = control_.HorizontalStep();
    ASSERT_GT(lh_, 0);
    ASSERT_GT(step_, 0);
    ASSERT_GT(LastPosition(window_, SB_VERT), 20 * lh_);
    ASSERT_GT(LastPosition(window_, SB_HORZ), 20 * step_);
  }

  int Pos(int bar) { return GetScrollPos(window_, bar); }
  void Place(int bar, int position) {
    SetScrollPos(window_, bar, position, TRUE);
    ASSERT_EQ(Pos(bar), position);
  }

  int lh_ = 0;
  int step_ = 0;
};

TEST_F(TraceScroll, BarCodesMoveByStepsPagesAndToTheEnds) {
  struct Case {
    int code;
    int steps;     // expected move from the middle, in steps
    bool toStart;  // or to an end instead
    bool toEnd;
  };
  const Case cases[] = {
      {SB_LINEUP, -1, false, false},   {SB_LINEDOWN, 1, false, false},
      {SB_PAGEUP, -4, false, false},   {SB_PAGEDOWN, 4, false, false},
      {SB_TOP, 0, true, false},        {SB_BOTTOM, 0, false, true},
      {SB_ENDSCROLL, 0, false, false}, {SB_THUMBPOSITION, 0, false, false},
  };
  const struct {
    int bar;
    UINT message;
    int step;
  } bars[] = {{SB_VERT, WM_VSCROLL, lh_}, {SB_HORZ, WM_HSCROLL, step_}};
  for (const auto& bar : bars) {
    for (const Case& c : cases) {
      const int middle = 10 * bar.step;
      Place(bar.bar, middle);
      SendMessageA(window_, bar.message, static_cast<WPARAM>(c.code), 0);
      const int expected = c.toStart ? 0
                           : c.toEnd ? LastPosition(window_, bar.bar)
                                     : middle + c.steps * bar.step;
      EXPECT_EQ(Pos(bar.bar), expected) << "bar " << bar.bar << " code " << c.code;
    }
  }
}

TEST_F(TraceScroll, StepsBeyondTheRangeAreClampedByTheBar) {
  Place(SB_VERT, 0);
  SendMessageA(window_, WM_VSCROLL, SB_PAGEUP, 0);
  EXPECT_EQ(Pos(SB_VERT), 0);
  Place(SB_VERT, LastPosition(window_, SB_VERT));
  SendMessageA(window_, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(Pos(SB_VERT), LastPosition(window_, SB_VERT));
}

TEST_F(TraceScroll, PageDownMovesFourLinesWhateverTheClientHeight) {
  for (int height : {60, 180}) {
    trace_test::SetClientSize(window_, 300, height);
    Place(SB_VERT, lh_);
    SendMessageA(window_, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(Pos(SB_VERT), 5 * lh_) << height;
  }
}

TEST_F(TraceScroll, ThumbTakesTheTrackPositionOfTheGivenBarWindow) {
  // Another window whose vertical bar stands at 40.
  HWND source = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VSCROLL, 0, 0, 50, 50, parent_,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(source, nullptr);
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
  info.nMax = 1000;
  info.nPage = 10;
  info.nPos = 40;
  SetScrollInfo(source, SB_VERT, &info, FALSE);

  Place(SB_VERT, 0);
  SendMessageA(window_, WM_VSCROLL, SB_THUMBTRACK, reinterpret_cast<LPARAM>(source));
  EXPECT_EQ(Pos(SB_VERT), 40);
  // Without a bar window the control's own bar is read: nothing moves.
  SendMessageA(window_, WM_VSCROLL, SB_THUMBPOSITION, 0);
  EXPECT_EQ(Pos(SB_VERT), 40);
  DestroyWindow(source);
}

// Ctrl+Home and Ctrl+End are not covered: under Wine, input injected with
// SendInput reaches the thread's key state but not GetAsyncKeyState.
TEST_F(TraceScroll, KeysWithoutCtrl) {
  ASSERT_EQ(GetAsyncKeyState(VK_CONTROL), 0);
  struct Case {
    WPARAM key;
    int bar;
    int expected;  // from the middle, in steps of that bar; 99 = last position
  };
  const Case cases[] = {
      {VK_UP, SB_VERT, 9},    {VK_DOWN, SB_VERT, 11}, {VK_PRIOR, SB_VERT, 6},
      {VK_NEXT, SB_VERT, 14}, {VK_LEFT, SB_HORZ, 9},  {VK_RIGHT, SB_HORZ, 11},
      {VK_HOME, SB_HORZ, 0},  {VK_END, SB_HORZ, 99},  {'A', SB_VERT, 10},
      {'A', SB_HORZ, 10},     {VK_HOME, SB_VERT, 10}, {VK_END, SB_VERT, 10},
  };
  for (const Case& c : cases) {
    Place(SB_VERT, 10 * lh_);
    Place(SB_HORZ, 10 * step_);
    SendMessageA(window_, WM_KEYDOWN, c.key, 0);
    const int step = c.bar == SB_VERT ? lh_ : step_;
    const int expected = c.expected == 99 ? LastPosition(window_, c.bar) : c.expected * step;
    EXPECT_EQ(Pos(c.bar), expected) << "key " << c.key << " bar " << c.bar;
  }
}

TEST_F(TraceScroll, WheelMovesOnePixelPerFifteenUnitsOfDelta) {
  const struct {
    int delta;
    int move;
  } cases[] = {{120, -8}, {-120, 8}, {7, 0}, {-29, 1}, {240, -16}, {-14, 0}};
  for (const auto& c : cases) {
    Place(SB_VERT, 100);
    Place(SB_HORZ, 30);
    // The key-state word plays no part.
    SendMessageA(window_, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, static_cast<WORD>(c.delta)), 0);
    EXPECT_EQ(Pos(SB_VERT), 100 + c.move) << c.delta;
    EXPECT_EQ(Pos(SB_HORZ), 30) << c.delta;
  }
  Place(SB_VERT, 3);
  SendMessageA(window_, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
  EXPECT_EQ(Pos(SB_VERT), 0);
}

TEST_F(TraceScroll, ResizeKeepsThePositionUnlessTheBarClampsIt) {
  trace_test::SetClientSize(window_, 300, 150);
  Place(SB_VERT, 5 * lh_);
  trace_test::SetClientSize(window_, 300, 100);
  EXPECT_EQ(Pos(SB_VERT), 5 * lh_);
  EXPECT_EQ(static_cast<int>(ScrollState(window_, SB_VERT).nPage), 100);
  trace_test::SetClientSize(window_, 320, 220);
  EXPECT_EQ(Pos(SB_VERT), 5 * lh_);

  // At the end of the list a taller page pulls the position back.
  Place(SB_VERT, LastPosition(window_, SB_VERT));
  const int before = Pos(SB_VERT);
  trace_test::SetClientSize(window_, 320, 300);
  EXPECT_EQ(Pos(SB_VERT), before - 80);
  EXPECT_EQ(Pos(SB_VERT), LastPosition(window_, SB_VERT));

  // The buffer follows the client area exactly.
  EXPECT_EQ(control_.Buffer().Width(), 320);
  EXPECT_EQ(control_.Buffer().Height(), 300);
}

TEST_F(TraceScroll, RightClickNotifiesTheParentOnceAndChangesNothing) {
  Place(SB_VERT, 3 * lh_);
  Place(SB_HORZ, 2 * step_);
  const int lines = control_.LineCount();
  trace_test::Notifications().clear();

  SendMessageA(window_, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 30));

  ASSERT_EQ(trace_test::Notifications().size(), 1u);
  const trace_test::Notification& n = trace_test::Notifications()[0];
  EXPECT_EQ(n.wParam, 1000u);
  EXPECT_EQ(n.header.hwndFrom, window_);
  EXPECT_EQ(n.header.idFrom, 1000u);
  EXPECT_EQ(n.header.code, static_cast<UINT>(NM_RCLICK));
  EXPECT_EQ(Pos(SB_VERT), 3 * lh_);
  EXPECT_EQ(Pos(SB_HORZ), 2 * step_);
  EXPECT_EQ(control_.LineCount(), lines);

  // Other mouse buttons say nothing.
  for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_MOUSEMOVE}) {
    SendMessageA(window_, message, 0, MAKELPARAM(20, 30));
  }
  EXPECT_EQ(trace_test::Notifications().size(), 1u);
}

}  // namespace
