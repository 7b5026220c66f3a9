// The rename warning after a real batch: files sent with real folder senders into a folder that
// already holds one of their names, the list the dialog shows, and what is written back to a
// settings file in a scratch folder.
#include "resources/resource.h"
#include "send/PluginTarget.h"
#include "send/PluginTargetList.h"
#include "send/SendStatus.h"
#include "settings/PluginReader.h"
#include "settings/PluginSettingFile.h"
#include "settings/PluginWriter.h"
#include "support/MyGuid.h"
#include "support/ResultCodes.h"
#include "tests/common/TestSupport.h"
#include "tests/common/UiRobot.h"
#include "tests/send/SendTestSupport.h"
#include "tests/send/TestDestination.h"
#include "ui/PluginRenameWarning.h"

#include <gtest/gtest.h>
#include <commctrl.h>

#include <atomic>
#include <functional>
#include <vector>

using testing_support::ReadFileBytes;
using testing_support::ScratchFolder;
using testing_support::WriteFileBytes;

namespace {

const GUID kJob = {0x6a7b8c9d, 0x1e2f, 0x3041, {0x52, 0x63, 0x74, 0x85, 0x96, 0xa7, 0xb8, 0xc9}};
const wchar_t kApplicationName[] = L"errdialogs_tests";
const wchar_t kCaption[] = L"Renamed files";
using Rows = std::vector<std::vector<std::wstring>>;

std::wstring ColumnTitle(HWND list, int column) {
    wchar_t buffer[256] = {};
    LVCOLUMNW description = {};
    description.mask = LVCF_TEXT;
    description.pszText = buffer;
    description.cchTextMax = 256;
    ::SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&description));
    return buffer;
}

