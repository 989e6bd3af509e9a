// The two file-system questions of a retag that differ between platforms: is a
// file read-only (the batch skips those), and giving the rewritten file the
// permissions of the original.
#pragma once
#include <cstdio>

// True when the file exists and may not be written: the read-only attribute on
// Windows, no write bit on POSIX. A file that cannot be queried is not read-only.
bool IsReadOnlyFile(const char* path);

// Gives the file open as to the permission bits of the file open as from, where
// the platform has them (a file created with "wb" otherwise gets default bits).
void KeepFilePermissions(FILE* from, FILE* to);
