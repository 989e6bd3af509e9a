// Printing the tags a file holds (see tag_listing.h).
#include "cli/tag_listing.h"

#include <string>

#include "cli/cli_texts.h"
#include "cli/console_output.h"
#include "cli/platform.h"
#include "cli/result_lines.h"
#include "cli/terminal_text.h"
#include "engine/file_comments.h"

namespace {

// "{"path":…,"vendor":…,"comments":[["KEY","value"],…]}", and a FLAC file's
// ,"pictures":[{"type":3,"mime":"image/png","size":300},…] before the brace.
void PrintJson(FILE* out, const std::string& path, const FileComments& tags) {
  std::string line = "{\"path\":" + JsonString(path) +
                     ",\"vendor\":" + JsonString(tags.list.vendor) + ",\"comments\":[";
  for (size_t i = 0; i < tags.list.entries.size(); ++i) {
    const std::string& entry = tags.list.entries[i];
    const size_t equals = entry.find('=');
    const std::string key = entry.substr(0, equals);
    const std::string value =
        equals == std::string::npos ? std::string() : entry.substr(equals + 1);
    line += (i == 0 ? "[" : ",[") + JsonString(key) + "," + JsonString(value) + "]";
  }
  line += "]";
  if (tags.codec == CommentCodec::kFlac) {
    line += ",\"pictures\":[";
    for (size_t i = 0; i < tags.pictures.size(); ++i) {
      const FlacPicture& picture = tags.pictures[i];
      line += (i == 0 ? "{\"type\":" : ",{\"type\":") + std::to_string(picture.type) +
              ",\"mime\":" + JsonString(picture.mimeType) +
              ",\"size\":" + std::to_string(picture.dataSize) + "}";
    }
    line += "]";
  }
  line += "}\n";
  WriteText(out, line);
}

void PrintText(FILE* out, const String& path, const FileComments& tags) {
  PrintFormat(out, cli_text::kShownFile, ShownPath(path).c_str());
  WriteText(out, TerminalText(tags.list.vendor));
  WriteText(out, "\n");
  PrintCommentLines(out, tags.list.entries, "  ");
  for (const FlacPicture& picture : tags.pictures) {
    PrintFormat(out, cli_text::kShownPicture, static_cast<unsigned long>(picture.type),
                TerminalText(picture.mimeType).c_str(),
                static_cast<unsigned long>(picture.dataSize));
  }
}

}  // namespace

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
    FileComments tags;
    const char* reason = "";
    if (!ReadFileComments(path, tags, reason)) {
      PrintFormat(console.err, cli_text::kCannotShow, ShownPath(path).c_str(),
                  Utf8FromWindows1252(reason).c_str());
      status = 1;
      continue;
    }
    if (json) {
      PrintJson(console.out, DisplayPath(path), tags);
    } else {
      PrintText(console.out, path, tags);
    }
  }
  std::fflush(console.out);
  return status;
}
