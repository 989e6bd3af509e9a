// Times one full repaint of the trace control with 10 lines and with 100,000
// lines, and the appending of 100,000 lines (each append repaints before it
// returns). The repaint draws only the visible lines, so its time must not grow
// with the list: the long repaint has to stay within 1.5 times the short one.
// Usage: mirale_trace_bench [lines] [repaints]; exits 1 when the goal is missed.
// The client area is sized to show exactly 10 lines, so that both repaints draw
// a full page and differ only in the length of the list behind it.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/windows/bench_clock.h"
#include "text/shared_string.h"
#include "trace/trace_ctl.h"

namespace {

HWND CreateHost() {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  wc.lpszClassName = "MiraleTraceBenchHost";
  RegisterClassExA(&wc);
  HWND host = CreateWindowExA(0, wc.lpszClassName, "trace bench", WS_POPUP | WS_VISIBLE, 0, 0, 660,
                              460, nullptr, nullptr, wc.hInstance, nullptr);
  UpdateWindow(host);
  return host;
}

// A typical queued file, written as the application writes it.
void AppendPathLine(TraceCtl& control, int index) {
  char path[96];
  std::snprintf(path, sizeof(path), "C:\\Music\\Some Artist - Track %06d.ogg", index);
  control.WriteLine(path, RGB(0, 0, 0));
}

// Makes the client area exactly lines lines tall, so that a list of that many
// lines fills it and every repaint below draws a full page.
void FitClientToLines(const TraceCtl& control, int lines) {
  HWND window = control.WindowHandle();
  RECT outer;
  RECT client;
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  const int frameY = (outer.bottom - outer.top) - client.bottom;
  SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left,
               lines * control.LineHeight() + frameY, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Median seconds of one full synchronous repaint.
double TimeRepaint(HWND window, int repaints) {
  std::vector<double> times;
  times.reserve(static_cast<size_t>(repaints));
  // A few untimed repaints first: the first ones also fill the glyph caches.
  for (int i = 0; i < 20; ++i) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  }
  for (int i = 0; i < repaints; ++i) {
    const double start = Seconds();
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    times.push_back(Seconds() - start);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int manyLines = argc > 1 ? std::atoi(argv[1]) : 100000;
  const int repaints = argc > 2 ? std::atoi(argv[2]) : 200;
  const int fewLines = 10;
  HWND host = CreateHost();

  TraceCtl control;
  if (!control.Create(10, 10, 640, 440, host)) {
    std::fprintf(stderr, "the trace control could not be created\n");
    return 2;
  }
  HWND window = control.WindowHandle();
  FitClientToLines(control, fewLines);

  // WriteLine leaves an empty current line: the list holds one line more.
  for (int i = 0; i < fewLines - 1; ++i) AppendPathLine(control, i);
  const double fewRepaint = TimeRepaint(window, repaints);

  // Appends in blocks of 1000 lines, to see whether an append slows down as the
  // list grows; the repaint is timed again after the first block.
  control.Clear();
  const int block = 1000;
  double appendTime = 0;
  double firstBlock = 0;
  double lastBlock = 0;
  double someRepaint = 0;
  for (int written = 0; written < manyLines - 1;) {
    const int begin = written;
    const int end = std::min(written + block, manyLines - 1);
    const double start = Seconds();
    for (; written < end; ++written) AppendPathLine(control, written);
    const double elapsed = Seconds() - start;
    appendTime += elapsed;
    lastBlock = elapsed / (end - begin);
    if (firstBlock == 0) {
      firstBlock = lastBlock;
      someRepaint = TimeRepaint(window, repaints);
    }
  }
  const double manyRepaint = TimeRepaint(window, repaints);

  const double ratio = manyRepaint / fewRepaint;
  std::printf("client area: %d lines of %d pixels\n", fewLines, control.LineHeight());
  const struct {
    int lines;
    double seconds;
  } rows[] = {{fewLines, fewRepaint}, {1000, someRepaint}, {manyLines, manyRepaint}};
  for (const auto& row : rows) {
    std::printf("full repaint, %6d lines: %8.1f us (median of %d)\n", row.lines, row.seconds * 1e6,
                repaints);
  }
  std::printf("appending %d lines: %.2f s, %.1f us a line (first 1000: %.1f, last 1000: %.1f)\n",
              control.LineCount(), appendTime, appendTime * 1e6 / (manyLines - 1), firstBlock * 1e6,
              lastBlock * 1e6);
  std::printf("repaint %d / %d lines: %.2f (goal: at most 1.50) %s\n", manyLines, fewLines, ratio,
              ratio <= 1.5 ? "met" : "MISSED");

  DestroyWindow(host);
  return ratio <= 1.5 ? 0 : 1;
}
