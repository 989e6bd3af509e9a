// Comment header packets (see comment_packet.h).
#include "vorbis/comment_packet.h"

#include <cstdlib>
#include <cstring>

namespace {

void AppendLength(std::string& packet, size_t length) {
  for (int i = 0; i < 4; ++i) packet.push_back(static_cast<char>((length >> (8 * i)) & 0xFF));
}

// The vendor text and the entries, as both formats lay them out.
void AppendList(std::string& packet, const char* vendor, const vorbis_comment& comments) {
  const size_t vendorLength = strlen(vendor);
  AppendLength(packet, vendorLength);
  packet.append(vendor, vendorLength);
  const int count = comments.comments;
  AppendLength(packet, static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    const char* entry = comments.user_comments[i];
    const size_t length = entry ? static_cast<size_t>(comments.comment_lengths[i]) : 0;
    AppendLength(packet, length);
    if (length > 0) packet.append(entry, length);
  }
}

// Reads a 32-bit little-endian length at offset, if the packet holds one.
bool ReadLength(const unsigned char* packet, size_t size, size_t& offset, size_t& length) {
  if (size - offset < 4) return false;
  length = static_cast<size_t>(packet[offset]) | static_cast<size_t>(packet[offset + 1]) << 8 |
           static_cast<size_t>(packet[offset + 2]) << 16 |
           static_cast<size_t>(packet[offset + 3]) << 24;
  offset += 4;
  return length <= size - offset;
}

// A heap copy with a terminating zero, as vorbis_comment_clear frees it.
char* CopyText(const std::string& text) {
  char* copy = static_cast<char*>(malloc(text.size() + 1));
  if (copy == nullptr) return nullptr;
  memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  return copy;
}

}  // namespace

bool StartsWith(const unsigned char* packet, size_t size, const char* magic, size_t magicSize) {
  return size >= magicSize && memcmp(packet, magic, magicSize) == 0;
}

std::string BuildVorbisCommentPacket(const char* vendor, const vorbis_comment& comments) {
  std::string packet("\x03vorbis", 7);
  AppendList(packet, vendor, comments);
  packet.push_back('\x01');
  return packet;
}

std::string BuildOpusTagsPacket(const char* vendor, const vorbis_comment& comments,
                                const std::string& binaryData) {
  std::string packet("OpusTags", 8);
  AppendList(packet, vendor, comments);
  packet += binaryData;
  return packet;
}

bool ReadCommentList(const unsigned char* packet, size_t size, CommentList& list) {
  size_t offset;
  if (StartsWith(packet, size, "\x03vorbis", 7)) {
    offset = 7;
  } else if (StartsWith(packet, size, "OpusTags", 8)) {
    offset = 8;
  } else {
    return false;
  }
  size_t length = 0;
  size_t count = 0;
  if (!ReadLength(packet, size, offset, length)) return false;
  list.vendor.assign(reinterpret_cast<const char*>(packet + offset), length);
  offset += length;
  // Each entry takes at least its 4 length bytes: a larger count cannot be true,
  // and must not size anything.
  if (!ReadLength(packet, size, offset, count) || count > (size - offset) / 4) return false;
  list.entries.clear();
  list.entries.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    if (!ReadLength(packet, size, offset, length)) return false;
    list.entries.emplace_back(reinterpret_cast<const char*>(packet + offset), length);
    offset += length;
  }
  list.end = offset;
  return true;
}

bool ParseOpusTags(const unsigned char* packet, size_t size, vorbis_comment* comments,
                   std::string* binaryData) {
  vorbis_comment_clear(comments);
  vorbis_comment_init(comments);
  binaryData->clear();
  CommentList list;
  if (!StartsWith(packet, size, "OpusTags", 8) || !ReadCommentList(packet, size, list)) {
    return false;
  }
  const size_t count = list.entries.size();
  comments->vendor = CopyText(list.vendor);
  comments->user_comments = static_cast<char**>(calloc(count + 1, sizeof(char*)));
  comments->comment_lengths = static_cast<int*>(calloc(count + 1, sizeof(int)));
  if (!comments->vendor || !comments->user_comments || !comments->comment_lengths) return false;
  for (size_t i = 0; i < count; ++i) {
    comments->user_comments[i] = CopyText(list.entries[i]);
    if (comments->user_comments[i] == nullptr) return false;
    comments->comment_lengths[i] = static_cast<int>(list.entries[i].size());
    comments->comments = static_cast<int>(i + 1);
  }
  if (list.end < size && (packet[list.end] & 1) != 0) {
    binaryData->assign(reinterpret_cast<const char*>(packet + list.end), size - list.end);
  }
  return true;
}
