// Scaffolding of the trace control tests: a shown parent that records its
// notifications, a control that records its segment drawing, scroll helpers.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "trace/trace_ctl.h"

namespace trace_test {

inline std::vector<std::pair<WPARAM, NMHDR>>& Notifications() {
  static std::vector<std::pair<WPARAM, NMHDR>> received;
  return received;
}

inline LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) Notifications().push_back({wParam, *reinterpret_cast<NMHDR*>(lParam)});
  return message == WM_NOTIFY ? 0 : DefWindowProcA(hwnd, message, wParam, lParam);
}

// One shown popup for the whole run: a hidden parent leaves the control unpainted,
// and without a window manager destroying a top-level window waits seconds.
inline HWND SharedParent() {
  static HWND parent = nullptr;
  if (parent != nullptr) return parent;
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &ParentProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "MiraleTraceTestParent";
  RegisterClassExA(&wc);
  parent = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, 900, 700, nullptr,
                           nullptr, wc.hInstance, nullptr);
  return parent;
}

inline void SetClientSize(HWND control, int width, int height) {
  RECT outer, client;
  GetWindowRect(control, &outer);
  GetClientRect(control, &client);
  SetWindowPos(control, nullptr, 0, 0, width + outer.right - outer.left - client.right,
               height + outer.bottom - outer.top - client.bottom, SWP_NOMOVE | SWP_NOZORDER);
}

inline SCROLLINFO ScrollState(HWND window, int bar) {
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  GetScrollInfo(window, bar, &info);
  return info;
}

// The largest position the bar allows: the last page ends at the range's end.
inline int LastPosition(HWND window, int bar) {
  const SCROLLINFO info = ScrollState(window, bar);
  const int last = info.nMax - static_cast<int>(info.nPage) + 1;
  return last > 0 ? last : 0;
}

inline void RepaintNow(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

struct DrawCall {
  std::u16string text;
  int x, y;
  COLORREF colour;
};

// Records the segments the paint draws; with a fixed advance per UTF-16 unit it
// draws nothing itself, otherwise it draws as the base does.
class RecordingTraceCtl : public TraceCtl {
 public:
  using TraceCtl::SetMetrics;
  std::vector<DrawCall> draws;
  int advancePerUnit = -1;

 protected:
  int DrawSegment(HDC hdc, int x, int y, const TraceSegment& segment, COLORREF colour) override {
    const std::u16string text(segment.text.CStr(), static_cast<size_t>(segment.text.Length()));
    draws.push_back({text, x, y, colour});
    if (advancePerUnit >= 0) return advancePerUnit * segment.text.Length();
    return TraceCtl::DrawSegment(hdc, x, y, segment, colour);
  }
};

// A 400 x 200 recording control in the shared parent, its window destroyed after the test.
class TraceFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Notifications().clear();
    ASSERT_TRUE(control_.Create(10, 10, 400, 200, SharedParent()));
    window_ = control_.WindowHandle();
  }
  void TearDown() override { DestroyWindow(window_); }

  // Segment texts of every line.
  std::vector<std::vector<std::u16string>> Texts() const {
    std::vector<std::vector<std::u16string>> lines(static_cast<size_t>(control_.LineCount()));
    for (int r = 0; r < control_.LineCount(); ++r) {
      for (int i = 0; i < control_.Line(r).Count(); ++i) {
        const WideString& text = control_.Line(r)[i].text;
        lines[r].emplace_back(text.CStr(), static_cast<size_t>(text.Length()));
      }
    }
    return lines;
  }

  HWND window_ = nullptr;
  RecordingTraceCtl control_;
};

}  // namespace trace_test
