// The off-screen bitmap of the trace control; fills go straight to the pixel memory.
#include "trace/back_buffer.h"

#include <cpuid.h>

#include <cstring>

namespace {

// -1 until the first fill asks the processor, then 1 (MMX present) or 0. Only the
// thread that owns the trace control fills, so no lock is needed.
int g_hasMmx = -1;

}  // namespace

BackBuffer::~BackBuffer() { Release(); }

void BackBuffer::Release() {
  // The DC goes first: the bitmap is selected into it.
  if (memoryDC_ != nullptr) {
    DeleteDC(memoryDC_);
    memoryDC_ = nullptr;
  }
  if (bitmap_ != nullptr) {
    DeleteObject(bitmap_);
    bitmap_ = nullptr;
  }
  pixels_ = nullptr;
  width_ = 0;
  height_ = 0;
}

bool BackBuffer::Create(HDC dc, int width, int height) {
  Release();

  BITMAPINFO info;
  std::memset(&info, 0, sizeof(info));
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // negative: row 0 is the top row
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;

  void* bits = nullptr;
  bitmap_ = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bits == nullptr) {
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
    bitmap_ = nullptr;
    return false;
  }
  pixels_ = static_cast<uint32_t*>(bits);
  width_ = width;
  height_ = height;

  memoryDC_ = CreateCompatibleDC(dc);
  if (memoryDC_ == nullptr) return false;
  // The DC's original 1x1 bitmap is not kept: the DC is deleted, never restored.
  SelectObject(memoryDC_, bitmap_);
  return true;
}

uint32_t BackBuffer::ToPixel(COLORREF colour) {
  return 0xFF000000u | (static_cast<uint32_t>(GetRValue(colour)) << 16) |
         (static_cast<uint32_t>(GetGValue(colour)) << 8) | GetBValue(colour);
}

bool BackBuffer::HasWideStores() {
  if (g_hasMmx < 0) {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    g_hasMmx = (__get_cpuid(1, &eax, &ebx, &ecx, &edx) != 0 && (edx & bit_MMX) != 0) ? 1 : 0;
  }
  return g_hasMmx == 1;
}

void BackBuffer::StorePixels(uint32_t* pixels, int64_t count, uint32_t value, bool wide) {
  if (count <= 0) return;
  if (wide) {
    // Plain 64-bit stores through general registers: no MMX register is touched,
    // so there is no MMX state to clear afterwards.
    const uint64_t pair = (static_cast<uint64_t>(value) << 32) | value;
    const int64_t pairs = count / 2;
    for (int64_t i = 0; i < pairs; ++i) std::memcpy(pixels + 2 * i, &pair, sizeof(pair));
    if ((count & 1) != 0) pixels[count - 1] = value;
  } else {
    for (int64_t i = 0; i < count; ++i) pixels[i] = value;
  }
}

void BackBuffer::Fill(COLORREF colour) {
  if (pixels_ == nullptr) return;
  const bool wide = HasWideStores() && (reinterpret_cast<uintptr_t>(pixels_) % 8) == 0;
  StorePixels(pixels_, static_cast<int64_t>(width_) * height_, ToPixel(colour), wide);
}

void BackBuffer::FillRect(int left, int top, int width, int height, COLORREF colour) {
  if (pixels_ == nullptr || width <= 0 || height <= 0) return;
  // Clip in 64 bits so that left + width cannot overflow.
  const int64_t x0 = left < 0 ? 0 : left;
  const int64_t y0 = top < 0 ? 0 : top;
  int64_t x1 = static_cast<int64_t>(left) + width;
  int64_t y1 = static_cast<int64_t>(top) + height;
  if (x1 > width_) x1 = width_;
  if (y1 > height_) y1 = height_;
  if (x0 >= x1 || y0 >= y1) return;

  const uint32_t value = ToPixel(colour);
  for (int64_t y = y0; y < y1; ++y) {
    StorePixels(pixels_ + y * width_ + x0, x1 - x0, value, false);
  }
}

void BackBuffer::Blit(HDC target, int x, int y) const {
  if (memoryDC_ == nullptr) return;
  BitBlt(target, x, y, width_, height_, memoryDC_, 0, 0, SRCCOPY);
}
