// Scoped holders for Win32 handles (see scoped_holders.h): a file handle from
// CreateFileW, closed by CloseHandle, and a search handle from FindFirstFileW,
// closed by FindClose.
#pragma once
#include <windows.h>

#include "files/scoped_holders.h"

struct HandleTraits {
  using Value = HANDLE;
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static bool Close(HANDLE handle) { return CloseHandle(handle) != 0; }
};
using ScopedHandle = ScopedResource<HandleTraits>;

struct FindHandleTraits {
  using Value = HANDLE;
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static bool Close(HANDLE search) { return FindClose(search) != 0; }
};
using ScopedFindHandle = ScopedResource<FindHandleTraits>;
