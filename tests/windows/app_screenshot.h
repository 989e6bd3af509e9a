// Saves a picture of a window as a 32-bit BMP under $MIRALE_ARTIFACTS (or the
// current folder), so that anyone can look at what the tests saw.
#pragma once
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/app_state.h"

namespace app_test {

namespace detail {

struct PictureTarget {
  HWND dialog;
  HDC memory;
  POINT origin;  // the dialog window's top-left on the screen
};

// Each control prints itself at its place; the trace control's client area is
// its back buffer, which holds exactly what it last painted.
inline BOOL CALLBACK PrintChild(HWND child, LPARAM context) {
  const PictureTarget& target = *reinterpret_cast<const PictureTarget*>(context);
  if (GetParent(child) != target.dialog || !IsWindowVisible(child)) return TRUE;
  RECT area;
  GetWindowRect(child, &area);
  POINT old;
  SetViewportOrgEx(target.memory, area.left - target.origin.x, area.top - target.origin.y, &old);
  SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(target.memory),
               PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
  if (child == Trace.WindowHandle()) {
    POINT client = {0, 0};
    ClientToScreen(child, &client);
    RECT inside;
    GetClientRect(child, &inside);
    BitBlt(target.memory, client.x - area.left, client.y - area.top, inside.right, inside.bottom,
           Trace.Buffer().MemoryDC(), 0, 0, SRCCOPY);
  }
  SetViewportOrgEx(target.memory, old.x, old.y, nullptr);
  return TRUE;
}

}  // namespace detail

inline bool SaveDialogPicture(HWND window, const std::string& name) {
  RECT area;
  GetWindowRect(window, &area);
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  SendMessageW(window, WM_PRINT, reinterpret_cast<WPARAM>(memory),
               PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
  detail::PictureTarget target = {window, memory, {area.left, area.top}};
  EnumChildWindows(window, detail::PrintChild, reinterpret_cast<LPARAM>(&target));
  SelectObject(memory, previous);

  const char* folder = std::getenv("MIRALE_ARTIFACTS");
  const std::string path = (folder != nullptr ? std::string(folder) + "\\" : std::string()) + name;
  bool saved = false;
  if (FILE* file = std::fopen(path.c_str(), "wb")) {
    const DWORD imageSize = static_cast<DWORD>(width) * height * 4;
    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    header.bfSize = header.bfOffBits + imageSize;
    std::fwrite(&header, sizeof header, 1, file);
    std::fwrite(&info.bmiHeader, sizeof(BITMAPINFOHEADER), 1, file);
    std::fwrite(pixels, 1, imageSize, file);
    saved = std::fclose(file) == 0;
  }
  DeleteDC(memory);
  DeleteObject(bitmap);
  ReleaseDC(nullptr, screen);
  return saved;
}

}  // namespace app_test
