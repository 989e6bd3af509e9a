// What a listing shows of a PICTURE block: its picture type, MIME type and the
// size of its image data. The block itself is always kept byte for byte.
#pragma once
#include <cstdint>
#include <string>

struct FlacPicture {
  uint32_t type = 0;  // 3 is the front cover
  std::string mimeType;
  uint32_t dataSize = 0;
};

// False when the body is too short for the fields it announces.
bool ParseFlacPicture(const std::string& body, FlacPicture& picture);
