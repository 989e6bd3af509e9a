// Scrolling the trace control: bar codes, keys, the wheel, resizing, and the
// right-click notification to the parent.
#include <windows.h>
// After <windows.h>, which it needs.
#include <commctrl.h>
#include <gtest/gtest.h>

#include "trace_test_window.h"

namespace {

using trace_test::LastPosition;

class TraceScroll : public trace_test::TraceFixture {
 protected:
  void SetUp() override {
    TraceFixture::SetUp();
    control_.WriteLine(std::string(120, 'W').c_str(), 0);  // far wider than the window
    for (int i = 0; i < 59; ++i) control_.WriteLine("line", 0);
    lh_ = control_.LineHeight();
    step_ = control_.HorizontalStep();
    ASSERT_GT(LastPosition(window_, SB_VERT), 20 * lh_);
    ASSERT_GT(LastPosition(window_, SB_HORZ), 20 * step_);
  }
  int Pos(int bar) { return GetScrollPos(window_, bar); }
  // Both bars to kAt and kAtH steps, then one message; the positions after it.
  std::pair<int, int> After(UINT message, WPARAM wParam, LPARAM lParam = 0) {
    SetScrollPos(window_, SB_VERT, kAt * lh_, TRUE);
    SetScrollPos(window_, SB_HORZ, kAtH * step_, TRUE);
    SendMessageA(window_, message, wParam, lParam);
    return {Pos(SB_VERT), Pos(SB_HORZ)};
  }
  static constexpr int kAt = 20;  // lines: more than a page from either end
  static constexpr int kAtH = 10;
  int lh_ = 0, step_ = 0;
};

TEST_F(TraceScroll, BarCodesAndKeysMoveByStepsPagesAndToTheEnds) {
  const int v = kAt * lh_, h = kAtH * step_;
  // A page is as many whole lines as the window shows.
  const int page = trace_test::ScrollState(window_, SB_VERT).nPage / lh_ * lh_;
  const int vEnd = LastPosition(window_, SB_VERT), hEnd = LastPosition(window_, SB_HORZ);
  const struct {
    UINT message;
    WPARAM code;
    std::pair<int, int> expected;  // vertical, horizontal
  } cases[] = {
      {WM_VSCROLL, SB_LINEUP, {v - lh_, h}},
      {WM_VSCROLL, SB_LINEDOWN, {v + lh_, h}},
      {WM_VSCROLL, SB_PAGEUP, {v - page, h}},
      {WM_VSCROLL, SB_PAGEDOWN, {v + page, h}},
      {WM_VSCROLL, SB_TOP, {0, h}},
      {WM_VSCROLL, SB_BOTTOM, {vEnd, h}},
      {WM_VSCROLL, SB_ENDSCROLL, {v, h}},
      {WM_VSCROLL, SB_THUMBPOSITION, {v, h}},
      {WM_HSCROLL, SB_LINELEFT, {v, h - step_}},
      {WM_HSCROLL, SB_PAGERIGHT, {v, h + 4 * step_}},
      {WM_HSCROLL, SB_LEFT, {v, 0}},
      {WM_HSCROLL, SB_RIGHT, {v, hEnd}},
      {WM_KEYDOWN, VK_UP, {v - lh_, h}},
      {WM_KEYDOWN, VK_DOWN, {v + lh_, h}},
      {WM_KEYDOWN, VK_PRIOR, {v - page, h}},
      {WM_KEYDOWN, VK_NEXT, {v + page, h}},
      {WM_KEYDOWN, VK_LEFT, {v, h - step_}},
      {WM_KEYDOWN, VK_RIGHT, {v, h + step_}},
      {WM_KEYDOWN, VK_HOME, {0, h}},
      {WM_KEYDOWN, VK_END, {vEnd, h}},
      {WM_KEYDOWN, 'A', {v, h}},
  };
  ASSERT_GT(page, 4 * lh_);
  for (const auto& c : cases) {
    EXPECT_EQ(After(c.message, c.code), c.expected) << c.message << " " << c.code;
  }
  SetScrollPos(window_, SB_VERT, 0, TRUE);
  SendMessageA(window_, WM_VSCROLL, SB_PAGEUP, 0);
  EXPECT_EQ(Pos(SB_VERT), 0);  // clamped by the bar
}

TEST_F(TraceScroll, ThumbTakesTheTrackPositionOfTheGivenBarWindow) {
  HWND source = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VSCROLL, 0, 0, 50, 50,
                                trace_test::SharedParent(), nullptr, nullptr, nullptr);
  SCROLLINFO info = {sizeof(info), SIF_RANGE | SIF_POS, 0, 1000, 0, 40, 0};
  SetScrollInfo(source, SB_VERT, &info, FALSE);
  EXPECT_EQ(After(WM_VSCROLL, SB_THUMBTRACK, reinterpret_cast<LPARAM>(source)).first, 40);
  DestroyWindow(source);
}

TEST_F(TraceScroll, WheelMovesTheSystemsLinesPerNotch) {
  UINT n = 0;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &n, 0));
  ASSERT_GT(n, 0u);
  const int notch = static_cast<int>(n);
  // Lines moved, down positive. What falls short of a line waits for the next
  // turn the same way; a turn the other way starts afresh.
  const std::pair<int, int> cases[] = {{120, -notch}, {-120, notch},     {240, -2 * notch},
                                       {7, 0},        {120 - 7, -notch}, {-29, 0}};
  for (const auto& c : cases) {
    const WPARAM wParam = MAKEWPARAM(MK_CONTROL, static_cast<WORD>(c.first));
    EXPECT_EQ(After(WM_MOUSEWHEEL, wParam),
              std::make_pair(kAt * lh_ + c.second * lh_, kAtH * step_))
        << c.first;
  }
}

TEST_F(TraceScroll, ResizeKeepsThePositionUnlessTheBarClampsIt) {
  trace_test::SetClientSize(window_, 300, 150);
  SetScrollPos(window_, SB_VERT, 5 * lh_, TRUE);
  for (int height : {100, 220}) {
    trace_test::SetClientSize(window_, 320, height);
    EXPECT_EQ(Pos(SB_VERT), 5 * lh_);
    EXPECT_EQ(static_cast<int>(trace_test::ScrollState(window_, SB_VERT).nPage), height);
  }
  SetScrollPos(window_, SB_VERT, LastPosition(window_, SB_VERT), TRUE);
  const int before = Pos(SB_VERT);
  trace_test::SetClientSize(window_, 320, 300);
  EXPECT_EQ(Pos(SB_VERT), before - 80);
  EXPECT_EQ(control_.Buffer().Width(), 320);
  EXPECT_EQ(control_.Buffer().Height(), 300);
}

TEST_F(TraceScroll, RightClickNotifiesTheParentOnceAndChangesNothing) {
  const int lines = control_.LineCount();
  for (UINT message : {WM_RBUTTONDOWN, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE}) {
    EXPECT_EQ(After(message, 0, MAKELPARAM(20, 30)), std::make_pair(kAt * lh_, kAtH * step_));
  }
  ASSERT_EQ(trace_test::Notifications().size(), 1u);
  const auto& [wParam, header] = trace_test::Notifications()[0];
  EXPECT_EQ(wParam, 1000u);
  EXPECT_EQ(header.hwndFrom, window_);
  EXPECT_EQ(header.idFrom, 1000u);
  EXPECT_EQ(header.code, static_cast<UINT>(NM_RCLICK));
  EXPECT_EQ(control_.LineCount(), lines);
}

}  // namespace
