// Terminal-safe text (see terminal_text.h).
#include "cli/terminal_text.h"

#include <cstdint>

#include "cli/platform.h"

namespace {

void AppendEscaped(std::string& out, unsigned char byte) {
  static const char kHex[] = "0123456789abcdef";
  out += "\\x";
  out += kHex[byte >> 4];
  out += kHex[byte & 15];
}

}  // namespace

size_t Utf8SequenceLength(const unsigned char* p, size_t left) {
  if (p[0] < 0x80) return 1;
  size_t length;
  uint32_t code;
  uint32_t least;
  if ((p[0] & 0xE0) == 0xC0) {
    length = 2, code = p[0] & 0x1F, least = 0x80;
  } else if ((p[0] & 0xF0) == 0xE0) {
    length = 3, code = p[0] & 0x0F, least = 0x800;
  } else if ((p[0] & 0xF8) == 0xF0) {
    length = 4, code = p[0] & 0x07, least = 0x10000;
  } else {
    return 0;
  }
  if (left < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    code = code << 6 | (p[i] & 0x3F);
  }
  if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

std::string TerminalText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
  for (size_t at = 0; at < text.size();) {
    const size_t length = Utf8SequenceLength(p + at, text.size() - at);
    const unsigned char c = p[at];
    if (length == 0 || (length == 1 && (c < 0x20 || c == 0x7F) && c != '\n')) {
      AppendEscaped(out, c);
      ++at;
      continue;
    }
    if (c == '\n') {
      out += "\\n";
    } else if (length == 2 && c == 0xC2 && p[at + 1] < 0xA0) {
      AppendEscaped(out, c);
      AppendEscaped(out, p[at + 1]);
    } else {
      out.append(text, at, length);
    }
    at += length;
  }
  return out;
}

std::string ShownPath(const String& path) { return TerminalText(DisplayPath(path)); }
