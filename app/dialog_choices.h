// The tag choices as the live dialog controls hold them: asked anew at every
// read, so the engine always sees what the user has set.
#pragma once
#include "engine/tag_choices.h"

class DialogTagChoices : public TagChoices {
 public:
  bool IsTicked(ChoiceId box) const override;
  String FieldText(ChoiceId field) const override;
  WideString FieldTextWide(ChoiceId field) const override;
};
