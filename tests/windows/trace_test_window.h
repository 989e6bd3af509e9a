// Shared scaffolding of the trace control tests: a visible top-level parent that
// records the notifications it receives, a control subclass that records its
// segment drawing, and small scroll-bar helpers.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "text/shared_string.h"
#include "text/wide_string.h"
#include "trace/trace_ctl.h"

namespace trace_test {

struct Notification {
  WPARAM wParam;
  NMHDR header;
};

// Every WM_NOTIFY that a test parent received, in order.
inline std::vector<Notification>& Notifications() {
  static std::vector<Notification> received;
  return received;
}

inline LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) {
    Notifications().push_back({wParam, *reinterpret_cast<const NMHDR*>(lParam)});
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// The shown top-level window that every test control lives in (a hidden parent
// would leave the control unpainted). It is made once per process: under an X
// server without a window manager, destroying a top-level window waits seconds.
inline HWND SharedParent() {
  static HWND parent = nullptr;
  if (parent != nullptr) return parent;
  const char* name = "MiraleTraceTestParent";
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &ParentProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  wc.lpszClassName = name;
  RegisterClassExA(&wc);
  parent = CreateWindowExA(0, name, "trace test", WS_POPUP | WS_VISIBLE, 0, 0, 900, 700, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
  UpdateWindow(parent);
  return parent;
}

// Resizes the control so that its client area is exactly width x height.
inline void SetClientSize(HWND control, int width, int height) {
  RECT outer;
  RECT client;
  GetWindowRect(control, &outer);
  GetClientRect(control, &client);
  const int frameX = (outer.right - outer.left) - client.right;
  const int frameY = (outer.bottom - outer.top) - client.bottom;
  SetWindowPos(control, nullptr, 0, 0, width + frameX, height + frameY,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
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
  const int page = static_cast<int>(info.nPage);
  const int last = info.nMax - (page > 0 ? page - 1 : 0);
  return last > info.nMin ? last : info.nMin;
}

inline bool BarDisabled(HWND window, LONG object) {
  SCROLLBARINFO info = {};
  info.cbSize = sizeof(info);
  if (!GetScrollBarInfo(window, object, &info)) return false;
  return (info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) != 0;
}

inline std::u16string Units(const WideString& text) {
  return std::u16string(text.CStr(), static_cast<size_t>(text.Length()));
}

// The segment texts of every line.
inline std::vector<std::vector<std::u16string>> Texts(const TraceCtl& control) {
  std::vector<std::vector<std::u16string>> lines;
  for (int r = 0; r < control.LineCount(); ++r) {
    std::vector<std::u16string> segments;
    const TraceLine& line = control.Line(r);
    for (int i = 0; i < line.Count(); ++i) segments.push_back(Units(line[i].text));
    lines.push_back(segments);
  }
  return lines;
}

struct DrawCall {
  std::u16string text;
  int x;
  int y;
  COLORREF colour;
};

// Records every segment the paint draws. With a fixed advance it draws nothing
// and reports advance pixels per UTF-16 unit; otherwise it draws as the base does.
class RecordingTraceCtl : public TraceCtl {
 public:
  using TraceCtl::SetMetrics;

  std::vector<DrawCall> draws;
  int advancePerUnit = -1;

 protected:
  int DrawSegment(HDC hdc, int x, int y, const TraceSegment& segment, COLORREF colour) override {
    draws.push_back({Units(segment.text), x, y, colour});
    if (advancePerUnit >= 0) return advancePerUnit * segment.text.Length();
    return TraceCtl::DrawSegment(hdc, x, y, segment, colour);
  }
};

// Repaints the whole control synchronously, as the control's own operations do.
inline void RepaintNow(HWND control) {
  RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

// A recording control in the shared parent; its window goes at the end of the test.
class TraceFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Notifications().clear();
    parent_ = SharedParent();
    ASSERT_NE(parent_, nullptr);
    ASSERT_TRUE(control_.Create(10, 10, 400, 200, parent_));
    window_ = control_.WindowHandle();
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    if (window_ != nullptr) DestroyWindow(window_);
  }

  void WriteLines(int count, const char* prefix = "line ") {
    for (int i = 0; i < count; ++i) {
      control_.WriteLine(Concat(prefix, String(std::to_string(i).c_str())), RGB(0, 0, 0));
    }
  }

  HWND parent_ = nullptr;
  HWND window_ = nullptr;
  RecordingTraceCtl control_;
};

}  // namespace trace_test
