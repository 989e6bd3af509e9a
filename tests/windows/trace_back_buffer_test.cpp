// BackBuffer: colour conversion, fills on both store paths, clipped rectangles,
// re-creation and the empty state.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <vector>

#include "trace/back_buffer.h"

namespace {

class ScreenDC {
 public:
  ScreenDC() : dc_(GetDC(nullptr)) {}
  ~ScreenDC() { ReleaseDC(nullptr, dc_); }
  operator HDC() const { return dc_; }

 private:
  HDC dc_;
};

int CountPixels(const BackBuffer& buffer, uint32_t value) {
  int n = 0;
  for (int i = 0; i < buffer.Width() * buffer.Height(); ++i) n += buffer.Pixels()[i] == value;
  return n;
}

TEST(BackBuffer, FillWithRedGivesTheDocumentedBytes) {
  ScreenDC screen;
  BackBuffer buffer;
  ASSERT_TRUE(buffer.Create(screen, 3, 2));
  ASSERT_NE(buffer.MemoryDC(), nullptr);
  buffer.Fill(RGB(255, 0, 0));
  const unsigned char expected[4] = {0x00, 0x00, 0xFF, 0xFF};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(std::memcmp(buffer.Pixels() + i, expected, 4), 0) << "pixel " << i;
  }
}

TEST(BackBuffer, ColourConversionSwapsRedAndBlueAndSetsAlpha) {
  const struct {
    COLORREF colour;
    uint32_t pixel;
  } cases[] = {
      {RGB(0, 0, 0), 0xFF000000u},
      {RGB(255, 255, 255), 0xFFFFFFFFu},
      {RGB(0x12, 0x34, 0x56), 0xFF123456u},
      {RGB(0, 0, 255), 0xFF0000FFu},
      {0xAA000000u | RGB(1, 2, 3), 0xFF010203u},  // the unused top byte is ignored
  };
  for (const auto& c : cases) EXPECT_EQ(BackBuffer::ToPixel(c.colour), c.pixel) << c.colour;
}

TEST(BackBuffer, StoresSetExactlyCountPixelsOnBothPaths) {
  // Aligned storage with sentinels on both sides of the stored run.
  for (bool wide : {true, false}) {
    for (int count : {0, 1, 2, 3, 7, 8, 1001}) {
      std::vector<uint64_t> storage(static_cast<size_t>(count) / 2 + 4, ~0ull);
      uint32_t* base = reinterpret_cast<uint32_t*>(storage.data());
      uint32_t* run = base + 2;  // still aligned to 8
      BackBuffer::StorePixels(run, count, 0x11223344u, wide);
      EXPECT_EQ(base[1], 0xFFFFFFFFu) << count;
      for (int i = 0; i < count; ++i) ASSERT_EQ(run[i], 0x11223344u) << count << " " << i;
      EXPECT_EQ(run[count], 0xFFFFFFFFu) << "wide " << wide << " count " << count;
    }
  }
}

TEST(BackBuffer, FillOfAnOddPixelCountTakesTheFastPathAndSetsTheLastPixel) {
  EXPECT_TRUE(BackBuffer::HasWideStores());  // every x86-64 processor has MMX
  ScreenDC screen;
  BackBuffer buffer;
  ASSERT_TRUE(buffer.Create(screen, 7, 3));
  ASSERT_EQ(reinterpret_cast<uintptr_t>(buffer.Pixels()) % 8, 0u);
  buffer.Fill(RGB(0, 0, 0));
  buffer.Fill(RGB(1, 2, 3));
  EXPECT_EQ(CountPixels(buffer, 0xFF010203u), 21);
  EXPECT_EQ(buffer.Pixels()[20], 0xFF010203u);
}

