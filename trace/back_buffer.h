// BackBuffer: the trace control's off-screen image, a 32-bit top-down DIB section
// with a memory DC selected onto it. The control draws and measures text in the
// memory DC and copies the image to the screen in one blit per paint.
#pragma once
#include <windows.h>

#include <cstdint>

class BackBuffer {
 public:
  BackBuffer() = default;
  BackBuffer(const BackBuffer&) = delete;
  BackBuffer& operator=(const BackBuffer&) = delete;
  virtual ~BackBuffer();

  // Drops what the buffer holds, then makes a width x height bitmap and a memory DC
  // compatible with dc (which stays the caller's). False when either could not be
  // made; without a bitmap the buffer is empty, without a DC the pixels remain.
  bool Create(HDC dc, int width, int height);
  // Sets every pixel to the colour.
  void Fill(COLORREF colour);
  // Sets the pixels of the rectangle, clipped to the buffer.
  void FillRect(int left, int top, int width, int height, COLORREF colour);
  // Copies the whole buffer to target at (x, y); the target's clipping decides what changes.
  void Blit(HDC target, int x, int y) const;
  // Deletes the memory DC, then its bitmap, and returns to the empty state.
  void Release();

  // The memory DC for drawing and measuring text; null when there is none. Owned here.
  HDC MemoryDC() const { return memoryDC_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Pixel (x, y) is at y * Width() + x, 0xAARRGGBB; owned by the bitmap, null when none.
  const uint32_t* Pixels() const { return pixels_; }

  // A COLORREF 0x00BBGGRR as an opaque pixel 0xFFRRGGBB.
  static uint32_t ToPixel(COLORREF colour);
  // Whether the processor offers MMX; tested once per process on first use.
  static bool HasWideStores();
  // Stores value into count pixels. The wide form writes two pixels per 64-bit
  // store and needs pixels aligned to 8 bytes; both forms set exactly count pixels.
  static void StorePixels(uint32_t* pixels, int64_t count, uint32_t value, bool wide);

 private:
  HBITMAP bitmap_ = nullptr;
  HDC memoryDC_ = nullptr;
  uint32_t* pixels_ = nullptr;
  int32_t width_ = 0;
  int32_t height_ = 0;
};
