// Program-wide objects of the Mirale window (see app_state.h).
#include "app/app_state.h"

HINSTANCE AppInstance = nullptr;
HWND DialogWindow = nullptr;
TraceCtl Trace;
GrowableArray<String> FileList;
bool frenchUi = false;

namespace {
constexpr int kFirstId = IDC_FIRST_CONTROL;
constexpr int kLastId = IDC_LAST_CONTROL;
HWND controlHandles[kLastId - kFirstId + 1] = {};
}  // namespace

HWND ControlHandle(int id) {
  return id >= kFirstId && id <= kLastId ? controlHandles[id - kFirstId] : nullptr;
}

void SetControlHandle(int id, HWND window) {
  if (id >= kFirstId && id <= kLastId) controlHandles[id - kFirstId] = window;
}
