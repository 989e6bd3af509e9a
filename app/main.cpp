// Entry point of mirale.exe: the modal main dialog is the whole program.
#include <windows.h>

#include "app/app_state.h"
#include "app/main_dialog.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  AppInstance = instance;
  DialogBoxParamW(instance, MAKEINTRESOURCEW(kMainDialog), nullptr, DialogProc, 0);
  return 0;
}
