// The error dialog as a real window: its texts, how each way of closing it ends, the Setting
// button with the real folder picker, the asker that error triggers use, and a trigger's run.
#include "destination/PluginDestinationBrellix.h"
#include "resources/resource.h"
#include "send/PluginErrorTrigger.h"
#include "send/SendStatus.h"
#include "support/ResultCodes.h"
#include "tests/common/TestSupport.h"
#include "tests/common/UiRobot.h"
#include "tests/errdialogs/ErrDialogsTestSupport.h"
#include "ui/PluginErrorDialog.h"
#include "ui/PluginErrorDialogAsker.h"

#include <gtest/gtest.h>

#include <functional>

using errdialogs_tests::AnswerPicker;
using errdialogs_tests::PickerDestination;
using errdialogs_tests::PressMnemonic;
using testing_support::ScratchFolder;

namespace {

const wchar_t kMessage[] = L"The file cannot be saved.Access denied.\r\n";
const wchar_t kApplicationName[] = L"errdialogs_tests";

// One way of closing the open error dialog, and the end code it gives.
struct Closing {
    const char* name;
    std::function<void(UiRobot&, HWND)> close;
    INT_PTR endCode;
};

const Closing kClosings[] = {
    {"RetryButton", [](UiRobot& r, HWND d) { r.PressButton(d, IDC_RETRY); }, IDRETRY},
    {"AbortButton", [](UiRobot& r, HWND d) { r.PressButton(d, IDC_ABORT); }, IDABORT},
    {"EnterPressesRetryWhichHasTheFocus", [](UiRobot& r, HWND d) { r.PressKey(d, VK_RETURN); }, IDRETRY},
    {"TabThenEnterPressesAbort",
     [](UiRobot& r, HWND d) {
         r.PressKey(d, VK_TAB);
         r.PressKey(d, VK_RETURN);
     },
     IDABORT},
    {"AltR", [](UiRobot&, HWND d) { PressMnemonic(d, L'r'); }, IDRETRY},
    {"AltA", [](UiRobot&, HWND d) { PressMnemonic(d, L'a'); }, IDABORT},
    {"Escape", [](UiRobot& r, HWND d) { r.PressKey(d, VK_ESCAPE); }, IDCANCEL},
    {"CloseBox", [](UiRobot& r, HWND d) { r.CloseBox(d); }, IDCANCEL},
};

class ErrorDialogClosing : public ::testing::TestWithParam<Closing> {};

TEST_P(ErrorDialogClosing, EndsWithItsCode) {
    const Closing& c = GetParam();
    ScratchFolder folder;
    PickerDestination destination(folder.Path());
    PluginErrorDialog dialog(nullptr);
    ASSERT_EQ(dialog.SetMessage(kMessage, &destination), 0);
    UiRobot robot([&](UiRobot& r) {
        HWND window = r.WaitForWindow(L"#32770", L"Error");
        c.close(r, window);
        r.WaitForClose(window);
    });
    EXPECT_EQ(dialog.DoModal(), c.endCode);
    robot.Join();
    EXPECT_EQ(destination.dialogCalls, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, ErrorDialogClosing, ::testing::ValuesIn(kClosings),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ErrorDialog, ShowsTheMessageAndTheButtonTexts) {
    ScratchFolder folder;
    PickerDestination destination(folder.Path());
    PluginErrorDialog dialog(nullptr);
    ASSERT_EQ(dialog.SetMessage(kMessage, &destination), 0);
    UiRobot robot([&](UiRobot& r) {
        HWND window = r.WaitForWindow(L"#32770", L"Error");
        EXPECT_EQ(r.Text(window, IDC_ERROR_MESSAGE), kMessage);
        EXPECT_EQ(r.Text(window, IDC_RETRY), L"&Retry");
        EXPECT_EQ(r.Text(window, IDC_ABORT), L"&Abort");
        EXPECT_EQ(r.Text(window, IDC_SETTING), L"&Setting...");
        for (int button : {IDC_RETRY, IDC_ABORT, IDC_SETTING}) {
            EXPECT_EQ(r.Style(::GetDlgItem(window, button)) & WS_TABSTOP, WS_TABSTOP) << button;
        }
        // The focus starts on the first button.
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        ASSERT_TRUE(::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info));
        EXPECT_EQ(info.hwndFocus, ::GetDlgItem(window, IDC_RETRY));
        r.Screenshot(L"error-dialog-en", window);
        r.PressButton(window, IDC_ABORT);
        r.WaitForClose(window);
    });
    EXPECT_EQ(dialog.DoModal(), IDABORT);
    robot.Join();
}

TEST(ErrorDialog, WithoutADestinationTheMessageIsNotSet) {
    PluginErrorDialog dialog(nullptr);
    EXPECT_EQ(dialog.SetMessage(kMessage, nullptr), result::kBadArguments);
    // Not set: "Error occured." instead of the dialog, and 5.
    UiRobot robot([](UiRobot& r) {
        UiRobot::MessageBoxSeen box = r.AnswerMessageBox(kApplicationName, IDOK);
        EXPECT_EQ(box.text, L"Error occured.");
        EXPECT_EQ(UiRobot::FindWindowOfProcess(L"#32770", L"Error"), nullptr);
    });
    EXPECT_EQ(dialog.DoModal(), 5);
    robot.Join();
}

TEST(ErrorDialog, SettingWithAChosenFolderRetriesIntoIt) {
    ScratchFolder folder;
    ScratchFolder chosen;
    PickerDestination destination(folder.Path());
    PluginErrorDialog dialog(nullptr);
    ASSERT_EQ(dialog.SetMessage(kMessage, &destination), 0);
    UiRobot robot([&](UiRobot& r) {
        HWND window = r.WaitForWindow(L"#32770", L"Error");
        r.PressButton(window, IDC_SETTING);
        HWND picker = r.WaitForWindow(L"#32770", errdialogs_tests::kPickerCaption);
        // The picker belongs to the error dialog, which cannot be pressed while the picker is open.
        EXPECT_FALSE(::IsWindowEnabled(window));
        EXPECT_EQ(::GetWindow(picker, GW_OWNER), window);
        r.Screenshot(L"error-dialog-setting-picker", picker);
        AnswerPicker(r, chosen.Path());
        r.WaitForClose(window);
    });
    EXPECT_EQ(dialog.DoModal(), IDRETRY);
    robot.Join();
    EXPECT_EQ(destination.dialogCalls, 1);
    EXPECT_EQ(destination.lastIgnored, 1);
    EXPECT_EQ(destination.Folder(), chosen.Path());
    EXPECT_NE(destination.lastOwner, nullptr);
}

// The job's real destination: Setting runs its folder dialog, and the folder it holds is the
// one chosen; a cancelled picker leaves it as it was.
TEST(ErrorDialog, SettingChangesTheFolderOfTheJobsDestination) {
    ScratchFolder settingsBase;
    ScratchFolder folder;
    ScratchFolder chosen;
    for (bool choose : {false, true}) {
        PluginDestinationBrellix destination(settingsBase.Path());
        destination.SetFolder(folder.Path());
        PluginErrorDialog dialog(nullptr);
        ASSERT_EQ(dialog.SetMessage(kMessage, &destination), 0);
        UiRobot robot([&](UiRobot& r) {
            HWND window = r.WaitForWindow(L"#32770", L"Error");
            r.PressButton(window, IDC_SETTING);
            AnswerPicker(r, choose ? chosen.Path() : std::wstring());
            if (!choose) r.PressButton(window, IDC_ABORT);
            r.WaitForClose(window);
        });
        EXPECT_EQ(dialog.DoModal(), choose ? IDRETRY : IDABORT);
        robot.Join();
        EXPECT_EQ(destination.GetFolder().GetPath(), choose ? chosen.Path() : folder.Path()) << choose;
    }
}

TEST(ErrorDialog, CancelledSettingLeavesTheDialogOpen) {
    ScratchFolder folder;
    PickerDestination destination(folder.Path());
    PluginErrorDialog dialog(nullptr);
    ASSERT_EQ(dialog.SetMessage(kMessage, &destination), 0);
    UiRobot robot([&](UiRobot& r) {
        HWND window = r.WaitForWindow(L"#32770", L"Error");
        PressMnemonic(window, L's');  // Alt+S: Setting
        AnswerPicker(r, std::wstring());
        // Still open and usable: Setting again, cancelled again, then Abort.
        EXPECT_TRUE(::IsWindowVisible(window));
        r.PressButton(window, IDC_SETTING);
        AnswerPicker(r, std::wstring());
        EXPECT_TRUE(::IsWindowVisible(window));
        r.PressButton(window, IDC_ABORT);
        r.WaitForClose(window);
    });
    EXPECT_EQ(dialog.DoModal(), IDABORT);
    robot.Join();
    EXPECT_EQ(destination.dialogCalls, 2);
    EXPECT_EQ(destination.Folder(), folder.Path());
}

// The asker answers what the dialog ended with.
struct AskerCase {
    const char* name;
    int button;  // 0: Esc
    int expected;
};

const AskerCase kAskerCases[] = {
    {"Retry", IDC_RETRY, IDRETRY},
    {"Abort", IDC_ABORT, IDABORT},
    {"Escape", 0, IDCANCEL},
};

class ErrorDialogAsker : public ::testing::TestWithParam<AskerCase> {};

TEST_P(ErrorDialogAsker, AnswersTheEndCode) {
    const AskerCase& c = GetParam();
    ScratchFolder folder;
    PickerDestination destination(folder.Path());
    PluginErrorDialogAsker asker;
    UiRobot robot([&](UiRobot& r) {
        HWND window = r.WaitForWindow(L"#32770", L"Error");
        EXPECT_EQ(r.Text(window, IDC_ERROR_MESSAGE), L"asked");
        if (c.button) {
            r.PressButton(window, c.button);
        } else {
            r.PressKey(window, VK_ESCAPE);
        }
        r.WaitForClose(window);
    });
    EXPECT_EQ(asker.AskUser(nullptr, L"asked", &destination), c.expected);
    robot.Join();
}

INSTANTIATE_TEST_SUITE_P(Cases, ErrorDialogAsker, ::testing::ValuesIn(kAskerCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ErrorDialogAsker, SettingWithAChosenFolderAnswersRetry) {
    ScratchFolder folder;
    ScratchFolder chosen;
    PickerDestination destination(folder.Path());
    PluginErrorDialogAsker asker;
    UiRobot robot([&](UiRobot& r) {
        HWND window = r.WaitForWindow(L"#32770", L"Error");
        r.PressButton(window, IDC_SETTING);
        AnswerPicker(r, chosen.Path());
        r.WaitForClose(window);
    });
    EXPECT_EQ(asker.AskUser(nullptr, L"asked", &destination), IDRETRY);
    robot.Join();
    EXPECT_EQ(destination.Folder(), chosen.Path());
}

TEST(ErrorDialogAsker, WithoutADestinationNothingIsShownAnd160) {
    PluginErrorDialogAsker asker;
    EXPECT_EQ(asker.AskUser(nullptr, L"asked", nullptr), result::kBadArguments);
}

// A trigger for a failed copy (access denied) run on this thread, as the progress dialog does.
struct TriggerCase {
    const char* name;
    int button;
    int decision;
};

const TriggerCase kTriggerCases[] = {
    {"RetryDecidesRetry", IDC_RETRY, send_status::kRetry},
    {"AbortDecidesAbort", IDC_ABORT, send_status::kAbort},
    {"EscapeDecidesAbort", 0, send_status::kAbort},
};

class ErrorTriggerWithDialog : public ::testing::TestWithParam<TriggerCase> {};

TEST_P(ErrorTriggerWithDialog, ShowsTheSystemTextAndDecides) {
    const TriggerCase& c = GetParam();
    ScratchFolder folder;
    PickerDestination destination(folder.Path());
    PluginErrorDialogAsker asker;
    PluginErrorTrigger trigger(ERROR_ACCESS_DENIED, &destination, &asker);
    std::wstring expectedMessage = PluginErrorTrigger::MessageFor(ERROR_ACCESS_DENIED);
    UiRobot robot([&](UiRobot& r) {
        HWND window = r.WaitForWindow(L"#32770", L"Error");
        std::wstring shown = r.Text(window, IDC_ERROR_MESSAGE);
        EXPECT_EQ(shown, expectedMessage);
        EXPECT_EQ(shown.rfind(L"The file cannot be saved.", 0), 0u);
        EXPECT_GT(shown.size(), std::wstring(L"The file cannot be saved.").size());
        if (c.button) {
            r.PressButton(window, c.button);
        } else {
            r.PressKey(window, VK_ESCAPE);
        }
        r.WaitForClose(window);
    });
    EXPECT_EQ(trigger.Run(nullptr), 0);
    robot.Join();
    EXPECT_EQ(trigger.GetStatus(), c.decision);
    // The worker is released with the decision.
    EXPECT_EQ(trigger.Send(nullptr, false), c.decision);
}

INSTANTIATE_TEST_SUITE_P(Cases, ErrorTriggerWithDialog, ::testing::ValuesIn(kTriggerCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