std::wstring ClipboardText() {
    std::wstring text;
    if (!::OpenClipboard(nullptr)) return text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = chars;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

// Polls until pred holds (the robot's clicks are posted); false after a few seconds.
bool Eventually(const std::function<bool()>& pred) {
    for (int i = 0; i < 250; ++i) {
        if (pred()) return true;
        ::Sleep(20);
    }
    return pred();
}

class RenameWarningTest : public ::testing::Test {
protected:
    // a.pdf, b.pdf and c.pdf sent into a destination that already holds b.pdf: three rows,
    // only the second saved under a new name.
    void SendBatch() {
        for (const wchar_t* name : {L"a.pdf", L"b.pdf", L"c.pdf"}) WriteFileBytes(m_sources / name, "scan");
        WriteFileBytes(m_destinationFolder / L"b.pdf", "already there");
        std::wstring listText = L"\xFEFF" + (m_sources / L"a.pdf") + L"\r\n" + (m_sources / L"b.pdf") + L"\r\n" +
                                (m_sources / L"c.pdf");
        WriteFileBytes(m_sources / L"files.txt", send_tests::Utf16Bytes(listText));
        ASSERT_EQ(m_targets.CreateFileList(m_sources / L"files.txt"), 0);
        TestDestination destination(m_destinationFolder.Path());
        for (int i = 0; i < m_targets.GetCount(); ++i) {
            (void)m_targets.GetFileAt(i)->Send(&destination, false);
        }
        ASSERT_EQ(m_targets.GetFileAt(0)->GetStatus(), send_status::kSaved);
        ASSERT_EQ(m_targets.GetFileAt(1)->GetStatus(), send_status::kSavedUnderNewName);
        ASSERT_EQ(m_targets.GetFileAt(2)->GetStatus(), send_status::kSaved);
    }

    std::wstring SettingsPath() {
        MyFilePath path(L"");
        PluginSettingFileBrellix(m_settingsBase.Path()).GetFilePath(path);
        return path.GetPath();
    }
    void WriteSettings(const std::string& text) {
        ASSERT_EQ(MyFolderPath(MyFilePath(SettingsPath()).GetFolder()).CreateRecursive(), 0u);
        WriteFileBytes(SettingsPath(), text);
    }
    bool SettingsExist() { return ::GetFileAttributesW(SettingsPath().c_str()) != INVALID_FILE_ATTRIBUTES; }
    // ShowRenames as stored: the reader's code and the value.
    int StoredShowRenames(bool& value) {
        PluginReaderXMLBrellix reader(MyGuid(kJob), m_settingsBase.Path());
        return reader.ReadParam(&value, L"ShowRenames", 0);
    }
    void StoreShowRenames(bool value) {
        PluginWriterXMLBrellix writer(MyGuid(kJob), m_settingsBase.Path());
        ASSERT_EQ(writer.WriteParam(L"ShowRenames", value, 0), 0);
    }

    // Runs the warning with the scratch settings while the robot runs the script.
    void Warn(const std::function<void(UiRobot&)>& script, bool withWriter = true) {
        PluginReaderXMLBrellix reader(MyGuid(kJob), m_settingsBase.Path());
        PluginWriterXMLBrellix writer(MyGuid(kJob), m_settingsBase.Path());
        UiRobot robot(script);
        PluginRenameWarning().Warning(&reader, withWriter ? &writer : nullptr, &m_targets);
        robot.Join();
    }

    // Runs the warning and fails if any window shows up before it has returned.
    void WarnExpectingNothing() {
        PluginReaderXMLBrellix reader(MyGuid(kJob), m_settingsBase.Path());
        PluginWriterXMLBrellix writer(MyGuid(kJob), m_settingsBase.Path());
        std::atomic<bool> done{false};
        UiRobot robot([&](UiRobot& r) {
            while (!done) {
                if (HWND shown = UiRobot::FindWindowOfProcess(nullptr, nullptr)) {
                    ADD_FAILURE() << "a window appeared: " << send_tests::Narrow(UiRobot::WindowText(shown));
                    r.CloseBox(shown);
                    r.WaitForClose(shown);
                }
                ::Sleep(20);
            }
        });
        PluginRenameWarning().Warning(&reader, &writer, &m_targets);
        done = true;
        robot.Join();
    }

    raii::ComApartment m_apartment;
    ScratchFolder m_sources;
    ScratchFolder m_destinationFolder;
    ScratchFolder m_settingsBase;
    PluginTargetList m_targets;
};

TEST_F(RenameWarningTest, ListsEveryFileAndTheNewNameOfTheRenamedOne) {
    SendBatch();
    Warn([&](UiRobot& r) {
        HWND window = r.WaitForWindow(L"#32770", kCaption);
        HWND list = ::GetDlgItem(window, IDC_RENAME_LIST);
        EXPECT_EQ(UiRobot::ListViewRows(list),
                  (Rows{{L"a.pdf", L""}, {L"b.pdf", L"b_001.pdf"}, {L"c.pdf", L""}}));
        EXPECT_EQ(ColumnTitle(list, 0), L"Configured file name");
        EXPECT_EQ(ColumnTitle(list, 1), L"Renamed file name");
        RECT client = {};
        ::GetClientRect(list, &client);
        // Short names: two halves that fill the list together.
        EXPECT_EQ(::SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), client.right / 2);
        EXPECT_EQ(::SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0) + ::SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0),
                  client.right);
        LRESULT extended = ::SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
        EXPECT_EQ(extended & (LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP),
                  LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
        EXPECT_EQ(UiRobot::Style(list) & LVS_TYPEMASK, LVS_REPORT);
        EXPECT_EQ(r.Text(window, IDC_RENAME_MESSAGE), L"Because file names were duplicated, it was renamed.");
        EXPECT_EQ(r.Text(window, IDC_DO_NOT_SHOW_AGAIN), L"&Do not show this message again.");
        EXPECT_EQ(r.CheckState(window, IDC_DO_NOT_SHOW_AGAIN), BST_UNCHECKED);
        EXPECT_EQ(r.Text(window, IDOK), L"OK");
        r.Screenshot(L"rename-warning-en", window);
        r.PressButton(window, IDOK);
        r.WaitForClose(window);
    });
    // The list's cursor is back at the start for whoever reads it next.
    EXPECT_EQ(m_targets.Next(), m_targets.GetFileAt(0));
}

