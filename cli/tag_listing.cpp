// Reading and printing the tags a file holds (see tag_listing.h).
#include "cli/tag_listing.h"

#include <cstdint>
#include <utility>

#include "cli/cli_texts.h"
#include "cli/console_output.h"
#include "cli/platform.h"
#include "cli/result_lines.h"
#include "engine/message_table.h"
#include "files/file_system.h"
#include "vorbis/comment_packet.h"

namespace {

// The headers of the file where it lies, read only; the reason of a failure as
// the result lines give it (windows-1252).
bool ReadFileTags(const String& path, FileTags& tags, std::string& reason) {
  ScopedFile file;
  if (!OpenFile(path, "rb", file).ok()) {
    reason = CurrentMessages().CannotOpenInput;
    return false;
  }
  TagEditor editor;
  if (!editor.OpenFile(file.Get()).ok()) {
    reason = editor.LastError();
    return false;
  }
  if (!ParseCommentHeader(editor.OriginalCommentHeader(), tags)) {
    reason = kErrorCorruptSecondary;
    return false;
  }
  return true;
}

// How many bytes the valid UTF-8 sequence at p takes (p holds left bytes), 0
// when it is not one: no overlong forms, no surrogates, nothing above U+10FFFF.
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

void PrintJson(FILE* out, const std::string& path, const FileTags& tags) {
  std::string line = "{\"path\":" + JsonString(path) + ",\"vendor\":" + JsonString(tags.vendor) +
                     ",\"comments\":[";
  for (size_t i = 0; i < tags.comments.size(); ++i) {
    const std::string& entry = tags.comments[i];
    const size_t equals = entry.find('=');
    const std::string key = entry.substr(0, equals);
    const std::string value =
        equals == std::string::npos ? std::string() : entry.substr(equals + 1);
    line += (i == 0 ? "[" : ",[") + JsonString(key) + "," + JsonString(value) + "]";
  }
  line += "]}\n";
  WriteText(out, line);
}

}  // namespace

bool ParseCommentHeader(const std::string& packet, FileTags& tags) {
  CommentList list;
  if (!ReadCommentHeader(reinterpret_cast<const unsigned char*>(packet.data()), packet.size(),
                         list)) {
    return false;
  }
  tags.vendor = std::move(list.vendor);
  tags.comments = std::move(list.entries);
  return true;
}

void PrintCommentLines(FILE* out, const std::vector<std::string>& comments, const char* indent) {
  for (const std::string& comment : comments) {
    WriteText(out, indent);
    WriteText(out, comment);
    WriteText(out, "\n");
  }
}

std::string JsonString(const std::string& text) {
  static const char kHex[] = "0123456789abcdef";
  std::string json = "\"";
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
  for (size_t at = 0; at < text.size();) {
    const unsigned char c = p[at];
    const size_t length = Utf8SequenceLength(p + at, text.size() - at);
    if (length == 0) {
      json += "\\ufffd";
      ++at;
      continue;
    }
    if (c == '"' || c == '\\') {
      json += '\\';
      json += static_cast<char>(c);
    } else if (c == '\n') {
      json += "\\n";
    } else if (c == '\t') {
      json += "\\t";
    } else if (c == '\r') {
      json += "\\r";
    } else if (c < 0x20) {
      json += "\\u00";
      json += kHex[c >> 4];
      json += kHex[c & 15];
    } else {
      json.append(text, at, length);
    }
    at += length;
  }
  return json + "\"";
}

int ShowTags(const std::vector<String>& files, bool json, const CliConsole& console) {
  int status = 0;
  for (const String& path : files) {
    FileTags tags;
    std::string reason;
    if (!ReadFileTags(path, tags, reason)) {
      PrintFormat(console.err, cli_text::kCannotShow, DisplayPath(path).c_str(),
                  Utf8FromWindows1252(reason.c_str()).c_str());
      status = 1;
      continue;
    }
    if (json) {
      PrintJson(console.out, DisplayPath(path), tags);
      continue;
    }
    PrintFormat(console.out, cli_text::kShownFile, DisplayPath(path).c_str());
    WriteText(console.out, tags.vendor);
    WriteText(console.out, "\n");
    PrintCommentLines(console.out, tags.comments, "  ");
  }
  std::fflush(console.out);
  return status;
}
