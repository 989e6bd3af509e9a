// Tag choices read from the dialog's controls (see dialog_choices.h).
#include "app/dialog_choices.h"

#include "app/app_state.h"
#include "app/dialog_controls.h"
#include "text/control_text.h"

bool DialogTagChoices::IsTicked(ChoiceId box) const { return ::IsTicked(box); }

String DialogTagChoices::FieldText(ChoiceId field) const {
  return GetControlText(ControlHandle(field));
}

WideString DialogTagChoices::FieldTextWide(ChoiceId field) const {
  return GetControlTextWide(ControlHandle(field));
}
