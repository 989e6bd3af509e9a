// The main dialog (see main_dialog.h).
#include "app/main_dialog.h"

#include "app/app_state.h"
#include "app/batch_run.h"
#include "engine/language.h"
#include "engine/message_table.h"
#include "engine/tag_choices.h"
#include "engine/taggable_file.h"
#include "text/paths.h"

namespace {

// The boxes, in the order in which they are enabled and disabled.
const int kBoxes[] = {kTrackFromNameBox, kArtistFromNameBox, kTitleFromNameBox, kTrackFromOrderBox,
                      kArtistBox,        kAlbumBox,          kDateBox,          kGenreBox,
                      kLabelBox,         kCommentBox};

// Each box that has a field, with it.
struct BoxField {
  int box;
  int field;
};
const BoxField kPairs[] = {{kArtistBox, kArtistField}, {kAlbumBox, kAlbumField},
                           {kDateBox, kDateField},     {kGenreBox, kGenreField},
                           {kLabelBox, kLabelField},   {kCommentBox, kCommentField}};

// The controls fetched at start-up; 1017 comes later, after the trace control.
const int kFetchedIds[] = {
    kFileNameGroup,     kFileNameHelp, kTrackFromNameBox, kArtistFromNameBox, kTitleFromNameBox,
    kTrackFromOrderBox, kArtistBox,    kAlbumBox,         kDateBox,           kGenreBox,
    kLabelBox,          kCommentBox,   kArtistField,      kAlbumField,        kDateField,
    kGenreField,        kLabelField,   kCommentField,     kTracePlaceholder};

struct Caption {
  int id;
  const char* text;
};
// The English captions, set in this order over the template's French ones.
const Caption kEnglishCaptions[] = {
    {kFileNameGroup, "Get data from file name"},
    {kFileNameHelp,
     "File name formats : Artist - Title.ogg ; 00 - Artist - Title.ogg (00 = track number)\n"
     "The separator is SPACE HYPHEN SPACE"},
    {kTrackFromNameBox, "Set track number"},
    {kArtistFromNameBox, "Set artist name"},
    {kTitleFromNameBox, "Set track title"},
    {kArtistBox, "Set artist name"},
    {kAlbumBox, "Set album name"},
    {kDateBox, "Set date (YYYY-MM-DD)"},
    {kGenreBox, "Set genre"},
    {kLabelBox, "Set label"},
    {kCommentBox, "Set comment"},
    {kTrackFromOrderBox, "Set track number from list order"},
};

const char kEnglishInstruction[] = "Drop Ogg Vorbis files here";
const char kFrenchInstruction[] = "D\xE9posez ici les fichiers Ogg Vorbis \xE0 retaguer";

// Longest path a drop may deliver whole; a longer one is skipped, never cut,
// since a cut path could name another file.
constexpr UINT kMaxDroppedPath = MAX_PATH - 1;

bool IsTicked(int box) {
  return SendMessageW(ControlHandle(box), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Untick(int box) { SendMessageW(ControlHandle(box), BM_SETCHECK, BST_UNCHECKED, 0); }

// Enables the box's field when the box is ticked, and gives it the focus then.
void FollowBox(int box, int field) {
  const bool ticked = IsTicked(box);
  EnableWindow(ControlHandle(field), ticked);
  if (ticked) SetFocus(ControlHandle(field));
}

int FieldOf(int box) {
  for (const BoxField& pair : kPairs) {
    if (pair.box == box) return pair.field;
  }
  return 0;
}

// True for the ids the dialog handles.
bool OnCommand(HWND dialog, int id) {
  switch (id) {
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      return true;
    case kArtistBox:
      Untick(kArtistFromNameBox);
      FollowBox(kArtistBox, kArtistField);
      return true;
    case kArtistFromNameBox:
      Untick(kArtistBox);
      EnableWindow(ControlHandle(kArtistField), FALSE);
      return true;
    case kTrackFromNameBox:
      Untick(kTrackFromOrderBox);
      return true;
    case kTrackFromOrderBox:
      Untick(kTrackFromNameBox);
      return true;
    case kTitleFromNameBox:
      return true;
    case kAlbumBox:
    case kDateBox:
    case kGenreBox:
    case kLabelBox:
    case kCommentBox:
      FollowBox(id, FieldOf(id));
      return true;
    case kRetagButton:
      StartRun();
      return true;
    default:
      return false;
  }
}

}  // namespace

void OnInitDialog(HWND dialog) {
  HICON icon = LoadIconW(AppInstance, MAKEINTRESOURCEW(kAppIcon));
  SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));

  DialogWindow = dialog;
  for (int id : kFetchedIds) SetControlHandle(id, GetDlgItem(dialog, id));

  RECT area;
  GetWindowRect(ControlHandle(kTracePlaceholder), &area);
  POINT topLeft = {area.left, area.top};
  POINT bottomRight = {area.right, area.bottom};
  ScreenToClient(dialog, &topLeft);
  ScreenToClient(dialog, &bottomRight);
  Trace.Create(topLeft.x, topLeft.y, bottomRight.x - topLeft.x, bottomRight.y - topLeft.y, dialog);
  SetControlHandle(kRetagButton, GetDlgItem(dialog, kRetagButton));

  // A dialog made again in the same process starts as the first one did.
  ResetBatchRun();
  FileList.RemoveAll();
  Trace.Clear();

  frenchUi = IsFrenchLanguageId(GetUserDefaultLangID());
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

void OnDropFiles(HDROP drop) {
  if (IsBatchRunning()) {
    // The run goes on with the list it started with; the drop is refused.
    DragFinish(drop);
    return;
  }
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  if (count > 0) FileList.RemoveAll();
  Trace.Clear();
  for (UINT i = 0; i < count; ++i) {
    if (DragQueryFileA(drop, i, nullptr, 0) > kMaxDroppedPath) continue;
    char buffer[MAX_PATH] = {};
    DragQueryFileA(drop, i, buffer, MAX_PATH);
    const String path(buffer);
    if (!IsTaggableFileName(path)) continue;
    // Attributes that cannot be read count as a folder: every bit is set.
    if ((GetFileAttributesA(path.CStr()) & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    FileList.Append(path);
    Trace.WriteLine(path, kBlack);
  }
  DragFinish(drop);
}

void CentreOnScreen(HWND window) {
  HDC screen = GetDC(nullptr);
  const int screenWidth = GetDeviceCaps(screen, HORZRES);
  const int screenHeight = GetDeviceCaps(screen, VERTRES);
  ReleaseDC(nullptr, screen);

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

void SetControlsEnabled(bool enable) {
  for (int box : kBoxes) EnableWindow(ControlHandle(box), enable);
  for (const BoxField& pair : kPairs) {
    EnableWindow(ControlHandle(pair.field), enable && IsTicked(pair.box));
  }
  EnableWindow(ControlHandle(kRetagButton), enable);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
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
    default:
      return FALSE;
  }
}