TEST(BackBuffer, FillRectIsClippedToTheBuffer) {
  ScreenDC screen;
  BackBuffer buffer;
  ASSERT_TRUE(buffer.Create(screen, 10, 8));
  const uint32_t white = BackBuffer::ToPixel(RGB(255, 255, 255));
  const uint32_t blue = BackBuffer::ToPixel(RGB(0, 0, 255));
  const struct {
    int left, top, width, height;
    int expected;  // pixels that turn blue
  } cases[] = {
      {2, 3, 4, 2, 8},
      {0, 0, 10, 8, 80},
      {2, 3, 0, 5, 0},
      {2, 3, 5, 0, 0},
      {2, 3, -4, 2, 0},
      {-3, -2, 5, 4, 4},
      {8, 6, 10, 10, 4},
      {-100, -100, 1000, 1000, 80},
      {10, 0, 5, 5, 0},
      {0, 8, 5, 5, 0},
      {2000000000, 0, 2000000000, 1, 0},
      {-2000000000, 0, 2000000003, 1, 3},
  };
  for (const auto& c : cases) {
    buffer.Fill(RGB(255, 255, 255));
    buffer.FillRect(c.left, c.top, c.width, c.height, RGB(0, 0, 255));
    EXPECT_EQ(CountPixels(buffer, blue), c.expected)
        << c.left << "," << c.top << " " << c.width << "x" << c.height;
    EXPECT_EQ(CountPixels(buffer, white), 80 - c.expected);
  }
  // The rectangle lands where it was asked for: rows step by the buffer width.
  buffer.Fill(RGB(255, 255, 255));
  buffer.FillRect(2, 3, 4, 2, RGB(0, 0, 255));
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 10; ++x) {
      const bool inside = x >= 2 && x < 6 && y >= 3 && y < 5;
      EXPECT_EQ(buffer.Pixels()[y * 10 + x], inside ? blue : white) << x << "," << y;
    }
  }
}

TEST(BackBuffer, ReCreationStartsEmptyAndAFailedCreationStaysEmpty) {
  ScreenDC screen;
  BackBuffer buffer;
  EXPECT_EQ(buffer.Pixels(), nullptr);
  buffer.Fill(RGB(1, 1, 1));  // nothing to fill: no fault
  buffer.FillRect(0, 0, 5, 5, RGB(1, 1, 1));
  buffer.Blit(screen, 0, 0);

  ASSERT_TRUE(buffer.Create(screen, 4, 4));
  HDC first = buffer.MemoryDC();
  ASSERT_TRUE(buffer.Create(screen, 6, 5));
  EXPECT_EQ(buffer.Width(), 6);
  EXPECT_EQ(buffer.Height(), 5);
  EXPECT_NE(buffer.MemoryDC(), nullptr);
  if (buffer.MemoryDC() != first) {
    EXPECT_EQ(GetObjectType(first), 0u);  // the old DC is gone
  }

  HDC last = buffer.MemoryDC();
  EXPECT_FALSE(buffer.Create(screen, 0, 0));
  EXPECT_EQ(buffer.Pixels(), nullptr);
  EXPECT_EQ(buffer.MemoryDC(), nullptr);
  EXPECT_EQ(buffer.Width(), 0);
  EXPECT_EQ(buffer.Height(), 0);
  EXPECT_EQ(GetObjectType(last), 0u);
  buffer.Fill(RGB(1, 1, 1));
}

TEST(BackBuffer, BlitCopiesTheWholeBufferToTheTarget) {
  ScreenDC screen;
  BackBuffer source;
  BackBuffer target;
  ASSERT_TRUE(source.Create(screen, 5, 4));
  ASSERT_TRUE(target.Create(screen, 9, 9));
  source.Fill(RGB(10, 20, 30));
  target.Fill(RGB(0, 0, 0));
  source.Blit(target.MemoryDC(), 3, 2);
  GdiFlush();
  int copied = 0;
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 9; ++x) {
      const bool inside = x >= 3 && x < 8 && y >= 2 && y < 6;
      const uint32_t rgb = target.Pixels()[y * 9 + x] & 0x00FFFFFFu;
      EXPECT_EQ(rgb, inside ? 0x000A141Eu : 0u) << x << "," << y;
      copied += inside;
    }
  }
  EXPECT_EQ(copied, 20);
}

}  // namespace
