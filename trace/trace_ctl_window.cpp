// TraceCtl's window procedure: painting through the back buffer, scrolling by
// pixels with the bars, keys and wheel, resizing, and the right-click notification.
#include <windows.h>

#include "trace/trace_ctl.h"
// After <windows.h>, which it needs: NM_RCLICK.
#include <commctrl.h>

#include "trace/gdi_holders.h"

LRESULT CALLBACK TraceCtl::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const CREATESTRUCTA* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    TraceCtl* self = static_cast<TraceCtl*>(create->lpCreateParams);
    // A pointer-sized slot: a 32-bit store would cut a 64-bit pointer.
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    if (self != nullptr) self->window_ = hwnd;
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }

  TraceCtl* self = reinterpret_cast<TraceCtl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);

  switch (message) {
    case WM_SIZE:
      self->OnSize(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_PAINT:
      self->OnPaint();
      return 0;
    case WM_ERASEBKGND:
      // The paint clears the back buffer itself; erasing here would flicker.
      return 0;
    case WM_KEYDOWN:
      self->OnKeyDown(wParam);
      return 0;
    case WM_VSCROLL:
      self->OnVScroll(LOWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_HSCROLL:
      self->OnHScroll(LOWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_MOUSEWHEEL:
      self->OnMouseWheel(wParam);
      return 0;
    case WM_RBUTTONDOWN:
      self->OnRightButtonDown();
      return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
      return 0;
    case WM_NCDESTROY:
      // The object lives on without its window; later calls must not reach a stale handle.
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      self->window_ = nullptr;
      return DefWindowProcA(hwnd, message, wParam, lParam);
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

int TraceCtl::DrawSegment(HDC hdc, int x, int y, const TraceSegment& segment, COLORREF colour) {
  const WCHAR* text = reinterpret_cast<const WCHAR*>(segment.text.CStr());
  const int length = segment.text.Length();
  SetTextColor(hdc, colour);
  TextOutW(hdc, x, y, text, length);
  SIZE size = {0, 0};
  GetTextExtentPoint32W(hdc, text, length, &size);
  return size.cx;
}

void TraceCtl::OnPaint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window_, &paint);
  RECT client = {0, 0, 0, 0};
  GetClientRect(window_, &client);

  const RECT& area = paint.rcPaint;
  backBuffer_.FillRect(area.left, area.top, area.right - area.left, area.bottom - area.top,
                       GetSysColor(COLOR_WINDOW));
  HDC memory = backBuffer_.MemoryDC();
  if (memory != nullptr) {
    SelectedObject font(memory, currentFont_);
    SetBkMode(memory, TRANSPARENT);
    DrawVisibleLines(memory, client.bottom);
  }
  backBuffer_.Blit(dc, 0, 0);
  EndPaint(window_, &paint);
}

void TraceCtl::DrawVisibleLines(HDC dc, int clientHeight) {
  // Without a measured font there is no line geometry; the cleared buffer is shown.
  if (lineHeight_ <= 0) return;
  const int h = GetScrollPos(window_, SB_HORZ);
  const int v = GetScrollPos(window_, SB_VERT);
  const int x0 = leftMargin_ - h;

  // The visible lines come from the scroll position alone, however long the list.
  int first = 0;
  int y = -v;
  if (v > 0) {
    first = v / lineHeight_;
    y = first * lineHeight_ - v;
  }
  // One line more than fits whole, for a line cut by the bottom edge.
  int last = clientHeight / lineHeight_ + first + 1;
  if (last >= lines_.Count()) last = lines_.Count() - 1;

  for (int r = first; r <= last; ++r) {
    const TraceLine& line = lines_[r];
    int x = x0;
    for (int i = 0; i < line.Count(); ++i) x += DrawSegment(dc, x, y, line[i], line[i].colour);
    y += lineHeight_;
  }
}

void TraceCtl::OnSize(int width, int height) {
  {
    WindowDC dc(window_);
    // Not filled here: the repaint below covers the whole, now invalid, client area.
    backBuffer_.Create(dc, width, height);
  }
  UpdateVerticalBar(false);
  UpdateHorizontalBar();
  Repaint(nullptr);
}

void TraceCtl::Scroll(int bar, int step, int code, HWND scrollBar) {
  const int p = GetScrollPos(window_, bar);
  int min = 0;
  int max = 0;
  GetScrollRange(window_, bar, &min, &max);

  int position = p;
  switch (code) {
    case SB_LINEUP:
      position = p - step;
      break;
    case SB_LINEDOWN:
      position = p + step;
      break;
    case SB_PAGEUP:
      position = p - 4 * step;
      break;
    case SB_PAGEDOWN:
      position = p + 4 * step;
      break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
      SCROLLINFO info = {};
      info.cbSize = sizeof(info);
      info.fMask = SIF_TRACKPOS;
      if (GetScrollInfo(scrollBar != nullptr ? scrollBar : window_, bar, &info)) {
        position = info.nTrackPos;
      }
      break;
    }
    case SB_TOP:
      position = min;
      break;
    case SB_BOTTOM:
      position = max;
      break;
    default:
      break;
  }
  // The bar clamps the position to its range and page.
  SetScrollPos(window_, bar, position, TRUE);
  Repaint(nullptr);
}

void TraceCtl::OnVScroll(int code, HWND scrollBar) {
  Scroll(SB_VERT, lineHeight_, code, scrollBar);
}

void TraceCtl::OnHScroll(int code, HWND scrollBar) {
  Scroll(SB_HORZ, horizontalStep_, code, scrollBar);
}

void TraceCtl::OnKeyDown(WPARAM key) {
  const bool control = GetAsyncKeyState(VK_CONTROL) != 0;
  struct Action {
    WPARAM key;
    bool vertical;
    int code;
  };
  const Action actions[] = {
      {VK_UP, true, SB_LINEUP},
      {VK_DOWN, true, SB_LINEDOWN},
      {VK_PRIOR, true, SB_PAGEUP},
      {VK_NEXT, true, SB_PAGEDOWN},
      {VK_LEFT, false, SB_LINELEFT},
      {VK_RIGHT, false, SB_LINERIGHT},
      // Home and End work on the horizontal bar, with Ctrl on the vertical one.
      {VK_HOME, control, control ? SB_TOP : SB_LEFT},
      {VK_END, control, control ? SB_BOTTOM : SB_RIGHT},
  };
  for (const Action& action : actions) {
    if (action.key != key) continue;
    if (action.vertical) {
      OnVScroll(action.code, window_);
    } else {
      OnHScroll(action.code, window_);
    }
    return;
  }
}

void TraceCtl::OnMouseWheel(WPARAM wParam) {
  const int delta = static_cast<short>(HIWORD(wParam));
  // 15 units of delta per pixel: one notch of 120 moves 8 pixels, up for a positive delta.
  const int position = TrackPosition(SB_VERT) - delta / 15;
  SetScrollPos(window_, SB_VERT, position, TRUE);
  OnVScroll(SB_THUMBTRACK, window_);
}

void TraceCtl::OnRightButtonDown() {
  NMHDR header = {};
  header.hwndFrom = window_;
  header.idFrom = kNotifyId;
  header.code = NM_RCLICK;
  SendMessageA(GetParent(window_), WM_NOTIFY, kNotifyId, reinterpret_cast<LPARAM>(&header));
}
