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
    case WM_GETDLGCODE:
      // In a dialog the arrows scroll the list instead of moving the focus.
      return DLGC_WANTARROWS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      self->OnFocusChange();
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
    case WM_LBUTTONDOWN:
      // A click brings the keyboard to the list.
      SetFocus(hwnd);
      return 0;
    case WM_MOUSEMOVE:
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
  if (GetFocus() == window_) DrawFocusFrame(client.right, client.bottom);
  backBuffer_.Blit(dc, 0, 0);
  EndPaint(window_, &paint);
}

// A one-pixel frame in the selection colour shows that the keys scroll the list.
// Drawn with plain fills, so that painting it twice changes nothing.
void TraceCtl::DrawFocusFrame(int width, int height) {
  const COLORREF colour = GetSysColor(COLOR_HIGHLIGHT);
  backBuffer_.FillRect(0, 0, width, 1, colour);
  backBuffer_.FillRect(0, height - 1, width, 1, colour);
  backBuffer_.FillRect(0, 0, 1, height, colour);
  backBuffer_.FillRect(width - 1, 0, 1, height, colour);
}

void TraceCtl::OnFocusChange() { Repaint(nullptr); }

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

void TraceCtl::Scroll(int bar, int step, int page, int code, HWND scrollBar) {
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
      position = p - page;
      break;
    case SB_PAGEDOWN:
      position = p + page;
      break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      position = TrackPosition(bar, scrollBar);
      break;
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
  // A page is as many whole lines as the window shows, at least one.
  const int height = ClientHeight();
  const int lines = lineHeight_ > 0 ? height / lineHeight_ : 0;
  Scroll(SB_VERT, lineHeight_, (lines > 0 ? lines : 1) * lineHeight_, code, scrollBar);
  // The user's scrolling decides whether the view follows the writing: it does
  // once they are back at the end of the list, and stops when they leave it.
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  if (GetScrollInfo(window_, SB_VERT, &info)) {
    following_ = info.nPos + static_cast<int>(info.nPage) > info.nMax;
  }
}

void TraceCtl::OnHScroll(int code, HWND scrollBar) {
  Scroll(SB_HORZ, horizontalStep_, 4 * horizontalStep_, code, scrollBar);
}

void TraceCtl::OnKeyDown(WPARAM key) {
  struct Action {
    WPARAM key;
    bool vertical;
    int code;
  };
  const Action actions[] = {
      {VK_UP, true, SB_LINEUP},      {VK_DOWN, true, SB_LINEDOWN},    {VK_PRIOR, true, SB_PAGEUP},
      {VK_NEXT, true, SB_PAGEDOWN},  {VK_HOME, true, SB_TOP},         {VK_END, true, SB_BOTTOM},
      {VK_LEFT, false, SB_LINELEFT}, {VK_RIGHT, false, SB_LINERIGHT},
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
  UINT linesPerNotch = 3;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &linesPerNotch, 0);
  if (linesPerNotch == 0) return;
  if (linesPerNotch == WHEEL_PAGESCROLL) {
    const int lines = lineHeight_ > 0 ? ClientHeight() / lineHeight_ : 0;
    linesPerNotch = lines > 0 ? static_cast<UINT>(lines) : 1;
  }
  // Whole lines only; what a fine-grained wheel turns short of a line is kept
  // for the next turn in the same direction. A positive delta (away from the
  // user) moves up.
  if ((wheelRemainder_ < 0) != (delta < 0)) wheelRemainder_ = 0;
  wheelRemainder_ += delta * static_cast<int>(linesPerNotch);
  const int lines = wheelRemainder_ / WHEEL_DELTA;
  wheelRemainder_ -= lines * WHEEL_DELTA;
  if (lines == 0) return;
  SetScrollPos(window_, SB_VERT, GetScrollPos(window_, SB_VERT) - lines * lineHeight_, TRUE);
  OnVScroll(SB_THUMBTRACK, window_);
}

void TraceCtl::OnRightButtonDown() {
  NMHDR header = {};
  header.hwndFrom = window_;
  header.idFrom = kNotifyId;
  header.code = NM_RCLICK;
  SendMessageA(GetParent(window_), WM_NOTIFY, kNotifyId, reinterpret_cast<LPARAM>(&header));
}
