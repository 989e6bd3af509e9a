// The user's tag choices as the engine reads them, at the moment it needs them:
// ten boxes and six fields, named by their dialog control ids. The dialog answers
// from its live controls, the command line and the tests from fixed values.
#pragma once
#include "text/shared_string.h"
#include "text/wide_string.h"

enum ChoiceId : int {
  kArtistField = 1003,
  kAlbumBox = 1004,
  kArtistBox = 1005,
  kAlbumField = 1006,
  kDateBox = 1007,
  kDateField = 1008,
  kGenreBox = 1009,
  kGenreField = 1010,
  kLabelBox = 1011,
  kLabelField = 1012,
  kArtistFromNameBox = 1013,
  kTitleFromNameBox = 1014,
  kTrackFromOrderBox = 1015,
  kCommentField = 1018,
  kCommentBox = 1019,
  kTrackFromNameBox = 1022,
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
  static constexpr int kSlots = 20;  // ids 1003 to 1022
  bool ticked_[kSlots] = {};
  String text8_[kSlots];
  WideString text_[kSlots];
};
