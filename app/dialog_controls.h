// The dialog's boxes and their fields as the table of choosable tags gives
// them, for the dialog's rules, the batch run and the engine's view of the
// choices: reading a box, enabling and disabling the controls around a run, and
// moving the keyboard focus.
#pragma once
#include <windows.h>

#include "engine/tag_choices.h"

// The field that belongs to a box; 0 for a box without one.
int FieldOf(int box);

// True when the box's BM_GETCHECK says BST_CHECKED.
bool IsTicked(int box);

// Disables boxes, fields and "Retag !" during a run; enabling restores each
// field by its box. Before disabling, the keyboard focus leaves any control that
// is about to be disabled for the trace control, so that Escape, Tab and Enter
// keep working; after enabling it goes back to "Retag !".
void SetControlsEnabled(bool enable);
