#include "ui/TextFit.h"

namespace {

constexpr wchar_t kEllipsis[] = L"\u2026";

int TextWidth(HDC dc, const std::wstring& text) {
    SIZE extent = {};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    return extent.cx;
}

// The text with only `kept` of its characters left: a third from the beginning, the rest from
// the end.
std::wstring Shortened(const std::wstring& text, size_t kept) {
    size_t head = kept / 3;
    size_t tail = kept - head;
    return text.substr(0, head) + kEllipsis + text.substr(text.size() - tail);
}

}  // namespace

std::wstring EllipsizeInTheMiddle(HDC dc, const std::wstring& text, int width) {
    if (TextWidth(dc, text) <= width) return text;
    // The most characters that still fit, found by halving.
    size_t low = 0;
    size_t high = text.size();
    while (low < high) {
        size_t middle = (low + high + 1) / 2;
        if (TextWidth(dc, Shortened(text, middle)) <= width) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return Shortened(text, low);
}
