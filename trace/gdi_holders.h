// Scoped holders for GDI resources: a window's DC (GetDC/ReleaseDC), an object
// selected into a DC and restored on scope exit, and an owned GDI object.
#pragma once
#include <windows.h>

// Holds the DC of a window from GetDC until the end of the scope.
class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDC() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;

  HDC Get() const { return dc_; }
  operator HDC() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a DC and puts the previous one back on scope exit, so
// that no DC is left holding an object that its owner may delete.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object)
      : dc_(dc),
        previous_(dc != nullptr && object != nullptr ? SelectObject(dc, object) : nullptr) {}
  ~SelectedObject() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// Owns a GDI object (a font, a brush) and deletes it when replaced or on scope exit.
template <typename Handle>
class OwnedGdiObject {
 public:
  OwnedGdiObject() = default;
  ~OwnedGdiObject() { Reset(nullptr); }
  OwnedGdiObject(const OwnedGdiObject&) = delete;
  OwnedGdiObject& operator=(const OwnedGdiObject&) = delete;

  void Reset(Handle object) {
    if (object_ != nullptr) DeleteObject(object_);
    object_ = object;
  }
  Handle Get() const { return object_; }

 private:
  Handle object_ = nullptr;
};