// 50 long names that differ only at their end, all taken: each column is as wide as its longest
// name (the list scrolls sideways), the dialog can be made larger and the list grows with it,
// and Ctrl+C copies the selected rows.
TEST_F(RenameWarningTest, LongNamesShowWholeTheDialogSizesAndCtrlCCopiesTheSelectedRows) {
    std::wstring listText = L"\xFEFF";
    auto name = [](int n) {
        wchar_t page[16];
        std::swprintf(page, 16, L"page %03d", n);
        return L"Quarterly report of the northern sales region & partners, scanned at the front desk - " +
               std::wstring(page);
    };
    for (int n = 1; n <= 50; ++n) {
        WriteFileBytes(m_sources / (name(n) + L".pdf"), "scan");
        WriteFileBytes(m_destinationFolder / (name(n) + L".pdf"), "taken");
        listText += m_sources / (name(n) + L".pdf") + L"\r\n";
    }
    WriteFileBytes(m_sources / L"files.txt", send_tests::Utf16Bytes(listText));
    ASSERT_EQ(m_targets.CreateFileList(m_sources / L"files.txt"), 0);
    TestDestination destination(m_destinationFolder.Path());
    for (int i = 0; i < m_targets.GetCount(); ++i) (void)m_targets.GetFileAt(i)->Send(&destination, false);

    std::wstring copied;
    Warn([&](UiRobot& r) {
        HWND window = r.WaitForWindow(L"#32770", kCaption);
        HWND list = ::GetDlgItem(window, IDC_RENAME_LIST);
        Rows rows = UiRobot::ListViewRows(list);
        ASSERT_EQ(rows.size(), 50u);
        EXPECT_EQ(rows[49], (std::vector<std::wstring>{name(50) + L".pdf", name(50) + L"_001.pdf"}));
        for (int column = 0; column < 2; ++column) {
            int width = static_cast<int>(::SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0));
            int text = static_cast<int>(::SendMessageW(list, LVM_GETSTRINGWIDTHW, 0,
                                                       reinterpret_cast<LPARAM>(rows[49][column].c_str())));
            EXPECT_GT(width, text) << "column " << column;
        }
        EXPECT_NE(UiRobot::Style(list) & WS_HSCROLL, 0) << "wider than the list: it scrolls sideways";
        EXPECT_NE(UiRobot::Style(window) & WS_THICKFRAME, 0);
        r.Screenshot(L"rename-warning-long-names", window);

        // Larger by 200 by 100 pixels: the list takes all of it, OK stays in the corner.
        RECT before = {};
        ::GetWindowRect(window, &before);
        RECT listBefore = UiRobot::ChildRect(window, list);
        RECT okBefore = UiRobot::ChildRect(window, ::GetDlgItem(window, IDOK));
        ::SetWindowPos(window, nullptr, 0, 0, before.right - before.left + 200, before.bottom - before.top + 100,
                       SWP_NOMOVE | SWP_NOZORDER);
        RECT listAfter = UiRobot::ChildRect(window, list);
        RECT okAfter = UiRobot::ChildRect(window, ::GetDlgItem(window, IDOK));
        EXPECT_EQ(listAfter.right - listAfter.left, listBefore.right - listBefore.left + 200);
        EXPECT_EQ(listAfter.bottom - listAfter.top, listBefore.bottom - listBefore.top + 100);
        EXPECT_EQ(okAfter.left, okBefore.left + 200);
        EXPECT_EQ(okAfter.top, okBefore.top + 100);
        r.Screenshot(L"rename-warning-long-names-larger", window);
        // Smaller than at first is refused: the dialog keeps its first size as the least.
        ::SetWindowPos(window, nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER);
        RECT least = {};
        ::GetWindowRect(window, &least);
        EXPECT_EQ(least.right - least.left, before.right - before.left);

        // Rows 2 and 50 selected, then Ctrl+C in the list.
        for (int row : {1, 49}) {
            LVITEMW state = {};
            state.stateMask = LVIS_SELECTED;
            state.state = LVIS_SELECTED;
            ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
        }
        ::SetForegroundWindow(window);
        ::SendMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list), TRUE);
        INPUT keys[4] = {};
        const WORD codes[4] = {VK_CONTROL, 'C', 'C', VK_CONTROL};
        for (int i = 0; i < 4; ++i) {
            keys[i].type = INPUT_KEYBOARD;
            keys[i].ki.wVk = codes[i];
            keys[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
        }
        ::SendInput(4, keys, sizeof(INPUT));
        std::wstring expected = name(2) + L".pdf\t" + name(2) + L"_001.pdf\r\n" + name(50) + L".pdf\t" + name(50) +
                                L"_001.pdf\r\n";
        Eventually([&] {
            copied = ClipboardText();
            return copied == expected;
        });
        EXPECT_EQ(copied, expected);
        r.PressKey(window, VK_ESCAPE);
        r.WaitForClose(window);
    });
}

