// How long the real main dialog goes without answering messages while it takes
// a drop of many files, and from "Retag !" to the first file's result. A second
// thread sends WM_NULL to the dialog in a loop and keeps the longest wait for
// the answer. Usage: mirale_dialog_bench [files]; exits 1 when a wait exceeds
// 0.5 s. The files are small stand-ins: the first one fails at once, which is
// all the second measure needs.
#include <windows.h>
// after windows.h
#include <shlobj.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "app/app_state.h"
#include "app/batch_run.h"
#include "app/main_dialog.h"
#include "bench/windows/bench_clock.h"

namespace {

// Sends WM_NULL to the window again and again from its own thread; the longest
// wait since the last Reset is the longest time the window did not answer.
class Watchdog {
 public:
  explicit Watchdog(HWND window) : window_(window), thread_([this] { Loop(); }) {}
  ~Watchdog() {
    stop_ = true;
    thread_.join();
  }
  void Reset() { longest_ = 0; }
  double Longest() const { return longest_; }

 private:
  void Loop() {
    while (!stop_) {
      const double start = Seconds();
      DWORD_PTR result = 0;
      SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result);
      const double waited = Seconds() - start;
      if (waited > longest_) longest_ = waited;
      Sleep(5);
    }
  }

  HWND window_;
  std::atomic<bool> stop_{false};
  std::atomic<double> longest_{0};
  std::thread thread_;
};

void PumpUntil(bool (*done)(), double limitSeconds) {
  const double start = Seconds();
  MSG msg;
  while (!done() && Seconds() - start < limitSeconds) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (!IsDialogMessageW(DialogWindow, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
    if (!done()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

// A drop of these paths, built as the shell builds one (ANSI names).
HGLOBAL MakeDrop(const std::vector<std::string>& paths) {
  size_t size = sizeof(DROPFILES) + 1;
  for (const std::string& path : paths) size += path.size() + 1;
  HGLOBAL memory = GlobalAlloc(GHND, size);
  DROPFILES* header = static_cast<DROPFILES*>(GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  char* list = reinterpret_cast<char*>(header) + sizeof(DROPFILES);
  for (const std::string& path : paths) {
    memcpy(list, path.c_str(), path.size() + 1);
    list += path.size() + 1;
  }
  GlobalUnlock(memory);
  return memory;
}

int expectedFiles = 0;
bool DropTaken() { return FileList.Count() == expectedFiles && Trace.LineCount() > expectedFiles; }
bool FirstResultShown() {
  return Trace.LineCount() > 0 && Trace.Line(0).Count() > 1 && IsBatchRunning();
}

}  // namespace

int main(int argc, char** argv) {
  expectedFiles = argc > 1 ? std::atoi(argv[1]) : 2000;
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "mirale-dialog-bench";
  CreateDirectoryA(folder.c_str(), nullptr);
  std::vector<std::string> paths;
  for (int i = 0; i < expectedFiles; ++i) {
    char name[64];
    std::snprintf(name, sizeof(name), "\\%04d - Some Artist - Some Title.ogg", i);
    paths.push_back(folder + name);
    HANDLE file = CreateFileA(paths.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, "not ogg", 7, &written, nullptr);
    CloseHandle(file);
  }

  AppInstance = GetModuleHandleW(nullptr);
  HWND dialog =
      CreateDialogParamW(AppInstance, MAKEINTRESOURCEW(kMainDialog), nullptr, DialogProc, 0);
  ShowWindow(dialog, SW_SHOW);
  UpdateWindow(dialog);
  PumpUntil([] { return false; }, 0.5);

  double dropWait = 0;
  double dropTime = 0;
  double retagWait = 0;
  double retagTime = 0;
  {
    Watchdog watchdog(dialog);
    Sleep(50);
    watchdog.Reset();
    double start = Seconds();
    PostMessageW(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
    PumpUntil(DropTaken, 120);
    dropTime = Seconds() - start;
    PumpUntil([] { return false; }, 0.3);  // the repaint that follows the drop
    dropWait = watchdog.Longest();

    watchdog.Reset();
    start = Seconds();
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(kRetagButton, BN_CLICKED), 0);
    PumpUntil(FirstResultShown, 120);
    retagTime = Seconds() - start;
    PumpUntil([] { return false; }, 0.1);
    retagWait = watchdog.Longest();
  }
  ResetBatchRun();
  for (const std::string& path : paths) DeleteFileA(path.c_str());
  RemoveDirectoryA(folder.c_str());

  std::printf("drop of %d files: taken in %.3f s, longest wait for an answer %.3f s\n",
              expectedFiles, dropTime, dropWait);
  std::printf("\"Retag !\" to the first result: %.3f s, longest wait for an answer %.3f s\n",
              retagTime, retagWait);
  const bool met = dropWait < 0.5 && retagWait < 0.5;
  std::printf("goal (every wait under 0.5 s): %s\n", met ? "met" : "MISSED");
  DestroyWindow(dialog);
  return met ? 0 : 1;
}
