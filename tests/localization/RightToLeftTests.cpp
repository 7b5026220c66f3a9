#include "support/Localization.h"
#include "support/MessageTexts.h"

#include "tests/localization/LocalizationFixtures.h"

#include <gtest/gtest.h>

#include <thread>

using loc_test::BoundWithShippedFile;

namespace {

struct SeenMessageBox {
    bool found = false;
    LONG exStyle = 0;
    DWORD boxStyle = 0;  // the style the platform built the box from
    bool sawInitDialog = false;
    std::wstring caption;
    std::wstring text;
};

struct SearchState {
    DWORD threadId;
    HWND window;
};

BOOL CALLBACK FindDialogOfThread(HWND window, LPARAM parameter) {
    auto* state = reinterpret_cast<SearchState*>(parameter);
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    if (::GetWindowThreadProcessId(window, nullptr) == state->threadId && std::wstring(className) == L"#32770" &&
        ::IsWindowVisible(window)) {
        state->window = window;
        return FALSE;
    }
    return TRUE;
}

std::wstring WindowText(HWND window) {
    wchar_t text[1024] = {};
    ::GetWindowTextW(window, text, 1024);
    return text;
}

// Waits on another thread for the message box of the given thread, reads it and presses OK.
std::thread AnswerMessageBox(DWORD threadId, SeenMessageBox& seen) {
    return std::thread([threadId, &seen] {
        for (int attempt = 0; attempt < 1000 && !seen.found; ++attempt) {
            SearchState state{threadId, nullptr};
            ::EnumWindows(FindDialogOfThread, reinterpret_cast<LPARAM>(&state));
            if (state.window) {
                seen.found = true;
                seen.exStyle = ::GetWindowLongW(state.window, GWL_EXSTYLE);
                seen.caption = WindowText(state.window);
                seen.text = WindowText(::GetDlgItem(state.window, 0xFFFF));

                ::PostMessageW(state.window, WM_COMMAND, IDOK, 0);
                return;
            }
            ::Sleep(20);
        }
    });
}

// The message box's dialog receives the box's parameters with WM_INITDIALOG; a hook on the
// showing thread reads the style from there. Not every platform reflects MB_RTLREADING in
// the window styles, but every one builds the box from these parameters.
SeenMessageBox* g_hooked = nullptr;

LRESULT CALLBACK ReadInitDialog(int code, WPARAM wParam, LPARAM lParam) {
    auto* message = reinterpret_cast<CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && g_hooked && message->message == WM_INITDIALOG && message->lParam) {
        auto* parameters = reinterpret_cast<const MSGBOXPARAMSW*>(message->lParam);
        if (parameters->cbSize == sizeof(MSGBOXPARAMSW)) {
            g_hooked->sawInitDialog = true;
            g_hooked->boxStyle = parameters->dwStyle;
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

SeenMessageBox ShowAndAnswer(const std::wstring& text, const std::wstring& caption, int& result) {
    SeenMessageBox seen;
    g_hooked = &seen;
    HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROC, ReadInitDialog, nullptr, ::GetCurrentThreadId());
    EXPECT_NE(hook, nullptr);
    std::thread answerer = AnswerMessageBox(::GetCurrentThreadId(), seen);
    result = ShowMessage(nullptr, text, caption, MB_OK);
    answerer.join();
    if (hook) ::UnhookWindowsHookEx(hook);
    g_hooked = nullptr;
    return seen;
}

}  // namespace

TEST_F(BoundWithShippedFile, OnlyArabicSaudiArabiaReadsRightToLeft) {
    struct Case {
        LANGID locale;
        bool rightToLeft;
    } cases[] = {{1025, true}, {1037, false}, {2049, false}, {1041, false}, {1033, false}};
    for (const Case& c : cases) {
        SetCurrentLocale(c.locale);
        EXPECT_EQ(IsRightToLeft(), c.rightToLeft) << c.locale;
        EXPECT_EQ(RightToLeftReadingFlag(), c.rightToLeft ? static_cast<UINT>(MB_RTLREADING | MB_RIGHT) : 0u) << c.locale;
    }
}

TEST_F(BoundWithShippedFile, ArabicMessageBoxReadsRightToLeft) {
    SetCurrentLocale(1025);
    int result = 0;
    SeenMessageBox seen = ShowAndAnswer(texts::FileCannotBeSaved(), texts::Error(), result);
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(seen.caption, L"خطأ");
    EXPECT_EQ(seen.text, L"لا يمكن حفظ الملف.");
    ASSERT_TRUE(seen.sawInitDialog);
    // Read right to left and aligned to the right.
    EXPECT_EQ(seen.boxStyle & (MB_RTLREADING | MB_RIGHT), static_cast<DWORD>(MB_RTLREADING | MB_RIGHT))
        << std::hex << seen.boxStyle;
    EXPECT_EQ(seen.boxStyle & MB_TYPEMASK, static_cast<DWORD>(MB_OK)) << "the caller's style is kept";
}

TEST_F(BoundWithShippedFile, JapaneseMessageBoxReadsLeftToRight) {
    SetCurrentLocale(1041);
    int result = 0;
    SeenMessageBox seen = ShowAndAnswer(texts::ErrorOccured(), texts::Error(), result);
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(seen.caption, L"エラー");
    EXPECT_EQ(seen.text, L"エラーが発生しました。");
    ASSERT_TRUE(seen.sawInitDialog);
    EXPECT_EQ(seen.boxStyle & (MB_RTLREADING | MB_RIGHT), 0u) << std::hex << seen.boxStyle;
    EXPECT_EQ(seen.exStyle & (WS_EX_LAYOUTRTL | WS_EX_RTLREADING), 0) << std::hex << seen.exStyle;
}
