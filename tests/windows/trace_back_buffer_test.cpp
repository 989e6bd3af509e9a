// BackBuffer: the fills on both store paths, clipped rectangles and re-creation.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <vector>

#include "trace/back_buffer.h"

namespace {

int Count(const BackBuffer& buffer, uint32_t value) {
  int n = 0;
  for (int i = 0; i < buffer.Width() * buffer.Height(); ++i) n += buffer.Pixels()[i] == value;
  return n;
}

TEST(BackBuffer, FillSetsEveryPixelOnTheFastPath) {
  HDC screen = GetDC(nullptr);
  BackBuffer buffer;
  ASSERT_TRUE(buffer.Create(screen, 3, 2));
  buffer.Fill(RGB(255, 0, 0));
  const unsigned char red[4] = {0x00, 0x00, 0xFF, 0xFF};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(std::memcmp(buffer.Pixels() + i, red, 4), 0) << i;

  ASSERT_TRUE(buffer.Create(screen, 7, 3));  // an odd pixel count
  EXPECT_TRUE(BackBuffer::HasWideStores());
  EXPECT_EQ(reinterpret_cast<uintptr_t>(buffer.Pixels()) % 8, 0u);
  buffer.Fill(RGB(0x12, 0x34, 0x56));
  EXPECT_EQ(Count(buffer, 0xFF123456u), 21);
  ReleaseDC(nullptr, screen);
}

TEST(BackBuffer, StoresSetExactlyCountPixelsOnBothPaths) {
  for (bool wide : {true, false}) {
    for (int count : {0, 1, 2, 7, 1001}) {
      std::vector<uint64_t> storage(static_cast<size_t>(count) / 2 + 3, ~0ull);
      uint32_t* run = reinterpret_cast<uint32_t*>(storage.data()) + 2;  // aligned to 8
      BackBuffer::StorePixels(run, count, 7, wide);
      EXPECT_EQ(run[-1], ~0u);
      for (int i = 0; i < count; ++i) ASSERT_EQ(run[i], 7u) << wide << " " << count;
      EXPECT_EQ(run[count], ~0u) << wide << " " << count;
    }
  }
}

TEST(BackBuffer, FillRectIsClippedToTheBuffer) {
  HDC screen = GetDC(nullptr);
  BackBuffer buffer;
  ASSERT_TRUE(buffer.Create(screen, 10, 8));
  const struct {
    int left, top, width, height, expected;
  } cases[] = {
      {2, 3, 4, 2, 8},         {2, 3, 0, 5, 0},   {2, 3, 5, 0, 0},
      {2, 3, -4, 2, 0},        {-3, -2, 5, 4, 4}, {8, 6, 10, 10, 4},
      {-100, -9, 999, 99, 80}, {10, 0, 5, 5, 0},  {-2000000000, 0, 2000000003, 1, 3},
  };
  for (const auto& c : cases) {
    buffer.Fill(RGB(255, 255, 255));
    buffer.FillRect(c.left, c.top, c.width, c.height, RGB(0, 0, 255));
    EXPECT_EQ(Count(buffer, 0xFF0000FFu), c.expected) << c.left << "," << c.top;
  }
  buffer.Fill(RGB(255, 255, 255));
  buffer.FillRect(2, 3, 4, 2, RGB(0, 0, 255));  // rows step by the buffer width
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 10; ++x) {
      const bool inside = x >= 2 && x < 6 && y >= 3 && y < 5;
      EXPECT_EQ(buffer.Pixels()[y * 10 + x], inside ? 0xFF0000FFu : 0xFFFFFFFFu) << x << "," << y;
    }
  }
  // A failed re-creation leaves nothing behind: the old DC is deleted and fills do nothing.
  HDC old = buffer.MemoryDC();
  EXPECT_FALSE(buffer.Create(screen, 0, 0));
  EXPECT_EQ(GetObjectType(old), 0u);
  EXPECT_EQ(buffer.Pixels(), nullptr);
  EXPECT_EQ(buffer.MemoryDC(), nullptr);
  buffer.Fill(0);
  buffer.FillRect(0, 0, 1, 1, 0);
  ReleaseDC(nullptr, screen);
}

}  // namespace
