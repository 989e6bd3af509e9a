// The trace control's line model, painting and a saved picture of a typical run.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "trace_test_window.h"

namespace {

using trace_test::LastPosition;
using trace_test::ScrollState;
using Lines = std::vector<std::vector<std::u16string>>;

class TraceCtlTest : public trace_test::TraceFixture {};

TEST_F(TraceCtlTest, WritesSplitIntoLinesAndSegments) {
  const struct {
    std::vector<const char*> writes;
    Lines expected;
  } cases[] = {
      {{""}, {{}}},
      {{"a", "b"}, {{u"a", u"b"}}},
      {{"a\n", "b\n"}, {{u"a"}, {u"", u"b"}, {u""}}},  // WriteLine twice
      {{"x\r\ny\rz\n"}, {{u"x"}, {u"y"}, {u"z"}, {u""}}},
      {{"\n\r", "q"}, {{u""}, {u""}, {u"", u"q"}}},
      {{"\xB1OK \x80"}, {{u"\u00B1OK \u20AC"}}},  // windows-1252
  };
  for (const auto& c : cases) {
    control_.Clear();
    COLORREF colour = 1;
    for (const char* text : c.writes) control_.Write(text, colour++);
    EXPECT_EQ(Texts(), c.expected) << c.writes[0];
    EXPECT_EQ(ScrollState(window_, SB_VERT).nMax,
              static_cast<int>(c.expected.size()) * control_.LineHeight());
  }
  control_.Write("c", 7);  // each write keeps its own colour
  EXPECT_EQ(control_.Line(0)[1].colour, 7u);
}

TEST_F(TraceCtlTest, WidestLineNeverShrinksUntilClearResetsBothRanges) {
  control_.WriteLine("a line wide enough to need the horizontal scroll bar, and then some more", 0);
  const int widest = control_.WidestLine();
  EXPECT_GT(widest, 400);
  control_.WriteLine("short", 0);
  control_.AppendToLine(1, "!", 0);
  EXPECT_EQ(control_.WidestLine(), widest);
  EXPECT_EQ(ScrollState(window_, SB_HORZ).nMax, widest);
  for (int i = 0; i < 30; ++i) control_.WriteLine("more", 0);
  SendMessageA(window_, WM_HSCROLL, SB_RIGHT, 0);

  control_.Clear();
  for (int bar : {SB_VERT, SB_HORZ}) {
    EXPECT_EQ(ScrollState(window_, bar).nMax, 0);
    EXPECT_EQ(ScrollState(window_, bar).nPos, 0);
  }
  EXPECT_EQ(control_.WidestLine(), 0);
  control_.Write("again", 0);
  EXPECT_EQ(Texts(), (Lines{{u"again"}}));
}

TEST_F(TraceCtlTest, AppendToLineAddsOneSegmentAndTheViewFollowsUntilTheUserScrollsAway) {
  control_.AppendToLine(0, "no line yet", 0);
  EXPECT_EQ(control_.LineCount(), 0);
  for (int i = 0; i < 40; ++i) control_.WriteLine("line", 0);
  const int end = LastPosition(window_, SB_VERT);
  EXPECT_EQ(ScrollState(window_, SB_VERT).nPos, end);

  // Following: the line written comes into view, first at the top, then at the bottom.
  control_.AppendToLine(0, " OK\r\n", RGB(0, 128, 0));
  for (int index : {-1, 41, 1000}) control_.AppendToLine(index, "x", 0);
  EXPECT_EQ(Texts()[0], (std::vector<std::u16string>{u"line", u" OK\r\n"}));
  EXPECT_EQ(control_.LineCount(), 41);
  EXPECT_EQ(ScrollState(window_, SB_VERT).nPos, 0);
  control_.AppendToLine(30, " OK", 0);
  const SCROLLINFO shown = ScrollState(window_, SB_VERT);
  EXPECT_EQ(shown.nPos + static_cast<int>(shown.nPage), 31 * control_.LineHeight());

  // Scrolled away: neither appends nor writes move the view, until the user is
  // back at the end of the list.
  SendMessageA(window_, WM_KEYDOWN, VK_UP, 0);
  const int read = ScrollState(window_, SB_VERT).nPos;
  control_.AppendToLine(35, " OK", 0);
  control_.WriteLine("more", 0);
  EXPECT_FALSE(control_.Following());
  EXPECT_EQ(ScrollState(window_, SB_VERT).nPos, read);
  SendMessageA(window_, WM_KEYDOWN, VK_END, 0);
  EXPECT_TRUE(control_.Following());
  control_.WriteLine("last", 0);
  EXPECT_EQ(ScrollState(window_, SB_VERT).nPos, LastPosition(window_, SB_VERT));
}

TEST_F(TraceCtlTest, PaintDrawsTheVisibleLinesAtTheirPlaces) {
  control_.advancePerUnit = 10;
  trace_test::SetClientSize(window_, 200, 100);
  control_.Write("ab", RGB(255, 0, 0));
  control_.Write("cde", RGB(0, 0, 255));
  control_.Write(std::string(80, 'W').c_str(), 0);  // wider than the window
  for (int i = 1; i < 20; ++i) control_.Write(("\n" + std::to_string(i)).c_str(), RGB(0, 0, i));
  control_.SetMetrics(16, 2, 8);
  ASSERT_EQ(ScrollState(window_, SB_VERT).nMax, 320);

  const struct {
    int position, first, last, firstY;
  } cases[] = {{0, 0, 7, 0}, {25, 1, 8, -9}, {16, 1, 8, 0}, {221, 13, 19, -13}};
  for (const auto& c : cases) {
    SetScrollPos(window_, SB_VERT, c.position, TRUE);
    control_.draws.clear();
    trace_test::RepaintNow(window_);
    // The first visible segment of each line (lines after the first begin with
    // the empty piece that their break left).
    std::vector<trace_test::DrawCall> lineStarts;
    for (const auto& draw : control_.draws) {
      if (draw.x == 2 && !draw.text.empty()) lineStarts.push_back(draw);
    }
    ASSERT_EQ(lineStarts.size(), static_cast<size_t>(c.last - c.first + 1)) << c.position;
    for (int r = c.first; r <= c.last; ++r) {
      EXPECT_EQ(lineStarts[r - c.first].y, c.firstY + 16 * (r - c.first)) << c.position;
      EXPECT_EQ(lineStarts[r - c.first].colour, r > 0 ? RGB(0, 0, r) : RGB(255, 0, 0));
    }
  }
  // Segments follow each other at their advance widths, after the scrolled margin.
  SetScrollPos(window_, SB_VERT, 0, TRUE);
  SetScrollPos(window_, SB_HORZ, 5, TRUE);
  control_.draws.clear();
  trace_test::RepaintNow(window_);
  EXPECT_EQ(control_.draws[0].x, 2 - 5);
  EXPECT_EQ(control_.draws[1].x, 2 - 5 + 20);
  EXPECT_EQ(control_.draws[1].colour, RGB(0, 0, 255));
}

// Whether some pixel holds exactly the colour (GDI text leaves alpha 0).
bool HasColour(const BackBuffer& buffer, COLORREF colour) {
  for (int i = 0; i < buffer.Width() * buffer.Height(); ++i) {
    if (((buffer.Pixels()[i] ^ BackBuffer::ToPixel(colour)) & 0xFFFFFF) == 0) return true;
  }
  return false;
}

// Writes the top-left width x height of the buffer as a 24-bit BMP.
void SaveBitmap(const BackBuffer& buffer, int width, int height, const std::string& path) {
  const int stride = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file = {0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
  BITMAPINFOHEADER info = {sizeof(info), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  file.bfSize = file.bfOffBits + static_cast<DWORD>(stride * height);
  FILE* out = std::fopen(path.c_str(), "wb");
  ASSERT_NE(out, nullptr) << path;
  std::fwrite(&file, sizeof(file), 1, out);
  std::fwrite(&info, sizeof(info), 1, out);
  std::vector<unsigned char> row(static_cast<size_t>(stride));
  for (int y = height - 1; y >= 0; --y) {  // bottom-up rows
    for (int x = 0; x < width; ++x)
      std::memcpy(&row[3 * x], &buffer.Pixels()[y * buffer.Width() + x], 3);
    std::fwrite(row.data(), 1, row.size(), out);
  }
  EXPECT_EQ(std::fclose(out), 0);
}

TEST_F(TraceCtlTest, PictureOfATypicalRun) {
  trace_test::SetClientSize(window_, 600, 110);
  const char* paths[] = {"C:\\Music\\Artist - First Song.ogg",
                         "C:\\Music\\Artist - Second Song.ogg",
                         "C:\\Music\\03 - Artist - Third Song.ogg", "C:\\Music\\Read Only.ogg"};
  for (const char* path : paths) control_.WriteLine(path, RGB(0, 0, 0));
  control_.AppendToLine(0, " OK", RGB(0, 128, 0));
  control_.AppendToLine(1, " \xB1OK : the date was not understood and left out", RGB(255, 128, 0));
  control_.AppendToLine(2, " OK", RGB(0, 128, 0));
  control_.AppendToLine(3, " the file is read-only", RGB(255, 0, 0));
  control_.WriteLine("---------------------- All Done ! ----------------------", RGB(0, 0, 255));
  for (COLORREF colour : {RGB(0, 128, 0), RGB(255, 128, 0), RGB(255, 0, 0), RGB(0, 0, 255)}) {
    EXPECT_TRUE(HasColour(control_.Buffer(), colour)) << std::hex << colour;
  }
  // The picture is kept only where the test run keeps its artifacts, never in
  // the current folder (which may be a checkout).
  const char* folder = std::getenv("MIRALE_ARTIFACTS");
  if (folder != nullptr && *folder != '\0') {
    SaveBitmap(control_.Buffer(), 600, 110, std::string(folder) + "/trace_control.bmp");
  }
}

// Creation fails after the window exists when no back buffer can be made (an
// empty rectangle): with line height 0 nothing may divide by zero.
TEST(TraceCtlWithoutMetrics, TakesWritesPaintsScrollingAndTheWheel) {
  trace_test::RecordingTraceCtl control;
  EXPECT_FALSE(control.Create(0, 0, 0, 0, trace_test::SharedParent()));
  HWND window = control.WindowHandle();
  ASSERT_NE(window, nullptr);
  SetWindowPos(window, nullptr, 0, 0, 300, 150, SWP_NOZORDER);  // a buffer again
  control.WriteLine("one", 0);
  control.AppendToLine(0, " OK", 0);
  for (int code : {SB_LINEDOWN, SB_PAGEDOWN, SB_BOTTOM, SB_THUMBTRACK}) {
    SendMessageA(window, WM_VSCROLL, static_cast<WPARAM>(code), 0);
  }
  SendMessageA(window, WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0);
  EXPECT_EQ(control.LineCount(), 2);
  EXPECT_TRUE(control.draws.empty());
  EXPECT_EQ(control.Buffer().Pixels()[0], BackBuffer::ToPixel(GetSysColor(COLOR_WINDOW)));
  DestroyWindow(window);
  EXPECT_EQ(control.WindowHandle(), nullptr);  // the object outlives its window
  control.WriteLine("two", 0);
}

}  // namespace
