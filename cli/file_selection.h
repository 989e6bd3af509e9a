// Which files a command line names: plain arguments in their order, and with
// --recursive the files under each folder argument in natural order.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "text/shared_string.h"

struct Selection {
  std::vector<String> files;  // the files to work on
  bool skipped = false;       // an argument, a file or a folder was left out
};

// The files to work on; each argument, file or folder left out is told on err
// with its reason.
Selection SelectFiles(const std::vector<std::string>& words, bool recursive, FILE* err);

// The files under folder that the engine takes, every folder's entries in
// natural order, subfolders at their place among the files. Links to folders
// are not followed. A folder that cannot be read (nor any below it whose path
// grows too long) is told on err; false then.
bool WalkFolder(const String& folder, std::vector<String>& files, FILE* err);
