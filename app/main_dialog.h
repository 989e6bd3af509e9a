// The main dialog: start-up, language, the rules that tie boxes and fields
// together, dropped files and centring. The run that "Retag !" starts is batch_run.h.
#pragma once
#include <windows.h>
// after windows.h
#include <shellapi.h>

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void OnInitDialog(HWND dialog);
void OnDropFiles(HDROP drop);
// Centres a window on its parent, or on the screen when it has none.
void CentreOnScreen(HWND window);
