// The Vorbis headers read by libvorbis (see vorbis_headers.h).
#include "vorbis/vorbis_headers.h"

#include <vorbis/codec.h>

#include <cstring>
#include <memory>

#include "vorbis/tag_editor.h"

bool DecoderReadsVorbisHeaders(std::initializer_list<const std::string*> packets) {
  std::unique_ptr<vorbis_info, VorbisInfoRelease> info(new vorbis_info);
  std::unique_ptr<vorbis_comment, VorbisCommentRelease> comments(new vorbis_comment);
  vorbis_info_init(info.get());
  vorbis_comment_init(comments.get());
  ogg_int64_t number = 0;
  for (const std::string* bytes : packets) {
    if (bytes->empty()) return false;
    ogg_packet packet;
    std::memset(&packet, 0, sizeof packet);
    // libvorbis only reads the packet, through a pointer that is not const.
    packet.packet = reinterpret_cast<unsigned char*>(const_cast<char*>(bytes->data()));
    packet.bytes = static_cast<long>(bytes->size());
    packet.b_o_s = number == 0;
    packet.packetno = number++;
    if (vorbis_synthesis_headerin(info.get(), comments.get(), &packet) != 0) return false;
  }
  return true;
}
