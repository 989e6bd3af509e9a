// Win32 text of the text layer: the version test, control texts as ANSI or
// UTF-16, and ANSI to UTF-16 through the system code page. Windows flavour only.
#pragma once
#include <windows.h>

#include "text/shared_string.h"
#include "text/wide_string.h"

bool IsWindowsNT();
// The control's text as 8-bit ANSI text, sized from the ANSI length so that a
// double-byte code page neither cuts nor overruns it.
String GetControlText(HWND window);
// The control's text as UTF-16 (through the ANSI code page where the wide
// calls are missing).
WideString GetControlTextWide(HWND window);
WideString AnsiToWide(const String& source);
