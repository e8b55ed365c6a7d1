// Internal to the toolkit: where the controls report what assistive
// technology sees change (accessibility.h, Backend::Notify). Each does
// nothing without a backend, or before the form's window exists.
#pragma once

#include "forms/accessibility.h"

namespace forms {
class Control;
class Form;
}  // namespace forms

namespace forms::detail {

// A change of `control` (the node of the notice), on its form.
void Notify(Control& control, accessibility::Change change, int index = 0, int count = 0);
// A FocusMoved notice if the focused node of the active form differs from the
// one reported last (line notices keep that one in step with its line).
void NoteFocus(Form& form);
void NoteFocus(Control& control);

}  // namespace forms::detail
