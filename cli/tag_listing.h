// --show and --json: the vendor text and comments a file holds (and a FLAC
// file's pictures), read from its headers or metadata only, as KEY=value lines
// or one JSON object per file.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "text/shared_string.h"

// The comment entries as lines, each after indent, as stored but for what a
// terminal must not get raw (see terminal_text.h).
void PrintCommentLines(FILE* out, const std::vector<std::string>& comments, const char* indent);

// text as a JSON string, quotes included: UTF-8 kept, control characters
// escaped, and every byte that is not part of valid UTF-8 as U+FFFD.
std::string JsonString(const std::string& text);

// Prints the tags of each file; exit status 0, or 1 when a file could not be read.
int ShowTags(const std::vector<String>& files, bool json, const CliConsole& console);
