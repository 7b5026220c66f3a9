// The folder picker as a real window: preselected folder, OK and Cancel, the Help button,
// its place on resize, the minimum width, the dialog font and one picker at a time.
#include "support/Localization.h"
#include "support/PluginHelp.h"
#include "support/Raii.h"
#include "tests/common/TestSupport.h"
#include "tests/common/FolderPickerRobot.h"
#include "tests/common/UiRobot.h"
#include "ui/CPluginBaseDialog.h"
#include "ui/FolderBrowseDialog.h"
#include "ui/PluginFolderBrowseDialog.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const wchar_t kPickerCaption[] = L"Browse for Folder";

// The real help object with ShowHelp recorded instead of opening a help file.
class RecordingHelp : public PluginHelp {
public:
    RecordingHelp() : PluginHelp(L"ScanToBrellix", L"PluginForBrellix.dll") {}
    void ShowHelp(HWND owner, int locale) override { calls.push_back({owner, locale}); }
    struct Call {
        HWND owner;
        int locale;
    };
    std::vector<Call> calls;
};

class FolderPicker : public ::testing::Test {
protected:
    raii::ComApartment m_com{COINIT_APARTMENTTHREADED};
    testing_support::ScratchFolder m_scratch;
};

HWND WaitForPicker(UiRobot& r) {
    HWND picker = r.WaitForWindow(L"#32770", kPickerCaption);
    // The picker selects the folder after BFFM_INITIALIZED; OK is there from the start.
    if (picker) ::Sleep(200);
    return picker;
}

bool HasChildWithText(HWND window, const std::wstring& text) {
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (UiRobot::WindowText(child) == text) return true;
    }
    return false;
}

