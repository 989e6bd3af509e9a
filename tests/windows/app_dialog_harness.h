// Drives the real main dialog, made from template 101 of the test executable,
// as a user would: ticks boxes, types, drops files as a real HDROP, presses
// "Retag !" and pumps messages while the batch timer runs.
#pragma once
#include <windows.h>
// after windows.h
#include <shlobj.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/batch_run.h"
#include "app/dialog_controls.h"
#include "app/main_dialog.h"

namespace app_test {

// One dialog per process: destroying a top-level window under an X server
// without a window manager takes seconds, and the program only ever has one.
inline HWND Dialog() {
  static HWND dialog = nullptr;
  if (dialog == nullptr) {
    AppInstance = GetModuleHandleW(nullptr);
    dialog = CreateDialogParamW(AppInstance, MAKEINTRESOURCEW(kMainDialog), nullptr, DialogProc, 0);
    ShowWindow(dialog, SW_SHOW);
    UpdateWindow(dialog);
  }
  return dialog;
}

// Runs the dialog's start-up again on the shared dialog, as at program start:
// the trace window of the previous start-up goes first, as it would with its dialog.
inline void Restart() {
  while (HWND old = FindWindowExA(Dialog(), nullptr, "TraceCtl Window Class", nullptr)) {
    DestroyWindow(old);
  }
  OnInitDialog(Dialog());
}

inline HWND Item(int id) { return GetDlgItem(Dialog(), id); }

inline bool Ticked(int id) { return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

// A click on a box as the dialog sees it: the box toggles, then WM_COMMAND.
inline void Click(int id) {
  SendMessageW(Item(id), BM_SETCHECK, Ticked(id) ? BST_UNCHECKED : BST_CHECKED, 0);
  SendMessageW(Dialog(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(Item(id)));
}

inline void SetTicked(int id, bool ticked) {
  if (Ticked(id) != ticked) Click(id);
}

inline void Type(int id, const wchar_t* text) { SetWindowTextW(Item(id), text); }

inline std::wstring TextOf(int id) {
  wchar_t buffer[512] = {};
  GetWindowTextW(Item(id), buffer, 512);
  return buffer;
}

// Sends a drop of these ANSI paths, built as the shell builds one.
inline void Drop(const std::vector<std::string>& paths, HWND target = Dialog()) {
  size_t size = sizeof(DROPFILES) + 1;
  for (const std::string& path : paths) size += path.size() + 1;
  HGLOBAL memory = GlobalAlloc(GHND, size);
  DROPFILES* header = static_cast<DROPFILES*>(GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = FALSE;
  char* list = reinterpret_cast<char*>(header) + sizeof(DROPFILES);
  for (const std::string& path : paths) {
    memcpy(list, path.c_str(), path.size() + 1);
    list += path.size() + 1;
  }
  *list = 0;
  GlobalUnlock(memory);
  SendMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
  // A big drop is taken in slices between other messages.
  MSG msg;
  while (IsTakingDrop() && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Pumps messages until the run has ended or the time is up; calls onTick after
// each WM_TIMER of the dialog has been handled.
template <typename OnTick>
inline bool PumpUntilIdle(OnTick onTick, DWORD limitMs = 30000) {
  const DWORD start = GetTickCount();
  MSG msg;
  while (IsBatchRunning()) {
    if (GetTickCount() - start > limitMs) return false;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
      continue;
    }
    const bool tick = msg.message == WM_TIMER && msg.hwnd == Dialog();
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    if (tick) onTick();
  }
  return true;
}

// Presses the keys in order and releases them in reverse, through the system's
// input queue, as a keyboard would.
inline void Press(std::initializer_list<WORD> keys) {
  std::vector<INPUT> inputs;
  for (WORD key : keys) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    inputs.push_back(input);
  }
  for (auto key = keys.end(); key != keys.begin();) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = *--key;
    input.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(input);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

inline bool RunAll() {
  SendMessageW(Dialog(), WM_COMMAND, MAKEWPARAM(kRetagButton, BN_CLICKED), 0);
  return PumpUntilIdle([] {});
}

// The text of a trace line's segment as UTF-16.
inline std::u16string Segment(int line, int segment) {
  const TraceSegment& s = Trace.Line(line)[segment];
  return std::u16string(s.text.CStr(), s.text.Length());
}

inline COLORREF SegmentColour(int line, int segment) { return Trace.Line(line)[segment].colour; }

// A line's last segment: the result of a file. (Every line after the first starts
// with the empty piece that followed the line break before it.)
inline std::u16string LastSegment(int line) { return Segment(line, Trace.Line(line).Count() - 1); }
inline COLORREF LastColour(int line) { return SegmentColour(line, Trace.Line(line).Count() - 1); }

// Every box unticked, every field empty, an empty list.
inline void ResetDialog() {
  for (int id : {1022, 1013, 1014, 1015, 1005, 1004, 1007, 1009, 1011, 1019}) SetTicked(id, false);
  for (int id : {1003, 1006, 1008, 1010, 1012, 1018}) Type(id, L"");
  FileList.RemoveAll();
  Trace.Clear();
}

}  // namespace app_test
