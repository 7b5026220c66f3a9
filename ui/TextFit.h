// Fitting a text into a width on one line.
#pragma once

#include <windows.h>

#include <string>

// The text as it fits into width pixels in the font selected into dc: whole when it fits, else
// its beginning, "…" and its end, keeping more of the end (a file name's distinguishing part,
// "... page 077.pdf", is there). At least the ellipsis is returned.
std::wstring EllipsizeInTheMiddle(HDC dc, const std::wstring& text, int width);
