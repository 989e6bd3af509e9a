// The dialog's boxes and fields (see dialog_controls.h).
#include "app/dialog_controls.h"

#include "app/app_state.h"
#include "engine/choosable_tags.h"

namespace {

// Gives a control the focus through the dialog manager, which also moves the
// default-button look with it.
void FocusControl(HWND control) {
  if (DialogWindow == nullptr || control == nullptr) return;
  SendMessageW(DialogWindow, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

}  // namespace

int FieldOf(int box) {
  const ChoosableTag* tag = ChoosableTagOf(box);
  return tag != nullptr ? tag->field : kNoChoice;
}

bool IsTicked(int box) {
  return SendMessageW(ControlHandle(box), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetControlsEnabled(bool enable) {
  if (!enable) {
    // A disabled control that keeps the focus leaves the dialog deaf to the keyboard.
    HWND focus = GetFocus();
    if (focus == nullptr || IsChild(DialogWindow, focus)) {
      HWND trace = Trace.WindowHandle();
      FocusControl(trace != nullptr ? trace : DialogWindow);
    }
  }
  for (const ChoosableTag& tag : kChoosableTags) {
    EnableWindow(ControlHandle(tag.box), enable);
    if (tag.field != kNoChoice) EnableWindow(ControlHandle(tag.field), enable && IsTicked(tag.box));
  }
  EnableWindow(ControlHandle(kRetagButton), enable);
  if (enable && GetActiveWindow() == DialogWindow) FocusControl(ControlHandle(kRetagButton));
}
