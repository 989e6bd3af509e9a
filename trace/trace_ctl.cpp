// TraceCtl: window class, creation, the line model and the operations the
// application calls. Painting and input handling are in trace_ctl_window.cpp.
#include "trace/trace_ctl.h"

#include "text/encodings.h"
#include "trace/gdi_holders.h"

namespace {

const char kClassName[] = "TraceCtl Window Class";

void RegisterTraceClass(HINSTANCE instance) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof(WNDCLASSEXA);
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
  wc.lpfnWndProc = &TraceCtl::WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
  wc.lpszClassName = kClassName;
  // A second registration in the same process fails harmlessly.
  RegisterClassExA(&wc);
}

// Resize reserves exactly the count it is asked for, so a long run of one-line
// writes would copy the whole list each time; doubling first keeps them amortised
// constant, as appends are.
template <typename T>
void ResizeGrowing(GrowableArray<T>& array, int count) {
  if (count > array.Capacity()) {
    array.Reserve(count > 2 * array.Capacity() ? count : 2 * array.Capacity(), array.Count());
  }
  array.Resize(count);
}

RECT ClientRect(HWND window) {
  RECT rect = {0, 0, 0, 0};
  if (window != nullptr) GetClientRect(window, &rect);
  return rect;
}

}  // namespace

TraceCtl::~TraceCtl() {
  // The window may outlive the object; it must not call back into freed memory.
  if (window_ != nullptr) SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
  // The font is never left selected in a DC (see SelectedObject), so the order of
  // the releases does not matter.
  lines_.RemoveAll();
  backBuffer_.Release();
}

TraceCtl::BulkUpdate::~BulkUpdate() {
  if (--control_.holds_ > 0 || !control_.heldWrites_) return;
  control_.heldWrites_ = false;
  control_.AfterWrite(nullptr);
}

bool TraceCtl::Create(int x, int y, int width, int height, HWND parent) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  RegisterTraceClass(instance);

  // The window procedure stores this object in the window at WM_NCCREATE.
  HWND window = CreateWindowExA(WS_EX_STATICEDGE | WS_EX_TRANSPARENT, kClassName, "TraceCtl",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP, x, y,
                                width, height, parent, nullptr, instance, this);
  if (window == nullptr) return false;
  window_ = window;

  WindowDC dc(window_);
  if (!backBuffer_.Create(dc, width, height)) return false;
  backBuffer_.Fill(GetSysColor(COLOR_WINDOW));

  // A second Create replaces the font of the first.
  LOGFONTA logFont = {};
  ownedFont_.Reset(SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof(logFont), &logFont, 0)
                       ? CreateFontIndirectA(&logFont)
                       : nullptr);
  currentFont_ = ownedFont_.Get() != nullptr ? ownedFont_.Get()
                                             : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));

  TEXTMETRICA metrics = {};
  {
    SelectedObject font(dc, currentFont_);
    GetTextMetricsA(dc, &metrics);
  }
  lineHeight_ = metrics.tmHeight;
  horizontalStep_ = metrics.tmAveCharWidth;
  leftMargin_ = metrics.tmAveCharWidth / 2;

  const RECT client = ClientRect(window_);
  SetBar(SB_VERT, lines_.Count() * lineHeight_, client.bottom, 0);
  SetBar(SB_HORZ, widestLine_, client.right, 0);
  return true;
}

void TraceCtl::SetMetrics(int lineHeight, int leftMargin, int horizontalStep) {
  lineHeight_ = lineHeight;
  leftMargin_ = leftMargin;
  horizontalStep_ = horizontalStep;
  UpdateVerticalBar(false);
  UpdateHorizontalBar();
}

void TraceCtl::SetBar(int bar, int maximum, int page, int position) {
  if (window_ == nullptr) return;
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL | (position != kKeep ? SIF_POS : 0);
  info.nMin = 0;
  info.nMax = maximum;
  info.nPage = static_cast<UINT>(page);
  info.nPos = position;
  SetScrollInfo(window_, bar, &info, TRUE);
}

int TraceCtl::ClientHeight() const { return ClientRect(window_).bottom; }

void TraceCtl::UpdateVerticalBar(bool setPosition) {
  const int maximum = lines_.Count() * lineHeight_;
  // Beyond the last page: the bar clamps it, which brings the end into view.
  SetBar(SB_VERT, maximum, ClientRect(window_).bottom, setPosition ? maximum : kKeep);
}

void TraceCtl::UpdateHorizontalBar() {
  SetBar(SB_HORZ, widestLine_, ClientRect(window_).right, kKeep);
}

