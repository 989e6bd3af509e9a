// The path separators of POSIX: only the slash; backslash and colon are
// ordinary file-name characters here.
#include "text/paths.h"

const char kPathSeparators[] = "/";
