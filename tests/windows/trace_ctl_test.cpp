// The trace control's line model: how writes split into lines and segments, the
// widest line, Clear, AppendToLine, and the scroll ranges they leave behind.
#include "trace/trace_ctl.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "trace_test_window.h"

namespace {

using trace_test::BarDisabled;
using trace_test::ScrollState;
using trace_test::Texts;
using Lines = std::vector<std::vector<std::u16string>>;

class TraceLineModel : public trace_test::TraceFixture {};

TEST_F(TraceLineModel, WriteSplitsAtEveryKindOfBreak) {
  struct Case {
    const char* text;
    Lines expected;
  };
  const Case cases[] = {
      {"", {{}}},
      {"a", {{u"a"}}},
      {"a\n", {{u"a"}, {u""}}},
      {"x\r\ny\rz\n", {{u"x"}, {u"y"}, {u"z"}, {u""}}},
      {"\n\r", {{u""}, {u""}, {u""}}},
      {"\r\r\nq", {{u""}, {u""}, {u"q"}}},
      // windows-1252: 0xB1 is the plus-minus sign, 0x80 the euro sign.
      {"\xB1OK \x80", {{u"\u00B1OK \u20AC"}}},
  };
  for (const Case& c : cases) {
    control_.Clear();
    control_.Write(c.text, RGB(1, 2, 3));
    EXPECT_EQ(Texts(control_), c.expected) << "text: " << testing::PrintToString(c.text);
    EXPECT_EQ(ScrollState(window_, SB_VERT).nMax,
              static_cast<int>(c.expected.size()) * control_.LineHeight());
  }
}

TEST_F(TraceLineModel, WritesContinueTheCurrentLine) {
  control_.Write("a", RGB(255, 0, 0));
  control_.Write("b", RGB(0, 0, 255));
  ASSERT_EQ(Texts(control_), (Lines{{u"a", u"b"}}));
  EXPECT_EQ(control_.Line(0)[0].colour, RGB(255, 0, 0));
  EXPECT_EQ(control_.Line(0)[1].colour, RGB(0, 0, 255));

  control_.Write("c\nd", RGB(0, 128, 0));
  EXPECT_EQ(Texts(control_), (Lines{{u"a", u"b", u"c"}, {u"d"}}));
  EXPECT_EQ(control_.Line(1)[0].colour, RGB(0, 128, 0));
}

TEST_F(TraceLineModel, WriteLineOpensANewCurrentLine) {
  // The empty piece after each break is kept as an empty segment.
  control_.WriteLine("a", 0);
  EXPECT_EQ(Texts(control_), (Lines{{u"a"}, {u""}}));
  control_.WriteLine("b", 0);
  EXPECT_EQ(Texts(control_), (Lines{{u"a"}, {u"", u"b"}, {u""}}));
}

TEST_F(TraceLineModel, WriteLeavesTheCallersStringAlone) {
  const String text("shared");
  String copy(text);
  control_.WriteLine(copy, 0);
  EXPECT_TRUE(copy.Equals("shared"));
  EXPECT_TRUE(text.Equals("shared"));
}

TEST_F(TraceLineModel, WidestLineNeverShrinksAndSetsTheHorizontalRange) {
  EXPECT_EQ(control_.WidestLine(), 0);
  control_.WriteLine("a rather long line of text that is wider than the rest", 0);
  const int widest = control_.WidestLine();
  EXPECT_GT(widest, control_.LeftMargin());
  EXPECT_EQ(ScrollState(window_, SB_HORZ).nMax, widest);

  control_.WriteLine("short", 0);
  control_.AppendToLine(1, "!", 0);
  EXPECT_EQ(control_.WidestLine(), widest);
  EXPECT_EQ(ScrollState(window_, SB_HORZ).nMax, widest);

  // Growing the long line raises it again, by the width of what was appended.
  control_.AppendToLine(0, "...", 0);
  EXPECT_GT(control_.WidestLine(), widest);
}

TEST_F(TraceLineModel, WidthOfAnEmptyLineIsTheLeftMargin) {
  control_.Write("", 0);
  control_.Write("\n", 0);  // two empty segments on two lines
  EXPECT_EQ(control_.WidestLine(), control_.LeftMargin());
}

TEST_F(TraceLineModel, ClearResetsBothRangesAndTheNextWriteStartsAtLineZero) {
  EXPECT_TRUE(BarDisabled(window_, OBJID_VSCROLL));
  EXPECT_TRUE(BarDisabled(window_, OBJID_HSCROLL));

  for (int i = 0; i < 40; ++i) {
    control_.WriteLine("a line wide enough to need the horizontal scroll bar, and then some more",
                       0);
  }
  SendMessageA(window_, WM_HSCROLL, SB_LINERIGHT, 0);
  EXPECT_GT(ScrollState(window_, SB_HORZ).nPos, 0);
  EXPECT_GT(ScrollState(window_, SB_VERT).nPos, 0);
  EXPECT_FALSE(BarDisabled(window_, OBJID_VSCROLL));
  EXPECT_FALSE(BarDisabled(window_, OBJID_HSCROLL));

  control_.Clear();
  EXPECT_EQ(control_.LineCount(), 0);
  EXPECT_EQ(control_.WidestLine(), 0);
  for (int bar : {SB_VERT, SB_HORZ}) {
    const SCROLLINFO info = ScrollState(window_, bar);
    EXPECT_EQ(info.nMax, 0) << bar;
    EXPECT_EQ(info.nPos, 0) << bar;
  }
  EXPECT_TRUE(BarDisabled(window_, OBJID_VSCROLL));
  EXPECT_TRUE(BarDisabled(window_, OBJID_HSCROLL));

  control_.Write("again", 0);
  EXPECT_EQ(Texts(control_), (Lines{{u"again"}}));
}

TEST_F(TraceLineModel, AppendToLineKeepsBreaksInOneSegment) {
  control_.WriteLine("file", 0);
  control_.AppendToLine(0, " OK\r\nmore", RGB(0, 128, 0));
  EXPECT_EQ(Texts(control_), (Lines{{u"file", u" OK\r\nmore"}, {u""}}));
  EXPECT_EQ(control_.Line(0)[1].colour, RGB(0, 128, 0));
}

TEST_F(TraceLineModel, AppendToLineIgnoresAnIndexThatNamesNoLine) {
  control_.AppendToLine(0, "nothing yet", 0);
  EXPECT_EQ(control_.LineCount(), 0);

  control_.WriteLine("one", 0);
  const Lines before = Texts(control_);
  for (int index : {-1, 2, 3, 1000}) control_.AppendToLine(index, "x", 0);
  EXPECT_EQ(Texts(control_), before);
}

TEST_F(TraceLineModel, AppendToLineOnTheFirstLineScrollsToTheEnd) {
  WriteLines(60);
  SendMessageA(window_, WM_VSCROLL, SB_TOP, 0);
  ASSERT_EQ(ScrollState(window_, SB_VERT).nPos, 0);

  control_.AppendToLine(0, " OK", 0);
  EXPECT_EQ(ScrollState(window_, SB_VERT).nPos, trace_test::LastPosition(window_, SB_VERT));
  EXPECT_GT(ScrollState(window_, SB_VERT).nPos, 0);
}

TEST_F(TraceLineModel, EveryWriteBringsTheEndIntoView) {
  WriteLines(60);
  const SCROLLINFO info = ScrollState(window_, SB_VERT);
  EXPECT_EQ(info.nMax, 61 * control_.LineHeight());
  EXPECT_EQ(info.nPos, trace_test::LastPosition(window_, SB_VERT));
  RECT client;
  GetClientRect(window_, &client);
  EXPECT_EQ(static_cast<int>(info.nPage), client.bottom);
}

// Creation fails after the window exists when the back buffer cannot be made
// (here: an empty rectangle). The control then has no line height and must
// still take writes, paints, scrolling and the wheel without faulting.
TEST(TraceControlWithoutMetrics, SurvivesEverythingWithLineHeightZero) {
  trace_test::RecordingTraceCtl control;
  EXPECT_FALSE(control.Create(0, 0, 0, 0, trace_test::SharedParent()));
  {
    HWND window = control.WindowHandle();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(control.LineHeight(), 0);

    SetWindowPos(window, nullptr, 0, 0, 300, 150, SWP_NOZORDER | SWP_NOACTIVATE);
    control.WriteLine("one", RGB(0, 0, 0));
    control.WriteLine("two", RGB(0, 0, 0));
    control.AppendToLine(0, " OK", RGB(0, 128, 0));
    trace_test::RepaintNow(window);
    for (int code : {SB_LINEDOWN, SB_PAGEDOWN, SB_BOTTOM, SB_THUMBTRACK, SB_TOP}) {
      SendMessageA(window, WM_VSCROLL, static_cast<WPARAM>(code), 0);
    }
    SendMessageA(window, WM_KEYDOWN, VK_NEXT, 0);
    SendMessageA(window, WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0);
    EXPECT_EQ(control.LineCount(), 3);
    EXPECT_TRUE(control.draws.empty());
    // The buffer made at the resize is there and shows the window colour.
    ASSERT_NE(control.Buffer().Pixels(), nullptr);
    EXPECT_EQ(control.Buffer().Pixels()[0], BackBuffer::ToPixel(GetSysColor(COLOR_WINDOW)));
  }
  DestroyWindow(control.WindowHandle());
}

TEST(TraceControlLifetime, ObjectOutlivesItsWindow) {
  TraceCtl control;
  ASSERT_TRUE(control.Create(0, 0, 200, 100, trace_test::SharedParent()));
  control.WriteLine("kept", 0);
  DestroyWindow(control.WindowHandle());
  EXPECT_EQ(control.WindowHandle(), nullptr);
  EXPECT_EQ(control.LineCount(), 2);
  // Still usable as a model; nothing is drawn anywhere.
  control.WriteLine("more", 0);
  control.Clear();
  EXPECT_EQ(control.LineCount(), 0);
}

}  // namespace
