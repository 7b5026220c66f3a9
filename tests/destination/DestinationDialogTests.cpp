#include "destination/PluginDestinationBrellix.h"
#include "tests/common/TestSupport.h"
#include "tests/common/FolderPickerRobot.h"
#include "tests/common/UiRobot.h"
#include "tests/common/CloudTestSupport.h"

#include <functional>

#include <gtest/gtest.h>

using testing_support::CloudRegistryState;
using testing_support::ScratchFolder;

namespace {

constexpr int kHelpButton = 100;

struct PickerView {
    bool helpButton = false;
    std::wstring helpText;
    bool titleShown = false;
};

// Sets *parameter when the child shows the picker's title text. A named CALLBACK function
// rather than a lambda: on i686 an enumeration callback must be __stdcall.
BOOL CALLBACK NoteTitleShown(HWND child, LPARAM parameter) {
    if (UiRobot::WindowText(child) == L"Please select Brellix folder.") *reinterpret_cast<bool*>(parameter) = true;
    return TRUE;
}

// Waits for the picker to finish opening (its Help button appears last), notes what it shows
// and closes it with the given command.
// With IDOK the picker is confirmed only once its tree shows selectedFolder: the picker selects
// its start folder after it has become visible.
std::function<void(UiRobot&)> CloseWith(int command, PickerView& view, const std::wstring& selectedFolder) {
    return [command, &view, selectedFolder](UiRobot& r) {
        HWND picker = r.WaitForWindow(L"#32770", L"Browse for Folder");
        for (int i = 0; i < 250 && picker && !::GetDlgItem(picker, kHelpButton); ++i) ::Sleep(20);
        HWND help = ::GetDlgItem(picker, kHelpButton);
        view.helpButton = help != nullptr;
        view.helpText = UiRobot::Text(picker, kHelpButton);
        ::EnumChildWindows(picker, NoteTitleShown, reinterpret_cast<LPARAM>(&view.titleShown));
        if (command == IDOK) {
            // Wine's picker fills its tree lazily and, on a fresh prefix, its own selection of
            // the start folder sometimes stops at a parent; select the folder again then.
            std::wstring leaf = selectedFolder.substr(selectedFolder.find_last_of(L'\\') + 1);
            for (int i = 0; i < 250 && testing_support::SelectedFolderName(picker) != leaf; ++i) {
                if (i >= 100 && i % 10 == 0) {
                    DWORD_PTR ignored = 0;
                    ::SendMessageTimeoutW(picker, BFFM_SETSELECTIONW, TRUE,
                                          reinterpret_cast<LPARAM>(selectedFolder.c_str()), SMTO_BLOCK, 5000,
                                          &ignored);
                }
                ::Sleep(20);
            }
        }
        r.Click(picker, command);
    };
}

}  // namespace

TEST(PluginDestinationFolderDialog, ConfirmTakesTheFolderAndCancelRestoresThePreviousOne) {
    raii::ComApartment apartment;  // the shell's folder picker needs it
    CloudRegistryState registry;
    ScratchFolder sync;
    ScratchFolder settings;
    ScratchFolder other;
    registry.SetSyncFolder(sync.Path());
    const std::wstring missing = other / L"gone";
    struct Case {
        const char* name;
        std::wstring before;
        int command;
        int expectedResult;
        std::wstring expectedPath;
    };
    const Case cases[] = {
        {"confirm an existing folder", other.Path(), IDOK, 1, other.Path()},
        {"cancel on an existing folder", other.Path(), IDCANCEL, 2, other.Path()},
        {"a missing folder opens at the sync folder", missing, IDOK, 1, sync.Path()},
        {"cancel restores the missing folder's text", missing, IDCANCEL, 2, missing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PluginDestinationBrellix destination(settings.Path());
        destination.SetFolder(c.before);
        PickerView view;
        UiRobot robot(CloseWith(c.command, view, c.expectedPath));
        EXPECT_EQ(destination.ReadDestinationFromDialog(0, nullptr), c.expectedResult);
        robot.Join();
        EXPECT_EQ(destination.GetFolder().GetPath(), c.expectedPath);
        EXPECT_TRUE(view.helpButton);
        EXPECT_EQ(view.helpText, L"&Help");
        EXPECT_TRUE(view.titleShown);
        EXPECT_FALSE(path_text::Exists(settings / L"Orvane")) << "the dialog writes no settings";
    }
}
