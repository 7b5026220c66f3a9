// A test thread's hands on the dialogs of this process: finds a top-level dialog of the
// process by a control it holds or by its text, reads its controls and presses buttons the
// way a user would (posted commands, so the dialog's own thread does the work).
#pragma once

#include <windows.h>

#include <chrono>
#include <string>
#include <thread>

namespace dialog_robot {

struct Search {
    int controlId = 0;           // a control the dialog must hold (0: any)
    std::wstring textContains;   // text some child or the caption must contain (empty: any)
    HWND found = nullptr;
};

inline std::wstring WindowText(HWND window) {
    int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = ::GetWindowTextW(window, &text[0], length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

inline std::wstring ControlText(HWND dialog, int controlId) { return WindowText(::GetDlgItem(dialog, controlId)); }

inline BOOL CALLBACK ChildHasText(HWND child, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (WindowText(child).find(search->textContains) != std::wstring::npos) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}

inline BOOL CALLBACK ConsiderWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process != ::GetCurrentProcessId() || !::IsWindowVisible(window)) return TRUE;
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    if (std::wstring(className) != L"#32770") return TRUE;
    if (search->controlId != 0 && !::GetDlgItem(window, search->controlId)) return TRUE;
    if (!search->textContains.empty()) {
        Search inner{0, search->textContains, nullptr};
        if (WindowText(window).find(search->textContains) == std::wstring::npos) {
            ::EnumChildWindows(window, ChildHasText, reinterpret_cast<LPARAM>(&inner));
            if (!inner.found) return TRUE;
        }
    }
    search->found = window;
    return FALSE;
}

// The first visible dialog of this process that matches, waiting up to timeoutMs.
inline HWND FindDialog(int controlId, const std::wstring& textContains = std::wstring(), int timeoutMs = 20000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        Search search{controlId, textContains, nullptr};
        ::EnumWindows(ConsiderWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < end);
    return nullptr;
}

// Presses a button of a dialog (or a message box's IDYES/IDNO/IDOK).
inline void Press(HWND dialog, int controlId) {
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, controlId)));
}

// Waits until the window is gone.
inline bool WaitGone(HWND window, int timeoutMs = 20000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (::IsWindow(window)) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// The whole text of a message box or dialog: caption plus every child's text.
inline BOOL CALLBACK AppendChildText(HWND child, LPARAM param) {
    *reinterpret_cast<std::wstring*>(param) += WindowText(child) + L"\n";
    return TRUE;
}
inline std::wstring AllText(HWND dialog) {
    std::wstring text = WindowText(dialog) + L"\n";
    ::EnumChildWindows(dialog, AppendChildText, reinterpret_cast<LPARAM>(&text));
    return text;
}

}  // namespace dialog_robot
