#include "ui/RightToLeftText.h"

#include <commctrl.h>

#include <vector>

namespace {

constexpr UINT_PTR kSubclassId = 0x524C;  // one subclass of ours per static

void PaintText(HWND control, HDC dc) {
    RECT client = {};
    ::GetClientRect(control, &client);
    // The dialog chooses the colours and the background, as for the control's own painting.
    auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(::GetParent(control), WM_CTLCOLORSTATIC,
                                                         reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
    ::FillRect(dc, &client, brush ? brush : ::GetSysColorBrush(COLOR_3DFACE));
    int length = ::GetWindowTextLengthW(control);
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1);
    ::GetWindowTextW(control, text.data(), length + 1);
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0));
    HGDIOBJ previousFont = font ? ::SelectObject(dc, font) : nullptr;
    int previousMode = ::SetBkMode(dc, TRANSPARENT);
    if (!::IsWindowEnabled(control)) ::SetTextColor(dc, ::GetSysColor(COLOR_GRAYTEXT));
    UINT format = StaticTextFormat(::GetWindowLongPtrW(control, GWL_STYLE)) | DT_RTLREADING;
    ::DrawTextW(dc, text.data(), -1, &client, format);
    ::SetBkMode(dc, previousMode);
    if (previousFont) ::SelectObject(dc, previousFont);
}

LRESULT CALLBACK RightToLeftStaticProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint = {};
        HDC dc = ::BeginPaint(control, &paint);
        if (dc) PaintText(control, dc);
        ::EndPaint(control, &paint);
        return 0;
    }
    case WM_PRINTCLIENT:
        PaintText(control, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the painting fills the background itself
    case WM_SETTEXT: {
        // The control's own text setting paints at once, left to right: take the text only.
        ::SendMessageW(control, WM_SETREDRAW, FALSE, 0);
        LRESULT result = ::DefSubclassProc(control, message, wParam, lParam);
        ::SendMessageW(control, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(control, nullptr, TRUE);
        return result;
    }
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(control, RightToLeftStaticProc, kSubclassId);
        break;
    default:
        break;
    }
    return ::DefSubclassProc(control, message, wParam, lParam);
}

BOOL CALLBACK SubclassTextStatic(HWND child, LPARAM) {
    wchar_t className[16] = {};
    ::GetClassNameW(child, className, 16);
    if (::lstrcmpiW(className, L"Static") == 0 && StaticTextFormat(::GetWindowLongPtrW(child, GWL_STYLE)) != 0) {
        ::SetWindowSubclass(child, RightToLeftStaticProc, kSubclassId, 0);
        ::InvalidateRect(child, nullptr, TRUE);
    }
    return TRUE;
}

}  // namespace

UINT StaticTextFormat(LONG_PTR style) {
    UINT format = 0;
    switch (style & SS_TYPEMASK) {
    case SS_LEFT: format = DT_LEFT | DT_EXPANDTABS | DT_WORDBREAK; break;
    case SS_CENTER: format = DT_CENTER | DT_EXPANDTABS | DT_WORDBREAK; break;
    case SS_RIGHT: format = DT_RIGHT | DT_EXPANDTABS | DT_WORDBREAK; break;
    case SS_SIMPLE: format = DT_LEFT | DT_SINGLELINE; break;
    case SS_LEFTNOWORDWRAP: format = DT_LEFT | DT_EXPANDTABS; break;
    default: return 0;
    }
    if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
    switch (style & SS_ELLIPSISMASK) {
    // An ellipsis belongs to a single line: no word breaks then.
    case SS_PATHELLIPSIS: format = (format & ~DT_WORDBREAK) | DT_PATH_ELLIPSIS | DT_SINGLELINE; break;
    case SS_ENDELLIPSIS: format = (format & ~DT_WORDBREAK) | DT_END_ELLIPSIS | DT_SINGLELINE; break;
    case SS_WORDELLIPSIS: format = (format & ~DT_WORDBREAK) | DT_WORD_ELLIPSIS | DT_SINGLELINE; break;
    default: break;
    }
    return format;
}

void DrawStaticsRightToLeft(HWND dialog) { ::EnumChildWindows(dialog, SubclassTextStatic, 0); }
