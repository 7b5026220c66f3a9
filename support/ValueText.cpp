#include "support/ValueText.h"

#include <windows.h>

#include <climits>

namespace {
constexpr int kBadArgument = 160;
}

int IntToText(int value, std::wstring& text) {
    text = std::to_wstring(value);
    return 0;
}

int BoolToText(bool value, std::wstring& text) {
    text = value ? L"1" : L"0";
    return 0;
}

bool IsAllDigits(const std::wstring& text) {
    if (text.empty()) return false;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
    }
    return true;
}

int TextToInt(const std::wstring& text, int& value) {
    if (!IsAllDigits(text)) return kBadArgument;
    long long parsed = 0;
    for (wchar_t c : text) {
        parsed = parsed * 10 + (c - L'0');
        if (parsed > INT_MAX) return kBadArgument;  // never wrap into a different number
    }
    value = static_cast<int>(parsed);
    return 0;
}

int TextToBool(const std::wstring& text, bool& value) {
    if (::lstrcmpiW(text.c_str(), L"true") == 0 || text == L"1") {
        value = true;
        return 0;
    }
    if (::lstrcmpiW(text.c_str(), L"false") == 0 || text == L"0") {
        value = false;
        return 0;
    }
    return kBadArgument;
}

bool IsDrivePath(const std::wstring& text) {
    if (text.size() < 4) return false;
    wchar_t drive = text[0];
    bool letter = (drive >= L'a' && drive <= L'z') || (drive >= L'A' && drive <= L'Z');
    return letter && text[1] == L':' && text[2] == L'\\';
}
