// The Vorbis header packets as libvorbis reads them before any audio: the
// one test of a Vorbis header that the opening, the replacement of a comment
// header and the check of an edit in place share.
#pragma once
#include <initializer_list>
#include <string>

// How far opening a file checks a Vorbis setup header: unpacked in full, as a
// decoder reads it before any audio (its codebooks: the costly part of
// opening); or only its packet type, the unpacking left for later, for an
// editor that may never write it (an edit in place keeps its bytes as they
// are) or whose file was checked in full already.
enum class SetupCheck { kFull, kDeferred };

// Whether libvorbis reads these header packets in this order (identification,
// comment, and setup when given), as a decoder does before any audio. The
// setup header's codebooks are unpacked then: by far the costliest part.
bool DecoderReadsVorbisHeaders(std::initializer_list<const std::string*> packets);
