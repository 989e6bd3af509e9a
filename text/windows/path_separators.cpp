// The path separators of Windows: backslash, slash and colon.
#include "text/paths.h"

const char kPathSeparators[] = "\\/:";
