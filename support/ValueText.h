// Text conversions with which settings keep numbers and switches as text.
#pragma once

#include <string>

// Always 0.
int IntToText(int value, std::wstring& text);
// "1" or "0"; always 0.
int BoolToText(bool value, std::wstring& text);
// 0 and the value for all-digit text that fits in an int; otherwise 160 and value unchanged.
[[nodiscard]] int TextToInt(const std::wstring& text, int& value);
// "true"/"1" and "false"/"0" in any letter case; otherwise 160 and value unchanged.
[[nodiscard]] int TextToBool(const std::wstring& text, bool& value);
bool IsAllDigits(const std::wstring& text);
// At least four characters: a letter, ":" and a backslash.
bool IsDrivePath(const std::wstring& text);
