// Helpers of the error-dialog and rename-warning tests: a destination whose folder choice is the
// plug-in's real folder picker, and the robot's steps for the picker and for mnemonics.
#pragma once

#include "tests/common/UiRobot.h"
#include "tests/send/TestDestination.h"
#include "ui/PluginFolderBrowseDialog.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <shlobj.h>

#include <string>

namespace errdialogs_tests {

// Chooses its folder again in the folder picker, as a job's destination does: the folder
// changes only when the picker was confirmed.
class PickerDestination : public TestDestination {
public:
    explicit PickerDestination(std::wstring folder) : TestDestination(folder), m_folder(std::move(folder)) {}

    int ReadDestinationFromDialog(int ignored, HWND owner) override {
        ++dialogCalls;
        lastIgnored = ignored;
        lastOwner = owner;
        PluginFolderBrowseDialog picker;
        (void)picker.Prepare(owner, L"Please select Brellix folder.", nullptr);
        std::wstring path = m_folder;
        int chosen = picker.Browse(path);
        if (chosen == 1) {
            m_folder = path;
            SetFolder(path);
        }
        return chosen;
    }

    const std::wstring& Folder() const { return m_folder; }

    int dialogCalls = 0;
    int lastIgnored = 0;
    HWND lastOwner = nullptr;

private:
    std::wstring m_folder;
};

constexpr wchar_t kPickerCaption[] = L"Browse for Folder";

// Text of the item selected in the picker's folder tree.
inline std::wstring SelectedFolderName(HWND picker) {
    HWND tree = ::FindWindowExW(picker, nullptr, WC_TREEVIEWW, nullptr);
    if (!tree) return std::wstring();
    DWORD_PTR selected = 0;
    ::SendMessageTimeoutW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0, SMTO_BLOCK, 5000, &selected);
    if (!selected) return std::wstring();
    wchar_t buffer[MAX_PATH] = {};
    TVITEMW item = {};
    item.mask = TVIF_TEXT;
    item.hItem = reinterpret_cast<HTREEITEM>(selected);
    item.pszText = buffer;
    item.cchTextMax = MAX_PATH;
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item), SMTO_BLOCK, 5000, &ignored);
    return buffer;
}

// Selects folder in the open picker and confirms it; empty folder cancels the picker. The
// selection is made again until the tree shows it: the picker may still be filling its tree
// when it becomes visible.
inline void AnswerPicker(UiRobot& r, const std::wstring& folder) {
    HWND picker = r.WaitForWindow(L"#32770", kPickerCaption);
    if (!picker) return;
    if (folder.empty()) {
        r.Click(picker, IDCANCEL);
    } else {
        std::wstring leaf = folder.substr(folder.find_last_of(L'\\') + 1);
        for (int attempt = 0; attempt < 100 && SelectedFolderName(picker) != leaf; ++attempt) {
            DWORD_PTR ignored = 0;
            ::SendMessageTimeoutW(picker, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()),
                                  SMTO_BLOCK, 5000, &ignored);
            ::Sleep(50);
        }
        EXPECT_EQ(SelectedFolderName(picker), leaf);
        r.Click(picker, IDOK);
    }
    r.WaitForClose(picker);
}

// Alt plus a letter, as the dialog manager sees it: WM_SYSCHAR to the control with the focus.
inline void PressMnemonic(HWND window, wchar_t letter) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    HWND target = window;
    if (::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) && info.hwndFocus) {
        target = info.hwndFocus;
    }
    constexpr LPARAM kAltDown = LPARAM(1) << 29;
    ::PostMessageW(target, WM_SYSCHAR, letter, kAltDown | 1);
}

}  // namespace errdialogs_tests
