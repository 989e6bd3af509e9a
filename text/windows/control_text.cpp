// Win32 text functions of the text layer (see control_text.h).
#include "text/control_text.h"

namespace {
WCHAR* AsWchar(char16_t* units) { return reinterpret_cast<WCHAR*>(units); }
}  // namespace

bool IsWindowsNT() { return static_cast<DWORD>(GetVersion()) < 0x80000000u; }

String GetControlText(HWND window) {
  // The ANSI length can differ from the UTF-16 length under a double-byte code
  // page, so the buffer is sized from what the ANSI call itself reports.
  const int n = GetWindowTextLengthA(window);
  String text;
  if (n <= 0) return text;
  text.SetLength(n, 0);
  const int got = GetWindowTextA(window, text.GetBuffer(), n + 1);
  text.SetLength(got > 0 ? got : 0, 0);
  return text;
}

WideString GetControlTextWide(HWND window) {
  const int n = GetWindowTextLengthW(window);
  WideString text;
  if (n <= 0) return text;
  if (IsWindowsNT()) {
    text.SetLength(n);
    const int got = GetWindowTextW(window, AsWchar(text.GetBuffer()), n + 1);
    text.SetLength(got > 0 ? got : 0);
    return text;
  }
  return AnsiToWide(GetControlText(window));
}

WideString AnsiToWide(const String& source) {
  WideString result;
  const int count = MultiByteToWideChar(CP_ACP, 0, source.CStr(), source.Length(), nullptr, 0);
  if (count <= 0) return result;
  result.SetLength(count);
  MultiByteToWideChar(CP_ACP, 0, source.CStr(), source.Length(), AsWchar(result.GetBuffer()),
                      count + 1);
  return result;
}
