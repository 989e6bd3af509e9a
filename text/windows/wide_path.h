// UTF-8 paths as the wide Win32 and C runtime file calls take them: the one
// place where a path becomes UTF-16, so every file call sees the same name.
#pragma once
#include <string>

// The UTF-16 form of a UTF-8 path. A path of MAX_PATH units or more is made
// absolute and given the \\?\ prefix (\\?\UNC\ for a share), which lifts the
// length limit; shorter paths pass as they are.
std::wstring WidePath(const char* utf8);

// The absolute form of a UTF-16 path, "." and ".." resolved; the path itself
// when the system cannot tell.
std::wstring FullWidePath(const std::wstring& path);
