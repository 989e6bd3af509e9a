// The main dialog: start-up, language, the rules that tie boxes and fields
// together, dropped files and centring. The run that "Retag !" starts is batch_run.h.
#pragma once
#include <windows.h>
// after windows.h
#include <shellapi.h>

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void OnInitDialog(HWND dialog);
// Replaces the list with the drop's Ogg files: a slice at once, the rest in
// slices after the messages waiting in between (see TakeDroppedItems).
void OnDropFiles(HDROP drop);
// Reads the next items of the drop being taken into the list until all are
// read or limitMs have passed (0: no limit); posts itself the rest.
void TakeDroppedItems(DWORD limitMs);
// True from a drop until its last item has been read.
bool IsTakingDrop();
// Centres a window on its parent, or on the screen when it has none.
void CentreOnScreen(HWND window);
