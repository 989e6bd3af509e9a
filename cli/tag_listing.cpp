// Reading and printing the tags a file holds (see tag_listing.h).
#include "cli/tag_listing.h"

#include <cstdint>
#include <utility>

#include "cli/cli_texts.h"
#include "cli/console_output.h"
#include "cli/platform.h"
#include "cli/result_lines.h"
#include "cli/terminal_text.h"
#include "engine/message_table.h"
#include "files/file_system.h"
#include "vorbis/comment_packet.h"

namespace {

bool ReadFileTags(const String& path, FileTags& tags, std::string& reason) {
  std::string packet;
  bool opus;
  if (!ReadFileCommentHeader(path, packet, opus, reason)) return false;
  if (!ParseCommentHeader(packet, tags)) {
    reason = kErrorCorruptSecondary;
    return false;
  }
  return true;
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

bool ReadFileCommentHeader(const String& path, std::string& packet, bool& opus,
                           std::string& reason) {
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
  packet = editor.OriginalCommentHeader();
  opus = editor.IsOpus();
  return true;
}

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
    WriteText(out, TerminalText(comment));
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
      PrintFormat(console.err, cli_text::kCannotShow, ShownPath(path).c_str(),
                  Utf8FromWindows1252(reason.c_str()).c_str());
      status = 1;
      continue;
    }
    if (json) {
      PrintJson(console.out, DisplayPath(path), tags);
      continue;
    }
    PrintFormat(console.out, cli_text::kShownFile, ShownPath(path).c_str());
    WriteText(console.out, TerminalText(tags.vendor));
    WriteText(console.out, "\n");
    PrintCommentLines(console.out, tags.comments, "  ");
  }
  std::fflush(console.out);
  return status;
}