TEST_F(RenameWarningTest, NoSettingsFileShowsTheWarningAndOkUncheckedWritesTrue) {
    SendBatch();
    ASSERT_FALSE(SettingsExist());
    Warn([&](UiRobot& r) {
        HWND window = r.WaitForWindow(L"#32770", kCaption);
        r.PressKey(window, VK_RETURN);  // OK is the default button
        r.WaitForClose(window);
    });
    bool value = false;
    EXPECT_EQ(StoredShowRenames(value), 0);
    EXPECT_TRUE(value);
}

TEST_F(RenameWarningTest, OkWithTheBoxCheckedGivesTheHintWritesFalseAndTheNextBatchIsQuiet) {
    SendBatch();
    Warn([&](UiRobot& r) {
        HWND window = r.WaitForWindow(L"#32770", kCaption);
        r.PressButton(window, IDC_DO_NOT_SHOW_AGAIN);
        EXPECT_TRUE(Eventually([&] { return UiRobot::CheckState(window, IDC_DO_NOT_SHOW_AGAIN) == BST_CHECKED; }));
        r.PressButton(window, IDOK);
        UiRobot::MessageBoxSeen hint = r.AnswerMessageBox(L"Common settings", IDOK);
        EXPECT_EQ(hint.text, L"When confirming the renamed file name, set from \u201C"
                             L"Environmental settings \u201D in Pellora.");
        r.WaitForClose(window);
    });
    bool value = true;
    EXPECT_EQ(StoredShowRenames(value), 0);
    EXPECT_FALSE(value);
    WarnExpectingNothing();
}

TEST_F(RenameWarningTest, ShowRenamesFalseShowsNothing) {
    SendBatch();
    StoreShowRenames(false);
    std::string before = ReadFileBytes(SettingsPath());
    WarnExpectingNothing();
    EXPECT_EQ(ReadFileBytes(SettingsPath()), before);
}

// Closing without OK leaves the settings file as it was: absent, or byte for byte.
struct Dismissal {
    const char* name;
    bool storedBefore;
    std::function<void(UiRobot&, HWND)> close;
};

const Dismissal kDismissals[] = {
    {"EscapeWithoutFile", false, [](UiRobot& r, HWND w) { r.PressKey(w, VK_ESCAPE); }},
    {"CloseBoxWithoutFile", false, [](UiRobot& r, HWND w) { r.CloseBox(w); }},
    {"EscapeWithStoredTrue", true, [](UiRobot& r, HWND w) { r.PressKey(w, VK_ESCAPE); }},
};

class RenameWarningDismissal : public RenameWarningTest, public ::testing::WithParamInterface<Dismissal> {};

