// Look-ups in the table of choosable tags (see choosable_tags.h).
#include "engine/choosable_tags.h"

const ChoosableTag* ChoosableTagOf(int box) {
  for (const ChoosableTag& tag : kChoosableTags) {
    if (tag.box == box) return &tag;
  }
  return nullptr;
}

ChoiceId PartnerOf(ChoiceId box) {
  for (const ExclusiveBoxes& pair : kExclusiveBoxes) {
    if (pair.kept == box) return pair.dropped;
    if (pair.dropped == box) return pair.kept;
  }
  return kNoChoice;
}

bool IsApplied(const TagChoices& choices, ChoiceId box) {
  if (!choices.IsTicked(box)) return false;
  for (const ExclusiveBoxes& pair : kExclusiveBoxes) {
    if (pair.dropped == box && choices.IsTicked(pair.kept)) return false;
  }
  return true;
}
