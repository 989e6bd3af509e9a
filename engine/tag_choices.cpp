// Fixed tag choices for the command line and the tests (see tag_choices.h).
#include "engine/tag_choices.h"

#include "text/char_set.h"

int FixedTagChoices::Slot(ChoiceId id) {
  const int slot = static_cast<int>(id) - IDC_FIRST_CONTROL;
  return slot >= 0 && slot < kSlots ? slot : 0;
}

void FixedTagChoices::Tick(ChoiceId box, bool ticked) { ticked_[Slot(box)] = ticked; }

void FixedTagChoices::SetField(ChoiceId field, const String& text8, const WideString& text) {
  text8_[Slot(field)] = text8;
  text_[Slot(field)] = text;
}

void FixedTagChoices::SetField(ChoiceId field, const WideString& text) {
  // The 8-bit form is only read for the date, whose meaningful characters are ASCII.
  String narrow;
  for (int i = 0; i < text.Length(); ++i) {
    char byte = '?';
    for (int b = 1; b < 256; ++b) {
      if (CurrentCharSet->Decode(static_cast<unsigned char>(b)) == text[i]) {
        byte = static_cast<char>(b);
        break;
      }
    }
    narrow.Append(byte);
  }
  SetField(field, narrow, text);
}

FixedTagChoices FixedTagChoices::Detached() const {
  FixedTagChoices copy;
  for (int slot = 0; slot < kSlots; ++slot) {
    copy.ticked_[slot] = ticked_[slot];
    // Built from the characters, so each gets a buffer of its own.
    copy.text8_[slot] = String(text8_[slot].CStr());
    copy.text_[slot] = WideString(text_[slot].CStr());
  }
  return copy;
}

bool FixedTagChoices::IsTicked(ChoiceId box) const { return ticked_[Slot(box)]; }
String FixedTagChoices::FieldText(ChoiceId field) const { return text8_[Slot(field)]; }
WideString FixedTagChoices::FieldTextWide(ChoiceId field) const { return text_[Slot(field)]; }
