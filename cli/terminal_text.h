// Text from files (tags, names) made safe for a terminal: what could move the
// cursor, start a new line or drive the terminal is shown escaped instead.
#pragma once
#include <cstddef>
#include <string>

#include "text/shared_string.h"

// How many bytes the valid UTF-8 sequence at p takes (p holds left bytes, at
// least one), 0 when it is not one: no overlong forms, no surrogates, nothing
// above U+10FFFF.
size_t Utf8SequenceLength(const unsigned char* p, size_t left);

// text with a newline as \n, every other C0 control, DEL and ESC as \xNN (ESC
// is \x1b), a C1 control's two bytes as \xc2\xNN, and each byte that is not
// part of valid UTF-8 as \xNN; everything else as it is.
std::string TerminalText(const std::string& text);

// A path as the console shows it (DisplayPath), terminal-safe.
std::string ShownPath(const String& path);
