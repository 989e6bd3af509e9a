// RetagFile: rewrites the comment header of one Ogg Vorbis file in place, through
// a backup at its path with ".old" appended, following the user's tag choices.
#pragma once
#include "engine/tag_choices.h"
#include "text/shared_string.h"
#include "vorbis/tag_editor.h"

// Returns true when a new file was written under path. message (empty on entry)
// receives the last message assigned: empty, a warning (separator or track number
// not found, old copy not deleted) on true, the reason on false. position is the
// file's 1-based place in the list, for the track number from list order.
//
// On disk afterwards: a failed rename leaves everything as it was; any later
// failure leaves the untouched file at the ".old" path and nothing at path.
//
// write replaces fwrite for the output, so that tests can make the disk fail.
bool RetagFile(const String& path, String& message, int position, const TagChoices& choices,
               WriteFunc write = nullptr);
