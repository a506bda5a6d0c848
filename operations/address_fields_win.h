// Makes typing an address into an IP address control work whatever the control's own field handling.
// Windows only.
#pragma once

#include <windows.h>

namespace quelvar {

// Two things stand between a user and a typed address in some IP address controls (Wine's among
// them), and this mends both:
// - The fields get a font of their own, made from the system's icon-title font, while their width
//   follows the dialog's font. A field is a single-line edit without horizontal scrolling that
//   refuses a character which would not fit, and the control moves on after the third digit: where
//   the field's font is wide for the field, the third digit of an octet is lost. Every field gets
//   `font` (the dialog's, as the platform's own control does) and, if three of its widest digits
//   still would not fit between its margins, narrower margins.
// - After the third digit the control moves the caret into the next field without selecting its
//   text, so the next octet typed over a filled-in address is refused. A field that receives the
//   focus from the keyboard gets its text selected, so typing replaces it; a click still places the
//   caret where the user clicked, and the arrow and backspace keys still place it as they do.
void PrepareAddressFields(HWND addressControl, HFONT font);

// Whether three of the widest digits of the field's font fit between its margins.
bool FieldTakesThreeDigits(HWND field);

}  // namespace quelvar
