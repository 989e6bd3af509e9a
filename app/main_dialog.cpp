// The main dialog (see main_dialog.h).
#include "app/main_dialog.h"

#include "app/app_state.h"
#include "app/batch_run.h"
#include "app/dialog_controls.h"
#include "engine/choosable_tags.h"
#include "engine/language.h"
#include "engine/message_table.h"
#include "engine/taggable_file.h"
#include "files/file_system.h"
#include "text/encodings.h"
#include "trace/gdi_holders.h"

namespace {

// The controls fetched at start-up beside the tags' boxes and fields; "Retag !"
// comes later, after the trace control.
const int kFetchedIds[] = {kFileNameGroup, kFileNameHelp, kTracePlaceholder};

struct Caption {
  int id;
  const char* text;
};
// The English captions of the controls that are not tags, set over the
// template's French ones.
const Caption kEnglishCaptions[] = {
    {kFileNameGroup, "Get data from file name"},
    {kFileNameHelp,
     "File name formats : Artist - Title.ogg ; 00 - Artist - Title.ogg (00 = track number)\n"
     "The separator is SPACE HYPHEN SPACE"},
};

const char kEnglishInstruction[] = "Drop Ogg Vorbis files here";
const char kFrenchInstruction[] = "D\xE9posez ici les fichiers Ogg Vorbis \xE0 retaguer";

// What follows a dropped file that cannot be taken, in red (windows-1252).
const char kEnglishNotTaken[] = " Skipped: cannot be read";
const char kFrenchNotTaken[] = " Ignor\xE9 : illisible";

void Untick(int box) { SendMessageW(ControlHandle(box), BM_SETCHECK, BST_UNCHECKED, 0); }

// Enables the box's field when the box is ticked, and gives it the focus then.
void FollowBox(int box, int field) {
  const bool ticked = IsTicked(box);
  EnableWindow(ControlHandle(field), ticked);
  if (ticked) SetFocus(ControlHandle(field));
}

// A click on a tag's box: the box it excludes is unticked (its field with it),
// and the box's own field follows the box.
void OnBoxClicked(const ChoosableTag& tag) {
  const ChoiceId partner = PartnerOf(tag.box);
  if (partner != kNoChoice) {
    Untick(partner);
    const int partnerField = FieldOf(partner);
    if (partnerField != kNoChoice) EnableWindow(ControlHandle(partnerField), FALSE);
  }
  if (tag.field != kNoChoice) FollowBox(tag.box, tag.field);
}

// The captions of the tags' boxes in the user's language (windows-1252 texts).
void SetBoxCaptions(bool french) {
  for (const ChoosableTag& tag : kChoosableTags) {
    WideString caption;
    DecodeToWide(String(french ? tag.frenchCaption : tag.englishCaption), caption);
    SetWindowTextW(ControlHandle(tag.box), reinterpret_cast<const WCHAR*>(caption.CStr()));
  }
}

// The drop being taken: its items are read a slice of time at a time, with the
// dialog's messages answered in between, so that the window never stops
// answering however many files come.
struct PendingDrop {
  HDROP drop = nullptr;
  UINT count = 0;
  UINT next = 0;  // the next item to read
};
PendingDrop pending;
constexpr UINT kTakeDropMessage = WM_APP + 1;
constexpr DWORD kDropSliceMs = 40;

// Lets go of the pending drop, taken or not.
void DropTaking() {
  if (pending.drop != nullptr) DragFinish(pending.drop);
  pending = PendingDrop();
}

// True for the ids the dialog handles.
bool OnCommand(HWND dialog, int id) {
  switch (id) {
    case IDCANCEL:
      DropTaking();
      EndDialog(dialog, IDCANCEL);
      return true;
    case kRetagButton:
      // The run is over the whole drop.
      TakeDroppedItems(0);
      StartRun();
      return true;
    default: {
      const ChoosableTag* tag = ChoosableTagOf(id);
      if (tag == nullptr) return false;
      OnBoxClicked(*tag);
      return true;
    }
  }
}

}  // namespace

void OnInitDialog(HWND dialog) {
  HICON icon = LoadIconW(AppInstance, MAKEINTRESOURCEW(kAppIcon));
  SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));

  DialogWindow = dialog;
  for (int id : kFetchedIds) SetControlHandle(id, GetDlgItem(dialog, id));
  for (const ChoosableTag& tag : kChoosableTags) {
    SetControlHandle(tag.box, GetDlgItem(dialog, tag.box));
    if (tag.field != kNoChoice) SetControlHandle(tag.field, GetDlgItem(dialog, tag.field));
  }

  RECT area;
  GetWindowRect(ControlHandle(kTracePlaceholder), &area);
  POINT topLeft = {area.left, area.top};
  POINT bottomRight = {area.right, area.bottom};
  ScreenToClient(dialog, &topLeft);
  ScreenToClient(dialog, &bottomRight);
  Trace.Create(topLeft.x, topLeft.y, bottomRight.x - topLeft.x, bottomRight.y - topLeft.y, dialog);
  // Above the placeholder, which would otherwise paint over it, and in the tab
  // order at the placeholder's place.
  HWND beforePlaceholder = GetWindow(ControlHandle(kTracePlaceholder), GW_HWNDPREV);
  SetWindowPos(Trace.WindowHandle(), beforePlaceholder != nullptr ? beforePlaceholder : HWND_TOP, 0,
               0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetControlHandle(kRetagButton, GetDlgItem(dialog, kRetagButton));

  // A dialog made again in the same process starts as the first one did.
  ResetBatchRun();
  DropTaking();
  FileList.RemoveAll();
  Trace.Clear();

  frenchUi = IsFrenchLanguageId(GetUserDefaultLangID());
  SetBoxCaptions(frenchUi);
  if (!frenchUi) {
    for (const Caption& caption : kEnglishCaptions) {
      SetWindowTextA(ControlHandle(caption.id), caption.text);
    }
    Trace.Write(String(kEnglishInstruction), kBlue);
    CurrentMessageTable = &EnglishMessages;
  } else {
    Trace.Write(String(kFrenchInstruction), kBlue);
    CurrentMessageTable = &FrenchMessages;
  }
  DragAcceptFiles(dialog, TRUE);
  CentreOnScreen(dialog);
}

