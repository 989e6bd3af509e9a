// The tags a user can choose to set, one row each, in the order in which a
// retag sets them: the box and field, the Vorbis comment field, the option of
// mirale-cli and the box's captions. The retag, the dialog and mirale-cli all
// read this table; a new tag is a row here plus its controls in the template.
#pragma once
#include "engine/tag_choices.h"

// Where a chosen tag's value comes from.
enum class TagSource {
  kField,         // the box's field as typed
  kDateField,     // the box's field, validated and normalised as a date
  kNameTrack,     // the number that starts the file name ("00 - ...")
  kListPosition,  // the file's place in the list, from 1
  kNameArtist,    // the file name before " - "
  kNameTitle,     // the file name after " - "
};

struct ChoosableTag {
  ChoiceId box;
  ChoiceId field;  // kNoChoice for a box without one
  const char* tagName;
  TagSource source;
  // mirale-cli's option, which takes a value when the box has a field, and
  // what its line in the usage text says after "set TAGNAME".
  const char* option;
  const char* usageNote;
  const char* englishCaption;
  const char* frenchCaption;  // windows-1252
};

inline constexpr ChoosableTag kChoosableTags[] = {
    {kDateBox, kDateField, "DATE", TagSource::kDateField, "--date",
     " (YYYY, YYYY-MM, YYYY-MM-DD, with hh:mm:ss)", "Set date (YYYY-MM-DD)",
     "Fixer l'ann\xE9"
     "e (AAAA-MM-JJ)"},
    {kAlbumBox, kAlbumField, "ALBUM", TagSource::kField, "--album", "", "Set album name",
     "Fixer le nom de l'album"},
    {kLabelBox, kLabelField, "LABEL", TagSource::kField, "--label", "", "Set label",
     "Fixer le label"},
    {kGenreBox, kGenreField, "GENRE", TagSource::kField, "--genre", "", "Set genre",
     "Fixer le genre"},
    {kArtistBox, kArtistField, "ARTIST", TagSource::kField, "--artist", "", "Set artist name",
     "Fixer le nom de l'artiste"},
    {kTrackFromNameBox, kNoChoice, "TRACKNUMBER", TagSource::kNameTrack, "--track-from-name",
     " from the name \"00 - Artist - Title.ogg\"", "Set track number",
     "R\xE9"
     "cup\xE9rer le num\xE9ro de piste"},
    {kTrackFromOrderBox, kNoChoice, "TRACKNUMBER", TagSource::kListPosition, "--track-from-order",
     " from the file's place in the list", "Set track number from list order",
     "R\xE9"
     "cup\xE9rer le num\xE9ro de piste \xE0 partir de l'ordre dans la liste"},
    {kArtistFromNameBox, kNoChoice, "ARTIST", TagSource::kNameArtist, "--artist-from-name",
     " from the name \"Artist - Title.ogg\"", "Set artist name",
     "R\xE9"
     "cup\xE9rer le nom de l'artiste"},
    {kTitleFromNameBox, kNoChoice, "TITLE", TagSource::kNameTitle, "--title-from-name",
     " from the name \"Artist - Title.ogg\"", "Set track title",
     "R\xE9"
     "cup\xE9rer le titre du morceau"},
    {kCommentBox, kCommentField, "COMMENT", TagSource::kField, "--comment", "", "Set comment",
     "Fixer un commentaire"},
};

// Two boxes that set the same tag and exclude each other: a click on one
// unticks the other in the dialog, mirale-cli refuses both, and a retag given
// both sets the tag as `kept` says.
struct ExclusiveBoxes {
  ChoiceId kept;
  ChoiceId dropped;
};
inline constexpr ExclusiveBoxes kExclusiveBoxes[] = {
    {kArtistFromNameBox, kArtistBox},
    {kTrackFromNameBox, kTrackFromOrderBox},
};

// The row of a box, or null for any other id.
const ChoosableTag* ChoosableTagOf(int box);

// The box that box excludes (either way round), or kNoChoice.
ChoiceId PartnerOf(ChoiceId box);

// True when box is ticked and no box that overrules it is.
bool IsApplied(const TagChoices& choices, ChoiceId box);
