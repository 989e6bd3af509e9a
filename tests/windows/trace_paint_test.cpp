// Painting of the trace control: which lines are drawn at which y for a scroll
// position, where segments start, the pixels that reach the back buffer, and a
// saved picture of a typical run for people to look at.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "trace/trace_ctl.h"
#include "trace_test_window.h"

namespace {

using trace_test::DrawCall;
using trace_test::RepaintNow;
using trace_test::ScrollState;

class TracePaint : public trace_test::TraceFixture {
 protected:
  // Line height 16, margin 2, 10 pixels per unit, client 200 x 100, lines "0" to "19"
  // (each after the first behind the empty segment that its break left).
  void SetUpGeometry() {
    control_.advancePerUnit = 10;
    trace_test::SetClientSize(window_, 200, 100);
    for (int i = 0; i < 20; ++i) {
      if (i > 0) control_.Write("\n", 0);
      control_.Write(std::to_string(i).c_str(), RGB(0, 0, i));
    }
    control_.SetMetrics(16, 2, 8);
  }

  std::vector<DrawCall> PaintAt(int position) {
    SetScrollPos(window_, SB_VERT, position, TRUE);
    control_.draws.clear();
    RepaintNow(window_);
    // Every line after the first starts with the empty piece that followed a break.
    std::vector<DrawCall> drawn;
    for (const DrawCall& draw : control_.draws) {
      if (!draw.text.empty()) drawn.push_back(draw);
    }
    return drawn;
  }
};

TEST_F(TracePaint, DrawsOnlyTheVisibleLinesFoundFromThePosition) {
  SetUpGeometry();
  RECT client;
  GetClientRect(window_, &client);
  ASSERT_EQ(client.bottom, 100);
  ASSERT_EQ(ScrollState(window_, SB_VERT).nMax, 20 * 16);

  struct Case {
    int position;
    int first;
    int last;
    int firstY;
  };
  const Case cases[] = {
      {0, 0, 7, 0},        // 100 / 16 + 1: one line more than fits whole
      {25, 1, 8, -9},      // the first line stands partly above the top edge
      {16, 1, 8, 0},       //
      {221, 13, 19, -13},  // the last page: clamped to the last line
  };
  for (const Case& c : cases) {
    const std::vector<DrawCall> draws = PaintAt(c.position);
    ASSERT_EQ(ScrollState(window_, SB_VERT).nPos, c.position);
    ASSERT_EQ(draws.size(), static_cast<size_t>(c.last - c.first + 1)) << c.position;
    for (size_t i = 0; i < draws.size(); ++i) {
      const int line = c.first + static_cast<int>(i);
      const std::string digits = std::to_string(line);
      EXPECT_EQ(draws[i].text, std::u16string(digits.begin(), digits.end()));
      EXPECT_EQ(draws[i].y, c.firstY + 16 * static_cast<int>(i)) << c.position;
      EXPECT_EQ(draws[i].colour, RGB(0, 0, line));
    }
  }
}

TEST_F(TracePaint, SegmentsFollowEachOtherAtTheirAdvanceWidths) {
  control_.advancePerUnit = 10;
  control_.Write("ab", RGB(255, 0, 0));
  control_.Write("cde", RGB(0, 255, 0));
  control_.Write("f", RGB(0, 0, 255));
  // Wide enough for a horizontal range, so that the x can be scrolled.
  control_.Write("\nWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW", 0);
  control_.SetMetrics(16, 3, 8);
  SetScrollPos(window_, SB_VERT, 0, TRUE);

  for (int h : {0, 24}) {
    SetScrollPos(window_, SB_HORZ, h, TRUE);
    ASSERT_EQ(GetScrollPos(window_, SB_HORZ), h);
    control_.draws.clear();
    RepaintNow(window_);
    ASSERT_GE(control_.draws.size(), 3u);
    const int x0 = 3 - h;
    const struct {
      const char16_t* text;
      int x;
      COLORREF colour;
    } expected[] = {{u"ab", x0, RGB(255, 0, 0)},
                    {u"cde", x0 + 20, RGB(0, 255, 0)},
                    {u"f", x0 + 50, RGB(0, 0, 255)}};
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(control_.draws[i].text, expected[i].text);
      EXPECT_EQ(control_.draws[i].x, expected[i].x) << "h " << h << " segment " << i;
      EXPECT_EQ(control_.draws[i].y, 0);
      EXPECT_EQ(control_.draws[i].colour, expected[i].colour);
    }
  }
}

TEST_F(TracePaint, EmptyListShowsTheWindowColourOnly) {
  RepaintNow(window_);
  EXPECT_TRUE(control_.draws.empty());
  const BackBuffer& buffer = control_.Buffer();
  ASSERT_NE(buffer.Pixels(), nullptr);
  const uint32_t window = BackBuffer::ToPixel(GetSysColor(COLOR_WINDOW));
  const int count = buffer.Width() * buffer.Height();
  int others = 0;
  for (int i = 0; i < count; ++i) others += buffer.Pixels()[i] != window;
  EXPECT_EQ(others, 0);
}

