// The user's tag choices as the engine reads them, at the moment it needs them:
// ten boxes and six fields, named by their dialog control ids. The dialog answers
// from its live controls, the command line and the tests from fixed values.
#pragma once
#include "res/resource.h"
#include "text/shared_string.h"
#include "text/wide_string.h"

enum ChoiceId : int {
  kNoChoice = 0,  // none: the field of a box without one, the partner of a box without one
  kArtistField = IDC_ARTIST_FIELD,
  kAlbumBox = IDC_ALBUM_BOX,
  kArtistBox = IDC_ARTIST_BOX,
  kAlbumField = IDC_ALBUM_FIELD,
  kDateBox = IDC_DATE_BOX,
  kDateField = IDC_DATE_FIELD,
  kGenreBox = IDC_GENRE_BOX,
  kGenreField = IDC_GENRE_FIELD,
  kLabelBox = IDC_LABEL_BOX,
  kLabelField = IDC_LABEL_FIELD,
  kArtistFromNameBox = IDC_ARTIST_FROM_NAME_BOX,
  kTitleFromNameBox = IDC_TITLE_FROM_NAME_BOX,
  kTrackFromOrderBox = IDC_TRACK_FROM_ORDER_BOX,
  kCommentField = IDC_COMMENT_FIELD,
  kCommentBox = IDC_COMMENT_BOX,
  kTrackFromNameBox = IDC_TRACK_FROM_NAME_BOX,
};

class TagChoices {
 public:
  virtual ~TagChoices() = default;
  virtual bool IsTicked(ChoiceId box) const = 0;
  // The field's text as 8-bit text (the date field).
  virtual String FieldText(ChoiceId field) const = 0;
  // The field's text as UTF-16 (every other field).
  virtual WideString FieldTextWide(ChoiceId field) const = 0;
};

// Choices held as plain values: for the command line and the tests.
class FixedTagChoices : public TagChoices {
 public:
  void Tick(ChoiceId box, bool ticked = true);
  // Sets a field's text; the 8-bit form is derived from the UTF-16 one through
  // windows-1252 where a unit has no byte, as '?'.
  void SetField(ChoiceId field, const WideString& text);
  void SetField(ChoiceId field, const String& text8, const WideString& text);

  // A copy that shares no text buffer with this one: text buffers count their
  // references without locks, so each thread needs choices of its own.
  FixedTagChoices Detached() const;

  bool IsTicked(ChoiceId box) const override;
  String FieldText(ChoiceId field) const override;
  WideString FieldTextWide(ChoiceId field) const override;

 private:
  static int Slot(ChoiceId id);
  static constexpr int kSlots = IDC_LAST_CONTROL - IDC_FIRST_CONTROL + 1;
  bool ticked_[kSlots] = {};
  String text8_[kSlots];
  WideString text_[kSlots];
};