TEST_P(RenameWarningDismissal, WritesNothing) {
    const Dismissal& c = GetParam();
    SendBatch();
    if (c.storedBefore) StoreShowRenames(true);
    std::string before = c.storedBefore ? ReadFileBytes(SettingsPath()) : std::string();
    Warn([&](UiRobot& r) {
        HWND window = r.WaitForWindow(L"#32770", kCaption);
        // Checked, but never confirmed.
        r.PressButton(window, IDC_DO_NOT_SHOW_AGAIN);
        EXPECT_TRUE(Eventually([&] { return UiRobot::CheckState(window, IDC_DO_NOT_SHOW_AGAIN) == BST_CHECKED; }));
        c.close(r, window);
        r.WaitForClose(window);
    });
    if (c.storedBefore) {
        EXPECT_EQ(ReadFileBytes(SettingsPath()), before);
    } else {
        EXPECT_FALSE(SettingsExist());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, RenameWarningDismissal, ::testing::ValuesIn(kDismissals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RenameWarningTest, UnreadableSettingsSayCouldNotReadAndShowNoList) {
    SendBatch();
    WriteSettings("this is not XML");
    Warn([&](UiRobot& r) {
        UiRobot::MessageBoxSeen box = r.AnswerMessageBox(L"Error", IDOK);
        EXPECT_EQ(box.text, L"Could not read settings.");
        EXPECT_EQ(UiRobot::FindWindowOfProcess(L"#32770", kCaption), nullptr);
    });
    EXPECT_EQ(ReadFileBytes(SettingsPath()), "this is not XML");
}

// A writer that cannot save.
class FailingWriter : public PluginWriter {
public:
    int WriteParam(const wchar_t*, bool, int) override { return result::kAccessDenied; }
};

TEST_F(RenameWarningTest, AFailedWriteSaysCouldNotWrite) {
    SendBatch();
    PluginReaderXMLBrellix reader(MyGuid(kJob), m_settingsBase.Path());
    FailingWriter writer;
    UiRobot robot([&](UiRobot& r) {
        HWND window = r.WaitForWindow(L"#32770", kCaption);
        r.PressButton(window, IDOK);
        r.WaitForClose(window);
        UiRobot::MessageBoxSeen box = r.AnswerMessageBox(L"Error", IDOK);
        EXPECT_EQ(box.text, L"Could not write settings.");
    });
    PluginRenameWarning().Warning(&reader, &writer, &m_targets);
    robot.Join();
}

TEST_F(RenameWarningTest, WithoutAWriterTheChoiceIsReportedAsNotWritten) {
    SendBatch();
    Warn(
        [&](UiRobot& r) {
            HWND window = r.WaitForWindow(L"#32770", kCaption);
            r.PressButton(window, IDOK);
            r.WaitForClose(window);
            UiRobot::MessageBoxSeen box = r.AnswerMessageBox(L"Error", IDOK);
            EXPECT_EQ(box.text, L"Could not write settings.");
        },
        false);
    EXPECT_FALSE(SettingsExist());
}

TEST_F(RenameWarningTest, WithoutAReaderOrAListNothingIsShown) {
    PluginWriterXMLBrellix writer(MyGuid(kJob), m_settingsBase.Path());
    PluginReaderXMLBrellix reader(MyGuid(kJob), m_settingsBase.Path());
    // Neither call may block in a dialog.
    PluginRenameWarning().Warning(nullptr, &writer, &m_targets);
    PluginRenameWarning().Warning(&reader, &writer, nullptr);
    EXPECT_FALSE(SettingsExist());
}

TEST(RenameWarningDialog, WithoutAListSaysErrorOccuredAndEndsWithThree) {
    PluginRenameWarningDialog dialog(nullptr);
    EXPECT_EQ(dialog.SetList(nullptr), result::kBadArguments);
    UiRobot robot([](UiRobot& r) {
        UiRobot::MessageBoxSeen box = r.AnswerMessageBox(kApplicationName, IDOK);
        EXPECT_EQ(box.text, L"Error occured.");
    });
    EXPECT_EQ(dialog.DoModal(), 3);
    robot.Join();
    EXPECT_TRUE(dialog.ShowAgain());
}

TEST(RenameWarningDialog, ShowAgainFollowsTheCheckBoxOnOk) {
    for (bool check : {false, true}) {
        PluginTargetList targets;
        PluginRenameWarningDialog dialog(nullptr);
        ASSERT_EQ(dialog.SetList(&targets), 0);
        UiRobot robot([&](UiRobot& r) {
            HWND window = r.WaitForWindow(L"#32770", kCaption);
            EXPECT_TRUE(UiRobot::ListViewRows(::GetDlgItem(window, IDC_RENAME_LIST)).empty());
            if (check) r.SetCheck(window, IDC_DO_NOT_SHOW_AGAIN, BST_CHECKED);
            r.PressButton(window, IDOK);
            if (check) r.AnswerMessageBox(L"Common settings", IDOK);
            r.WaitForClose(window);
        });
        EXPECT_EQ(dialog.DoModal(), IDOK);
        robot.Join();
        EXPECT_EQ(dialog.ShowAgain(), !check) << check;
    }
}

}  // namespace
