#include "support/PrintfConversions.h"

#include <cwchar>

namespace printf_format {

namespace {

bool IsOneOf(wchar_t c, const wchar_t* set) { return c != L'\0' && std::wcschr(set, c) != nullptr; }

}  // namespace

std::vector<std::wstring> Conversions(const std::wstring& format) {
    std::vector<std::wstring> found;
    size_t i = 0;
    while (i < format.size()) {
        if (format[i] != L'%') {
            ++i;
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == L'%') {
            i += 2;
            continue;
        }
        size_t start = i++;
        while (i < format.size() && IsOneOf(format[i], L"-+ #0")) ++i;
        while (i < format.size() && (IsOneOf(format[i], L"0123456789*"))) ++i;
        if (i < format.size() && format[i] == L'.') {
            ++i;
            while (i < format.size() && IsOneOf(format[i], L"0123456789*")) ++i;
        }
        if (format.compare(i, 3, L"I64") == 0 || format.compare(i, 3, L"I32") == 0) {
            i += 3;
        } else {
            while (i < format.size() && IsOneOf(format[i], L"hlLqjztIw")) ++i;
        }
        if (i < format.size() && IsOneOf(format[i], L"diouxXeEfFgGaAcCsSpn")) ++i;
        found.push_back(format.substr(start, i - start));
    }
    return found;
}

bool SameConversions(const std::wstring& first, const std::wstring& second) {
    return Conversions(first) == Conversions(second);
}

}  // namespace printf_format