// No other button of the picker lies under the extra button (and none of it outside the picker).
void ExpectHelpButtonClear(HWND picker, HWND button) {
    RECT help = UiRobot::ChildRect(picker, button);
    EXPECT_GE(help.left, 0);
    for (HWND child = ::GetWindow(picker, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (child == button || UiRobot::ClassName(child) != L"Button") continue;
        RECT other = UiRobot::ChildRect(picker, child);
        bool sameRow = other.top < help.bottom && other.bottom > help.top;
        EXPECT_FALSE(sameRow && other.left < help.right && other.right > help.left)
            << "covers \"" << testing::PrintToString(UiRobot::WindowText(child)) << "\"";
    }
}

TEST_F(FolderPicker, OpensOnTheGivenFolderAndOkReturnsIt) {
    std::wstring chosen = m_scratch / L"Chosen folder";
    ASSERT_TRUE(::CreateDirectoryW(chosen.c_str(), nullptr));
    PluginFolderBrowseDialog dialog;
    EXPECT_EQ(dialog.Result(), 5);
    EXPECT_EQ(dialog.Prepare(nullptr, L"Please select Brellix folder.", nullptr), 0);
    UiRobot robot([](UiRobot& r) {
        HWND picker = WaitForPicker(r);
        EXPECT_TRUE(HasChildWithText(picker, L"Please select Brellix folder."));
        // Confirm only once the tree shows the start folder (a loaded machine may be slower).
        for (int i = 0; i < 250 && testing_support::SelectedFolderName(picker) != L"Chosen folder"; ++i) ::Sleep(20);
        r.Screenshot(L"folder-picker-no-help-en", picker);
        r.Click(picker, IDOK);
    });
    std::wstring path = chosen;
    EXPECT_EQ(dialog.Browse(path), 1);
    robot.Join();
    EXPECT_EQ(dialog.Result(), 1);
    EXPECT_EQ(path, chosen);
}

TEST_F(FolderPicker, CancelReturnsTwoAndKeepsThePath) {
    PluginFolderBrowseDialog dialog;
    EXPECT_EQ(dialog.Prepare(nullptr, L"Title", nullptr), 0);
    UiRobot robot([](UiRobot& r) { r.Click(WaitForPicker(r), IDCANCEL); });
    std::wstring path = m_scratch.Path();
    EXPECT_EQ(dialog.Browse(path), 2);
    robot.Join();
    EXPECT_EQ(dialog.Result(), 2);
    EXPECT_EQ(path, m_scratch.Path());
}

TEST_F(FolderPicker, WithoutHelpObjectThereIsNoHelpButton) {
    PluginFolderBrowseDialog dialog;
    EXPECT_EQ(dialog.Prepare(nullptr, L"Title", nullptr), 0);
    UiRobot robot([](UiRobot& r) {
        HWND picker = WaitForPicker(r);
        EXPECT_EQ(::GetDlgItem(picker, FolderBrowseDialog::kExtraButtonId), nullptr);
        r.Click(picker, IDCANCEL);
    });
    std::wstring path = m_scratch.Path();
    EXPECT_EQ(dialog.Browse(path), 2);
    robot.Join();
}

TEST_F(FolderPicker, HelpButtonSitsLeftOfOkAndCallsHelpWithThePickerAsOwner) {
    RecordingHelp help;
    HWND shownPicker = nullptr;
    PluginFolderBrowseDialog dialog;
    EXPECT_EQ(dialog.Prepare(nullptr, L"Title", &help), 0);
    UiRobot robot([&](UiRobot& r) {
        HWND picker = WaitForPicker(r);
        shownPicker = picker;
        HWND button = ::GetDlgItem(picker, FolderBrowseDialog::kExtraButtonId);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(r.WindowText(button), L"&Help");
        EXPECT_EQ(r.Style(button) & (WS_VISIBLE | WS_TABSTOP | BS_TYPEMASK), LONG_PTR(WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON));
        RECT ok = r.ChildRect(picker, ::GetDlgItem(picker, IDOK));
        RECT help = r.ChildRect(picker, button);
        EXPECT_EQ(help.right, ok.left - 8);
        EXPECT_EQ(help.left, ok.left - 98);
        EXPECT_EQ(help.top, ok.top);
        EXPECT_EQ(help.bottom, ok.bottom);
        ExpectHelpButtonClear(picker, button);
        // In the tab order right after control 14150 when the picker has it.
        if (HWND before = ::GetDlgItem(picker, 14150)) {
            EXPECT_EQ(::GetWindow(before, GW_HWNDNEXT), button);
        }
        // The dialog font on every child, the new button included.
        std::wstring okFace, buttonFace;
        LONG okHeight = 0, buttonHeight = 0;
        EXPECT_TRUE(r.WindowFont(::GetDlgItem(picker, IDOK), okFace, okHeight));
        EXPECT_TRUE(r.WindowFont(button, buttonFace, buttonHeight));
        std::wstring face;
        int size = 0;
        ASSERT_TRUE(DialogFontFromLocale(face, size));
        EXPECT_EQ(okFace, face);
        EXPECT_EQ(buttonFace, face);
        r.Screenshot(L"folder-picker-en", picker);

        r.Click(picker, FolderBrowseDialog::kExtraButtonId);
        r.Click(picker, IDCANCEL);
    });
    std::wstring path = m_scratch.Path();
    EXPECT_EQ(dialog.Browse(path), 2);
    robot.Join();
    ASSERT_EQ(help.calls.size(), 1u);
    EXPECT_EQ(help.calls[0].owner, shownPicker);
    EXPECT_EQ(help.calls[0].locale, CurrentLocale());
}

// The picker's own minimum tracking width, asked of a picker without the extra button.
LONG MinimumTrackWidth(HWND picker) {
    MINMAXINFO limits = {};
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(picker, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits), SMTO_BLOCK, 5000, &ignored);
    return limits.ptMinTrackSize.x;
}

