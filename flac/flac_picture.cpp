// PICTURE block fields (see flac_picture.h): type, MIME type, description,
// width, height, depth, colours, then the data's length and bytes, all
// lengths 32-bit big-endian.
#include "flac/flac_picture.h"

#include "base/byte_codec.h"

bool ParseFlacPicture(const std::string& body, FlacPicture& picture) {
  ByteReader reader(body);
  uint32_t mimeLength = 0;
  uint32_t descriptionLength = 0;
  return reader.Be32(picture.type) && reader.Be32(mimeLength) &&
         reader.Bytes(mimeLength, picture.mimeType) && reader.Be32(descriptionLength) &&
         reader.Skip(descriptionLength) && reader.Skip(16) && reader.Be32(picture.dataSize) &&
         picture.dataSize <= reader.Remaining();
}
