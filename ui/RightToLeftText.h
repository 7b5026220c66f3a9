// Static texts of a mirrored dialog drawn in right-to-left reading order. WS_EX_RTLREADING asks
// a static control for that order, but not every platform's static control honours it (Wine's
// draws left to right whatever the style): these statics draw their text themselves, with
// DT_RTLREADING, the way the control would draw it otherwise.
#pragma once

#include <windows.h>

// The DrawText format a static control of that style uses for its text, without the reading
// order; 0 for statics that show no text (frames, lines, pictures).
UINT StaticTextFormat(LONG_PTR style);

// Makes every text static of the dialog draw its text in right-to-left reading order.
void DrawStaticsRightToLeft(HWND dialog);
