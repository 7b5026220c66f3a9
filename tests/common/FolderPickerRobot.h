// UI robot steps for the shell's folder picker ("Browse for Folder") that the plug-in opens.
#pragma once

#include "tests/common/UiRobot.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <shlobj.h>

#include <string>

namespace testing_support {

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

// Selects folder in the open picker and confirms it; empty folder cancels the picker. True once
// the picker has closed. The selection is made again until the tree has shown it for a while:
// the picker may still be filling its tree when it becomes visible, and its own selection of
// the start folder may come after ours (seen on a loaded machine).
inline bool AnswerPicker(UiRobot& r, const std::wstring& folder) {
    HWND picker = r.WaitForWindow(L"#32770", kPickerCaption);
    if (!picker) return false;
    if (folder.empty()) {
        r.Click(picker, IDCANCEL);
    } else {
        std::wstring leaf = folder.substr(folder.find_last_of(L'\\') + 1);
        constexpr int kStableChecks = 5;
        int stable = 0;
        for (int attempt = 0; attempt < 200 && stable < kStableChecks; ++attempt) {
            if (SelectedFolderName(picker) == leaf) {
                ++stable;
            } else {
                stable = 0;
                // Wine's picker fills its tree lazily, as it paints: let it paint what it has
                // before each try, so that a selection that found no item yet can find it.
                ::RedrawWindow(picker, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
                DWORD_PTR ignored = 0;
                ::SendMessageTimeoutW(picker, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()),
                                      SMTO_BLOCK, 5000, &ignored);
            }
            ::Sleep(50);
        }
        EXPECT_EQ(SelectedFolderName(picker), leaf);
        r.Click(picker, IDOK);
    }
    return r.WaitForClose(picker);
}

}  // namespace testing_support
