// The dialog's boxes and fields (see dialog_controls.h).
#include "app/dialog_controls.h"

#include "app/app_state.h"

const ChoiceId kBoxes[10] = {
    kTrackFromNameBox, kArtistFromNameBox, kTitleFromNameBox, kTrackFromOrderBox, kArtistBox,
    kAlbumBox,         kDateBox,           kGenreBox,         kLabelBox,          kCommentBox};

namespace {

struct BoxField {
  ChoiceId box;
  ChoiceId field;
};
const BoxField kPairs[] = {{kArtistBox, kArtistField}, {kAlbumBox, kAlbumField},
                           {kDateBox, kDateField},     {kGenreBox, kGenreField},
                           {kLabelBox, kLabelField},   {kCommentBox, kCommentField}};

// Gives a control the focus through the dialog manager, which also moves the
// default-button look with it.
void FocusControl(HWND control) {
  if (DialogWindow == nullptr || control == nullptr) return;
  SendMessageW(DialogWindow, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

}  // namespace

int FieldOf(int box) {
  for (const BoxField& pair : kPairs) {
    if (pair.box == box) return pair.field;
  }
  return 0;
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
  for (int box : kBoxes) EnableWindow(ControlHandle(box), enable);
  for (const BoxField& pair : kPairs) {
    EnableWindow(ControlHandle(pair.field), enable && IsTicked(pair.box));
  }
  EnableWindow(ControlHandle(kRetagButton), enable);
  if (enable && GetActiveWindow() == DialogWindow) FocusControl(ControlHandle(kRetagButton));
}
