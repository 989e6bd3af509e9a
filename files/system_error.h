// The mapping of the system's error numbers to status codes for the file seam:
// errno of the C runtime (on both platforms) here; the Windows side maps
// GetLastError in its own file_system.cpp through the same look-up.
#pragma once
#include <cstddef>

#include "base/status.h"

// One row of a mapping: a system error number and the code it means.
struct SystemErrorCode {
  int error;
  StatusCode code;
};

// A failure of the code that table gives error (kIoError for any number not
// in it); detail is a constant text.
Status StatusOfError(const char* detail, int error, const SystemErrorCode* table, size_t size);

// The same through the C runtime's errno table.
Status ErrnoStatus(const char* detail, int error);
