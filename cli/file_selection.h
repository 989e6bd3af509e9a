// Which files a command line names: plain arguments in their order, and with
// --recursive the files under each folder argument in natural order.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "text/shared_string.h"

// The files to work on; each argument left out is told on err with its reason.
std::vector<String> SelectFiles(const std::vector<std::string>& words, bool recursive, FILE* err);

// The files under folder that the engine takes, every folder's entries in
// natural order, subfolders at their place among the files. Links to folders
// are not followed.
void WalkFolder(const String& folder, std::vector<String>& files);