int TraceCtl::MeasureLine(const TraceLine& line) const {
  HDC dc = backBuffer_.MemoryDC();
  int width = leftMargin_;
  if (dc == nullptr) return width;
  SelectedObject font(dc, currentFont_);
  for (int i = 0; i < line.Count(); ++i) {
    const WideString& text = line[i].text;
    SIZE size = {0, 0};
    if (GetTextExtentPoint32W(dc, reinterpret_cast<const WCHAR*>(text.CStr()), text.Length(),
                              &size)) {
      width += size.cx;
    }
  }
  return width;
}

void TraceCtl::AppendSegment(TraceLine& line, const WideString& text, COLORREF colour) {
  const int n = line.Count();
  ResizeGrowing(line, n + 1);
  line[n].text = text;
  line[n].colour = colour;
  const int width = MeasureLine(line);
  if (width > widestLine_) widestLine_ = width;
}

int TraceCtl::TrackPosition(int bar, HWND source) const {
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_TRACKPOS;
  if (source == nullptr) source = window_;
  if (source == nullptr || !GetScrollInfo(source, bar, &info)) return 0;
  return info.nTrackPos;
}

void TraceCtl::AfterWrite(const RECT* band) {
  if (holds_ > 0) {
    heldWrites_ = true;
    return;
  }
  const int oldPosition = TrackPosition(SB_VERT);
  UpdateVerticalBar(following_);
  UpdateHorizontalBar();
  // Unless the view moved, only the lines just written need drawing again.
  Repaint(band != nullptr && TrackPosition(SB_VERT) == oldPosition ? band : nullptr);
}

void TraceCtl::RevealLine(int index) {
  if (!following_ || window_ == nullptr || lineHeight_ <= 0) return;
  const int page = ClientRect(window_).bottom;
  const int top = index * lineHeight_;
  const int position = GetScrollPos(window_, SB_VERT);
  int wanted = position;
  if (top < position) wanted = top;
  if (top + lineHeight_ > position + page) wanted = top + lineHeight_ - page;
  if (wanted == position) return;
  SetScrollPos(window_, SB_VERT, wanted, TRUE);
  Repaint(nullptr);
}

void TraceCtl::Repaint(const RECT* area) {
  // A null window would make RedrawWindow repaint the desktop.
  if (window_ == nullptr) return;
  RedrawWindow(window_, area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void TraceCtl::Write(const String& text, COLORREF colour) {
  WideString wide;
  DecodeToWide(text, wide);
  WriteWide(wide, colour);
}

void TraceCtl::WriteLine(const String& text, COLORREF colour) {
  String withBreak(text);
  withBreak.Append('\n');
  Write(withBreak, colour);
}

void TraceCtl::WriteLineUtf8(const String& text, COLORREF colour) {
  String withBreak(text);
  withBreak.Append('\n');
  WideString wide;
  Utf8ToWide(withBreak.CStr(), wide);
  WriteWide(wide, colour);
}

void TraceCtl::WriteWide(const WideString& text, COLORREF colour) {
  GrowableArray<WideString> pieces;
  SplitLines(text, pieces);
  const int k = pieces.Count();

  if (lines_.Count() == 0) lines_.Resize(1);
  const int first = lines_.Count() - 1;
  if (k > 1) ResizeGrowing(lines_, lines_.Count() + k - 1);

  const RECT client = ClientRect(window_);
  RECT band;
  band.left = client.left;
  band.right = client.right;
  band.top = first * lineHeight_ - GetScrollPos(window_, SB_VERT);
  band.bottom = band.top + k * lineHeight_;

  for (int i = 0; i < k; ++i) AppendSegment(lines_[first + i], pieces[i], colour);
  AfterWrite(&band);
}

void TraceCtl::AppendToLine(int index, const String& text, COLORREF colour) {
  if (index < 0 || index >= lines_.Count()) return;
  WideString wide;
  DecodeToWide(text, wide);
  AppendSegment(lines_[index], wide, colour);
  if (holds_ > 0) {
    heldWrites_ = true;
    return;
  }
  // The view follows the line written, not the end of the list.
  UpdateVerticalBar(false);
  UpdateHorizontalBar();
  const int position = GetScrollPos(window_, SB_VERT);
  RevealLine(index);
  if (GetScrollPos(window_, SB_VERT) == position) Repaint(nullptr);
}

void TraceCtl::Clear() {
  lines_.RemoveAll();
  widestLine_ = 0;
  following_ = true;
  wheelRemainder_ = 0;
  SetBar(SB_VERT, 0, ClientRect(window_).bottom, 0);
  UpdateHorizontalBar();
  if (holds_ > 0) {
    heldWrites_ = true;
    return;
  }
  Repaint(nullptr);
}
