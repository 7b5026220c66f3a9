// Helpers of the error-dialog and rename-warning tests: a destination whose folder choice is the
// plug-in's real folder picker, and the robot's steps for the picker and for mnemonics.
#pragma once

#include "tests/common/FolderPickerRobot.h"
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

using testing_support::AnswerPicker;
using testing_support::kPickerCaption;
using testing_support::SelectedFolderName;

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
