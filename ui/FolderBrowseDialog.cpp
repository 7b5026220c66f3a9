#include "ui/FolderBrowseDialog.h"

#include "support/ActivationContext.h"
#include "support/ResultCodes.h"

#include <shlobj.h>

#include <algorithm>

namespace {

FolderBrowseDialog* g_current = nullptr;
ExtraButtonHandler g_handler = nullptr;
WNDPROC g_previousProc = nullptr;
bool g_open = false;

constexpr UINT kPickerFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;  // 0x41
constexpr int kControlBeforeButton = 14150;
constexpr int kGapToOk = 8;
constexpr int kButtonWidth = 90;
constexpr int kExtraMinimumWidth = 50;
constexpr int kTextPadding = 16;  // room for the button's frame around a widened text

RECT ChildRect(HWND parent, HWND child) {
    RECT rect = {};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace

FolderBrowseDialog::FolderBrowseDialog() { g_current = this; }

FolderBrowseDialog::~FolderBrowseDialog() {
    if (g_current == this) g_current = nullptr;
    g_handler = nullptr;
    g_previousProc = nullptr;
}

int FolderBrowseDialog::SetOptions(HWND owner, const std::wstring* title, const std::wstring* initialFolder,
                                   const FontChoice* font) {
    if (owner) m_owner = owner;
    if (title) m_title = *title;
    if (initialFolder) {
        if (initialFolder->size() >= MAX_PATH) return result::kBadArguments;
        m_initialFolder = *initialFolder;
    }
    if (font) {
        m_font.Reset();
        if (font->face.empty() || font->face.size() >= LF_FACESIZE) return result::kBadArguments;
        LOGFONTW description = {};
        HDC screen = ::GetDC(nullptr);
        description.lfHeight = -::MulDiv(font->pointSize, screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96, 72);
        if (screen) ::ReleaseDC(nullptr, screen);
        description.lfWeight = FW_NORMAL;
        description.lfCharSet = DEFAULT_CHARSET;
        font->face.copy(description.lfFaceName, font->face.size());
        m_font.Reset(::CreateFontIndirectW(&description));
        if (!m_font) return result::kBadArguments;
    }
    return result::kSuccess;
}

int FolderBrowseDialog::SetExtraButton(const std::wstring& text, ExtraButtonHandler handler) {
    if (!handler) return result::kBadArguments;
    m_extraButtonText = text;
    g_handler = handler;
    return result::kSuccess;
}

int FolderBrowseDialog::Browse(std::wstring& path) {
    if (g_open) return 2;
    g_current = this;
    BROWSEINFOW info = {};
    info.hwndOwner = m_owner;
    info.lpszTitle = m_title.empty() ? nullptr : m_title.c_str();
    info.ulFlags = kPickerFlags;
    info.lpfn = BrowseCallback;
    g_open = true;
    PIDLIST_ABSOLUTE chosen = nullptr;
    {
        PluginActivationScope themedControls;
        chosen = ::SHBrowseForFolderW(&info);
    }
    g_open = false;
    m_extraButton = nullptr;
    if (!chosen) return 2;
    wchar_t buffer[MAX_PATH] = {};
    BOOL converted = ::SHGetPathFromIDListW(chosen, buffer);
    ::CoTaskMemFree(chosen);
    // A choice without a file-system path is no choice: the caller keeps its path.
    if (!converted || buffer[0] == L'\0') return 2;
    path = buffer;
    return 1;
}

int CALLBACK FolderBrowseDialog::BrowseCallback(HWND picker, UINT message, LPARAM, LPARAM) {
    if (message == BFFM_INITIALIZED && g_current) g_current->OnInitialized(picker);
    return 0;
}

void FolderBrowseDialog::OnInitialized(HWND picker) {
    if (!m_initialFolder.empty()) {
        ::SendMessageW(picker, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(m_initialFolder.c_str()));
    }
    if (g_handler) AddExtraButton(picker);
    if (m_font) {
        for (HWND child = ::GetWindow(picker, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), TRUE);
        }
    }
}

void FolderBrowseDialog::AddExtraButton(HWND picker) {
    HWND ok = ::GetDlgItem(picker, IDOK);
    if (!ok) return;
    RECT okRect = ChildRect(picker, ok);
    RECT rect = {okRect.left - kGapToOk - kButtonWidth, okRect.top, okRect.left - kGapToOk, okRect.bottom};
    m_extraButton = ::CreateWindowExW(0, L"BUTTON", m_extraButtonText.c_str(),
                                      WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, rect.left, rect.top,
                                      rect.right - rect.left, rect.bottom - rect.top, picker,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kExtraButtonId)),
                                      reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(picker, GWLP_HINSTANCE)),
                                      nullptr);
    if (!m_extraButton) return;

    // Measure with the font the button shows: ours, or the picker's own.
    HFONT font = m_font ? m_font.Get() : reinterpret_cast<HFONT>(::SendMessageW(picker, WM_GETFONT, 0, 0));
    ::SendMessageW(m_extraButton, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (HDC dc = ::GetDC(m_extraButton)) {
        HGDIOBJ previousFont = font ? ::SelectObject(dc, font) : nullptr;
        RECT textRect = {};
        ::DrawTextW(dc, m_extraButtonText.c_str(), -1, &textRect, DT_CALCRECT | DT_SINGLELINE);
        if (previousFont) ::SelectObject(dc, previousFont);
        ::ReleaseDC(m_extraButton, dc);
        int needed = textRect.right - textRect.left + kTextPadding;
        if (needed > rect.right - rect.left) {
            ::MoveWindow(m_extraButton, rect.right - needed, rect.top, needed, rect.bottom - rect.top, TRUE);
        }
    }

    HWND before = ::GetDlgItem(picker, kControlBeforeButton);
    ::SetWindowPos(m_extraButton, before ? before : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    g_previousProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(picker, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PickerProc)));

    // A picker that opens too narrow would have the button over its own buttons on the left
    // (the new-folder button) or past its left edge: widen it by the overlap, OK and the button move right with it.
    RECT placed = ChildRect(picker, m_extraButton);
    LONG overlap = std::max<LONG>(0, kGapToOk - placed.left);  // nor past the picker's left edge
    for (HWND child = ::GetWindow(picker, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[16] = {};
        ::GetClassNameW(child, className, 16);
        // The picker may show its buttons only after this callback: look at every button.
        if (child == m_extraButton || child == ok || ::lstrcmpiW(className, L"Button") != 0) continue;
        RECT other = ChildRect(picker, child);
        bool sameRow = other.top < placed.bottom && other.bottom > placed.top;
        if (sameRow && other.left < placed.right && other.right + kGapToOk > placed.left) {
            overlap = std::max(overlap, other.right + kGapToOk - placed.left);
        }
    }
    RECT window = {};
    ::GetWindowRect(picker, &window);
    if (overlap > 0) {
        ::SetWindowPos(picker, nullptr, 0, 0, window.right - window.left + overlap, window.bottom - window.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// Keeps the extra button kGapToOk pixels left of OK, OK's top and height, its own width.
void FolderBrowseDialog::PlaceExtraButton(HWND picker) {
    HWND ok = ::GetDlgItem(picker, IDOK);
    if (!ok || !m_extraButton) return;
    RECT okRect = ChildRect(picker, ok);
    RECT buttonRect = ChildRect(picker, m_extraButton);
    int width = buttonRect.right - buttonRect.left;
    ::MoveWindow(m_extraButton, okRect.left - kGapToOk - width, okRect.top, width, okRect.bottom - okRect.top, TRUE);
}

LRESULT CALLBACK FolderBrowseDialog::PickerProc(HWND picker, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC previous = g_previousProc;
    if (!previous) return ::DefDlgProcW(picker, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // The picker goes away: give it back its own procedure.
        ::SetWindowLongPtrW(picker, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        g_previousProc = nullptr;
        return ::CallWindowProcW(previous, picker, message, wParam, lParam);
    }
    if (!g_handler || !g_current) return ::CallWindowProcW(previous, picker, message, wParam, lParam);

    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == kExtraButtonId) return g_handler(picker, message, wParam, lParam);
        break;
    case WM_SIZE:
        if (wParam == SIZE_RESTORED) {
            LRESULT result = ::CallWindowProcW(previous, picker, message, wParam, lParam);
            g_current->PlaceExtraButton(picker);
            return result;
        }
        break;
    case WM_GETMINMAXINFO:
        if (lParam && g_current->m_extraButton) {
            LRESULT result = ::CallWindowProcW(previous, picker, message, wParam, lParam);
            RECT buttonRect = ChildRect(picker, g_current->m_extraButton);
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize.x +=
                (buttonRect.right - buttonRect.left) + kExtraMinimumWidth;
            ::InvalidateRect(g_current->m_extraButton, nullptr, TRUE);
            return result;
        }
        break;
    default:
        break;
    }
    return ::CallWindowProcW(previous, picker, message, wParam, lParam);
}
