// --show and --json: the vendor text and comments a file holds, read from its
// headers only, as KEY=value lines or one JSON object per file.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "text/shared_string.h"

struct FileTags {
  std::string vendor;
  std::vector<std::string> comments;  // key=value entries as stored, in order
};

// Reads a Vorbis or Opus comment header packet; false when it is neither.
bool ParseCommentHeader(const std::string& packet, FileTags& tags);

// The comment entries as lines, each after indent, exactly as stored.
void PrintCommentLines(FILE* out, const std::vector<std::string>& comments, const char* indent);

// text as a JSON string, quotes included: UTF-8 kept, control characters
// escaped, and every byte that is not part of valid UTF-8 as U+FFFD.
std::string JsonString(const std::string& text);

// Prints the tags of each file; exit status 0, or 1 when a file could not be read.
int ShowTags(const std::vector<String>& files, bool json, const CliConsole& console);
