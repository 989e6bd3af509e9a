// Program-wide state of the Mirale window: created empty at start-up, filled at
// WM_INITDIALOG, living until the process ends.
#pragma once
#include <windows.h>

#include "res/resource.h"
#include "text/growable_array.h"
#include "text/shared_string.h"
#include "trace/trace_ctl.h"

// Resource and control ids of the main dialog beyond the tag choices.
enum DialogId : int {
  kMainDialog = IDD_MAIN_DIALOG,
  kAppIcon = IDI_APP_ICON,
  kTracePlaceholder = IDC_TRACE_PLACEHOLDER,
  kRetagButton = IDC_RETAG_BUTTON,
  kFileNameGroup = IDC_FILE_NAME_GROUP,
  kFileNameHelp = IDC_FILE_NAME_HELP,
};

extern HINSTANCE AppInstance;
extern HWND DialogWindow;
// The dialog's controls, by id; null until WM_INITDIALOG.
HWND ControlHandle(int id);
void SetControlHandle(int id, HWND window);

extern TraceCtl Trace;
// The accepted files of the last drop, in drop order.
extern GrowableArray<String> FileList;
extern bool frenchUi;

// Colours of the trace lines (COLORREF 0x00BBGGRR).
constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kBlue = 0xC80000;
constexpr COLORREF kRed = 0x0000C8;
constexpr COLORREF kOrange = 0x0096C8;
constexpr COLORREF kGreen = 0x00C800;