// Columns of line 0's band that hold exactly the colour (GDI leaves alpha 0).
std::vector<int> ColumnsInColour(const BackBuffer& buffer, int bandHeight, COLORREF colour) {
  const uint32_t rgb = BackBuffer::ToPixel(colour) & 0x00FFFFFFu;
  std::vector<int> columns;
  for (int x = 0; x < buffer.Width(); ++x) {
    for (int y = 0; y < bandHeight && y < buffer.Height(); ++y) {
      if ((buffer.Pixels()[y * buffer.Width() + x] & 0x00FFFFFFu) == rgb) {
        columns.push_back(x);
        break;
      }
    }
  }
  return columns;
}

TEST_F(TracePaint, TextReachesTheBackBufferInTheSegmentColours) {
  const COLORREF red = RGB(255, 0, 0);
  const COLORREF blue = RGB(0, 0, 255);
  control_.Write("MMMM", red);
  control_.Write("MMMM", blue);
  control_.draws.clear();
  RepaintNow(window_);
  ASSERT_EQ(control_.draws.size(), 2u);

  const std::vector<int> reds = ColumnsInColour(control_.Buffer(), control_.LineHeight(), red);
  const std::vector<int> blues = ColumnsInColour(control_.Buffer(), control_.LineHeight(), blue);
  ASSERT_FALSE(reds.empty());
  ASSERT_FALSE(blues.empty());
  EXPECT_GE(reds.front(), control_.LeftMargin());
  EXPECT_LT(reds.back(), blues.front());  // b drawn right after a
  EXPECT_LE(blues.back(), control_.WidestLine());
  // Below line 0 nothing was drawn.
  const BackBuffer& buffer = control_.Buffer();
  const uint32_t window = BackBuffer::ToPixel(GetSysColor(COLOR_WINDOW));
  RECT client;
  GetClientRect(window_, &client);
  for (int y = control_.LineHeight(); y < client.bottom; ++y) {
    for (int x = 0; x < client.right; ++x) {
      ASSERT_EQ(buffer.Pixels()[y * buffer.Width() + x], window) << x << "," << y;
    }
  }
}

// Writes the buffer as a 24-bit bottom-up BMP.
bool SaveBitmap(const BackBuffer& buffer, int width, int height, const std::string& path) {
  const int stride = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof(info);
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = static_cast<DWORD>(stride * height);
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + info.biSizeImage;

  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  std::fwrite(&file, sizeof(file), 1, out);
  std::fwrite(&info, sizeof(info), 1, out);
  std::vector<unsigned char> row(static_cast<size_t>(stride), 0);
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t pixel = buffer.Pixels()[y * buffer.Width() + x];
      row[3 * x] = static_cast<unsigned char>(pixel);
      row[3 * x + 1] = static_cast<unsigned char>(pixel >> 8);
      row[3 * x + 2] = static_cast<unsigned char>(pixel >> 16);
    }
    std::fwrite(row.data(), 1, row.size(), out);
  }
  return std::fclose(out) == 0;
}

TEST(TracePicture, SavesATypicalRun) {
  TraceCtl control;
  ASSERT_TRUE(control.Create(10, 10, 620, 200, trace_test::SharedParent()));
  {
    const COLORREF black = RGB(0, 0, 0);
    control.WriteLine("C:\\Music\\Artist - First Song.ogg", black);
    control.WriteLine("C:\\Music\\Artist - Second Song.ogg", black);
    control.WriteLine("C:\\Music\\03 - Artist - Third Song.ogg", black);
    control.WriteLine("C:\\Music\\Read Only.ogg", black);
    control.AppendToLine(0, " OK", RGB(0, 128, 0));
    control.AppendToLine(1, " \xB1OK : the date was not understood and left out", RGB(255, 128, 0));
    control.AppendToLine(2, " OK", RGB(0, 128, 0));
    control.AppendToLine(3, " the file is read-only", RGB(255, 0, 0));
    control.WriteLine("---------------------- All Done ! ----------------------", RGB(0, 0, 255));

    RECT client;
    GetClientRect(control.WindowHandle(), &client);
    const char* folder = std::getenv("MIRALE_ARTIFACTS");
    const std::string path =
        std::string(folder != nullptr && *folder != '\0' ? folder : ".") + "/trace_control.bmp";
    ASSERT_TRUE(SaveBitmap(control.Buffer(), client.right, client.bottom, path)) << path;
    std::printf("picture: %s\n", path.c_str());

    // The picture holds the colours of the run.
    for (COLORREF colour : {RGB(0, 128, 0), RGB(255, 128, 0), RGB(255, 0, 0), RGB(0, 0, 255)}) {
      const uint32_t rgb = BackBuffer::ToPixel(colour) & 0x00FFFFFFu;
      bool found = false;
      for (int i = 0; i < control.Buffer().Width() * client.bottom && !found; ++i) {
        found = (control.Buffer().Pixels()[i] & 0x00FFFFFFu) == rgb;
      }
      EXPECT_TRUE(found) << std::hex << colour;
    }
  }
  DestroyWindow(control.WindowHandle());
}

}  // namespace
