// TraceCtl: the scrolling list of coloured text lines in which the application
// shows the queued files and their results. Lines are drawn into an off-screen
// BackBuffer and scrolled by pixels with the window's standard scroll bars.
#pragma once
#include <windows.h>

#include "text/growable_array.h"
#include "text/shared_string.h"
#include "text/wide_string.h"
#include "trace/back_buffer.h"
#include "trace/gdi_holders.h"

// One run of text in one colour (0x00BBGGRR).
struct TraceSegment {
  WideString text;
  COLORREF colour = 0;
};

// The segments of one line, drawn left to right with no gap.
class TraceLine : public GrowableArray<TraceSegment> {};

class TraceCtl {
 public:
  // The identifier sent with the right-click notification to the parent.
  static constexpr UINT_PTR kNotifyId = 1000;

  TraceCtl() = default;
  TraceCtl(const TraceCtl&) = delete;
  TraceCtl& operator=(const TraceCtl&) = delete;
  virtual ~TraceCtl();

  // Creates the child window over the rectangle (parent client coordinates), its
  // back buffer, font and metrics. False when the window or the back buffer could
  // not be made; in the second case the window stays, with a line height of 0.
  bool Create(int x, int y, int width, int height, HWND parent);

  // Appends 8-bit text (windows-1252) to the current line; line breaks open new lines.
  void Write(const String& text, COLORREF colour);
  // As Write, followed by a line break.
  void WriteLine(const String& text, COLORREF colour);
  // As WriteLine for UTF-8 text (file names): every character, including those
  // outside the Basic Multilingual Plane, as the name has it.
  void WriteLineUtf8(const String& text, COLORREF colour);
  // The core of both writes: appends UTF-16 text, splitting it at CR LF, CR and LF.
  void WriteWide(const WideString& text, COLORREF colour);
  // Appends the whole text as one segment to line index, line breaks included;
  // a view that follows is moved to show that line. An index that names no line
  // is ignored.
  void AppendToLine(int index, const String& text, COLORREF colour);
  // Removes every line and resets both scroll ranges; the view follows again.
  void Clear();

  // While one of these lives, writes only change the lines: the scroll bars and
  // the screen are brought up to date once, when the last one goes. Adding many
  // lines then costs one bar update and one repaint.
  class BulkUpdate {
   public:
    explicit BulkUpdate(TraceCtl& control) : control_(control) { ++control_.holds_; }
    ~BulkUpdate();
    BulkUpdate(const BulkUpdate&) = delete;
    BulkUpdate& operator=(const BulkUpdate&) = delete;

   private:
    TraceCtl& control_;
  };

  // When the view follows, scrolls it as little as needed to show line index,
  // and repaints if it moved.
  void RevealLine(int index);

  // True while the view follows the writing: until the user scrolls away from
  // the end, and again once they scroll back to it.
  bool Following() const { return following_; }

  // The control's window; null before creation and after the window is destroyed.
  HWND WindowHandle() const { return window_; }

  // Vertical range = line count x line height, page = client height; with
  // setPosition the view moves to the end of the list.
  void UpdateVerticalBar(bool setPosition);
  // Horizontal range = widest line, page = client width; the position is kept.
  void UpdateHorizontalBar();

  int LineCount() const { return lines_.Count(); }
  const TraceLine& Line(int index) const { return lines_[index]; }
  int LineHeight() const { return lineHeight_; }
  int WidestLine() const { return widestLine_; }
  int HorizontalStep() const { return horizontalStep_; }
  const BackBuffer& Buffer() const { return backBuffer_; }

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

 protected:
  // Draws one segment with the top-left of its text at (x, y) and returns its
  // advance width in pixels. The paint calls it for every segment of every visible line.
  virtual int DrawSegment(HDC hdc, int x, int y, const TraceSegment& segment, COLORREF colour);

  // Replaces the metrics measured from the font, for subclasses that draw with
  // their own geometry; the scroll ranges are recomputed.
  void SetMetrics(int lineHeight, int leftMargin, int horizontalStep);

 private:
  void OnPaint();
  void OnSize(int width, int height);
  void OnVScroll(int code, HWND scrollBar);
  void OnHScroll(int code, HWND scrollBar);
  void OnKeyDown(WPARAM key);
  void OnMouseWheel(WPARAM wParam);
  void OnRightButtonDown();
  void OnFocusChange();

  void Scroll(int bar, int step, int page, int code, HWND scrollBar);
  // Sets a bar's range 0..maximum and page, and its position unless it is kKeep;
  // the bar stays shown, disabled while the range fits in the page.
  void SetBar(int bar, int maximum, int page, int position);
  static constexpr int kKeep = -1;
  // Bars and screen after a write; deferred while a BulkUpdate lives.
  void AfterWrite(const RECT* band);
  void DrawFocusFrame(int width, int height);
  int ClientHeight() const;
  void DrawVisibleLines(HDC dc, int clientHeight);
  int MeasureLine(const TraceLine& line) const;
  void AppendSegment(TraceLine& line, const WideString& text, COLORREF colour);
  // The bar's track position, read from source (a scroll-bar control or a
  // window with standard bars); the control's own window when source is null.
  int TrackPosition(int bar, HWND source = nullptr) const;
  // Repaints synchronously: the whole client area when area is null.
  void Repaint(const RECT* area);

  HWND window_ = nullptr;
  HFONT currentFont_ = nullptr;
  OwnedGdiObject<HFONT> ownedFont_;
  BackBuffer backBuffer_;
  GrowableArray<TraceLine> lines_;
  int32_t lineHeight_ = 0;
  int32_t widestLine_ = 0;
  int32_t leftMargin_ = 0;
  int32_t horizontalStep_ = 0;
  int holds_ = 0;            // BulkUpdate objects alive
  bool heldWrites_ = false;  // a write happened while held
  bool following_ = true;    // see Following
  int wheelRemainder_ = 0;   // wheel delta x lines not yet scrolled
};