namespace {

// The dropped item's whole name, however long: its length is asked first.
WideString DroppedName(HDROP drop, UINT index) {
  WideString name;
  const UINT length = DragQueryFileW(drop, index, nullptr, 0);
  if (length == 0) return name;
  name.SetLength(static_cast<int>(length));
  const UINT got =
      DragQueryFileW(drop, index, reinterpret_cast<WCHAR*>(name.GetBuffer()), length + 1);
  name.SetLength(static_cast<int>(got < length ? got : length));
  return name;
}

// True when the UTF-8 path names exactly that file again: a name that is not
// valid UTF-16 (a lone surrogate) would come back as another name.
bool NamesTheSameFile(const String& path, const WideString& name) {
  WideString back;
  Utf8ToWide(path.CStr(), back);
  return back.Length() == name.Length() && back.Equals(name.CStr());
}

}  // namespace

void OnDropFiles(HDROP drop) {
  if (IsBatchRunning()) {
    // The run goes on with the list it started with; the drop is refused, and
    // the user hears it.
    MessageBeep(MB_OK);
    DragFinish(drop);
    return;
  }
  DropTaking();  // a drop still being taken gives way to the new one
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  if (count > 0) FileList.RemoveAll();
  Trace.Clear();
  pending = PendingDrop{drop, count, 0};
  TakeDroppedItems(kDropSliceMs);
}

void TakeDroppedItems(DWORD limitMs) {
  if (pending.drop == nullptr) return;
  HDROP drop = pending.drop;
  const DWORD start = GetTickCount();
  {
    // However many files come, a slice is laid out and painted once, at its end.
    TraceCtl::BulkUpdate bulk(Trace);
    while (pending.next < pending.count) {
      const UINT i = pending.next++;
      const WideString name = DroppedName(drop, i);
      String path;
      WideToUtf8(name, path);
      if (!IsTaggableFileName(path)) continue;
      const FileKind kind = NamesTheSameFile(path, name) ? KindOfFile(path) : FileKind::kMissing;
      if (kind == FileKind::kFolder) continue;
      if (kind == FileKind::kMissing) {
        // Listed with the reason, so that no dropped file vanishes without a word.
        Trace.WriteWide(name, kBlack);
        String reason(frenchUi ? kFrenchNotTaken : kEnglishNotTaken);
        reason.Append('\n');
        Trace.Write(reason, kRed);
        continue;
      }
      FileList.Append(path);
      Trace.WriteLineUtf8(path, kBlack);
      if (limitMs != 0 && GetTickCount() - start >= limitMs) break;
    }
  }
  if (pending.next < pending.count) {
    // The rest comes after the messages that are waiting.
    PostMessageW(DialogWindow, kTakeDropMessage, 0, 0);
    return;
  }
  DropTaking();
}

bool IsTakingDrop() { return pending.drop != nullptr; }

void CentreOnScreen(HWND window) {
  int screenWidth = 0;
  int screenHeight = 0;
  {
    WindowDC screen(nullptr);
    screenWidth = GetDeviceCaps(screen, HORZRES);
    screenHeight = GetDeviceCaps(screen, VERTRES);
  }

  RECT area = {0, 0, screenWidth, screenHeight};
  HWND parent = GetParent(window);
  if (parent != nullptr) GetWindowRect(parent, &area);
  RECT own;
  GetWindowRect(window, &own);
  const int w = own.right - own.left;
  const int h = own.bottom - own.top;
  const int x = area.left + (area.right - w - area.left) / 2;
  const int y = area.top + (area.bottom - h - area.top) / 2;
  MoveWindow(window, x, y, w, h, TRUE);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(dialog);
      return FALSE;
    case WM_COMMAND:
      return OnCommand(dialog, LOWORD(wParam)) ? TRUE : FALSE;
    case WM_TIMER:
      RunStep();
      return FALSE;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      return FALSE;
    case kTakeDropMessage:
      TakeDroppedItems(kDropSliceMs);
      return TRUE;
    case WM_MOUSEWHEEL:
      // The wheel reaches the window with the focus; the list is the only
      // thing in the dialog that scrolls.
      SendMessageW(Trace.WindowHandle(), message, wParam, lParam);
      return TRUE;
    default:
      return FALSE;
  }
}