TEST_F(FolderPicker, ResizingKeepsHelpNextToOkAndWidensTheMinimum) {
    LONG plainMinimum = 0;
    {
        PluginFolderBrowseDialog plain;
        EXPECT_EQ(plain.Prepare(nullptr, L"Title", nullptr), 0);
        UiRobot robot([&](UiRobot& r) {
            HWND picker = WaitForPicker(r);
            plainMinimum = MinimumTrackWidth(picker);
            r.Click(picker, IDCANCEL);
        });
        std::wstring path = m_scratch.Path();
        EXPECT_EQ(plain.Browse(path), 2);
        robot.Join();
    }
    RecordingHelp help;
    PluginFolderBrowseDialog dialog;
    EXPECT_EQ(dialog.Prepare(nullptr, L"Title", &help), 0);
    UiRobot robot([&](UiRobot& r) {
        HWND picker = WaitForPicker(r);
        HWND button = ::GetDlgItem(picker, FolderBrowseDialog::kExtraButtonId);
        ASSERT_NE(button, nullptr);
        RECT before = r.ChildRect(picker, button);
        RECT window = {};
        ::GetWindowRect(picker, &window);
        ::SetWindowPos(picker, nullptr, 0, 0, window.right - window.left + 150, window.bottom - window.top + 60,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT ok = r.ChildRect(picker, ::GetDlgItem(picker, IDOK));
        RECT after = r.ChildRect(picker, button);
        EXPECT_NE(after.left, before.left) << "OK moved with the resize; so must Help";
        EXPECT_EQ(after.right, ok.left - 8);
        EXPECT_EQ(after.top, ok.top);
        EXPECT_EQ(after.bottom, ok.bottom);
        EXPECT_EQ(after.right - after.left, before.right - before.left);
        EXPECT_EQ(MinimumTrackWidth(picker), plainMinimum + (after.right - after.left) + 50);
        r.Click(picker, IDCANCEL);
    });
    std::wstring path = m_scratch.Path();
    EXPECT_EQ(dialog.Browse(path), 2);
    robot.Join();
}

// ---- The general wrapper --------------------------------------------------------------------

LRESULT CountingHandler(HWND, UINT, WPARAM, LPARAM) { return 0; }

TEST_F(FolderPicker, OptionsRules) {
    FolderBrowseDialog picker;
    std::wstring longest(MAX_PATH - 1, L'a');
    std::wstring tooLong(MAX_PATH, L'a');
    FontChoice noFace{L"", 9};
    FontChoice font{L"Tahoma", 9};
    EXPECT_EQ(picker.SetOptions(nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(picker.SetOptions(nullptr, nullptr, &longest, nullptr), 0);
    EXPECT_EQ(picker.SetOptions(nullptr, nullptr, &tooLong, &font), 160);
    EXPECT_EQ(picker.SetOptions(nullptr, nullptr, nullptr, &noFace), 160);
    EXPECT_EQ(picker.SetOptions(nullptr, nullptr, nullptr, &font), 0);
    EXPECT_EQ(picker.SetExtraButton(L"&Help", nullptr), 160);
    EXPECT_EQ(picker.SetExtraButton(L"&Help", CountingHandler), 0);
}

// A translated "&Help" wider than the button widens it to the left; OK stays where it was.
TEST_F(FolderPicker, LongButtonTextWidensTheButtonToTheLeft) {
    FolderBrowseDialog picker;
    std::wstring text = L"&Help with a rather long translated label";
    FontChoice font{L"Tahoma", 9};
    std::wstring folder = m_scratch.Path();
    EXPECT_EQ(picker.SetOptions(nullptr, nullptr, &folder, &font), 0);
    EXPECT_EQ(picker.SetExtraButton(text, CountingHandler), 0);
    UiRobot robot([&](UiRobot& r) {
        HWND picker = WaitForPicker(r);
        HWND button = ::GetDlgItem(picker, FolderBrowseDialog::kExtraButtonId);
        ASSERT_NE(button, nullptr);
        RECT ok = r.ChildRect(picker, ::GetDlgItem(picker, IDOK));
        RECT help = r.ChildRect(picker, button);
        EXPECT_EQ(help.right, ok.left - 8);
        EXPECT_GT(help.right - help.left, 90);
        ExpectHelpButtonClear(picker, button);
        r.Screenshot(L"folder-picker-long-help", picker);
        r.Click(picker, IDCANCEL);
    });
    std::wstring path = L"unchanged";
    EXPECT_EQ(picker.Browse(path), 2);
    robot.Join();
    EXPECT_EQ(path, L"unchanged");
}

// Only one picker at a time: a second one asked for while the first is open is refused.
std::vector<int> g_nestedResults;
LRESULT OpenSecondPicker(HWND, UINT, WPARAM, LPARAM) {
    FolderBrowseDialog second;
    std::wstring path;
    g_nestedResults.push_back(second.Browse(path));
    return 0;
}

TEST_F(FolderPicker, ASecondPickerWhileOneIsOpenIsRefused) {
    g_nestedResults.clear();
    FolderBrowseDialog picker;
    EXPECT_EQ(picker.SetExtraButton(L"&Help", OpenSecondPicker), 0);
    UiRobot robot([](UiRobot& r) {
        HWND picker = WaitForPicker(r);
        r.Click(picker, FolderBrowseDialog::kExtraButtonId);
        r.Click(picker, IDCANCEL);
    });
    std::wstring path;
    EXPECT_EQ(picker.Browse(path), 2);
    robot.Join();
    EXPECT_EQ(g_nestedResults, std::vector<int>{2});
}

}  // namespace
