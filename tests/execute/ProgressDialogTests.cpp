// The progress dialog over a real file manager, real copies and the real dialogs of the
// platform; a robot thread reads and presses the dialogs as a user would.
#include "send/PluginFileManager.h"
#include "send/PluginTargetList.h"
#include "settings/PluginReader.h"
#include "settings/PluginWriter.h"
#include "support/MyGuid.h"
#include "support/Raii.h"
#include "tests/common/TestSupport.h"
#include "tests/common/UiRobot.h"
#include "tests/send/SendTestSupport.h"
#include "tests/send/TestDestination.h"
#include "ui/PluginErrorDialogAsker.h"
#include "ui/PluginProgressDialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using send_tests::ListNames;
using testing_support::ScratchFolder;
using testing_support::WriteFileBytes;

constexpr int kProgressCounter = 1003;
constexpr int kRenameList = 1008;
constexpr wchar_t kDialog[] = L"#32770";
constexpr wchar_t kSaving[] = L"Saving...";
constexpr wchar_t kRenamedFiles[] = L"Renamed files";

class ProgressDialogTest : public ::testing::Test {
protected:
    ProgressDialogTest() : m_destination(m_out.Path()), m_reader(m_id, m_settings.Path()), m_writer(m_id, m_settings.Path()) {}

    void MakeBatch(const std::vector<std::wstring>& names, bool deleteSources) {
        std::wstring list;
        for (const auto& name : names) {
            WriteFileBytes(m_in / name, send_tests::Narrow(name));
            list += m_in / name + L"\r\n";
        }
        WriteFileBytes(m_in / L"list.txt", "\xFF\xFE" + send_tests::Utf16Bytes(list));
        ASSERT_EQ(0, m_targets.CreateFileList(m_in / L"list.txt"));
        m_targets.SetErrorAsker(&m_asker);
        ASSERT_EQ(0, m_fileManager.Init(&m_destination, deleteSources, &m_targets));
    }

    // Runs the dialog modally on this thread while the script runs on the robot's; the end code.
    INT_PTR RunDialog(PluginProgressDialog& dialog, std::function<void(UiRobot&)> script) {
        UiRobot robot(std::move(script));
        INT_PTR endCode = dialog.DoModal();
        robot.Join();
        return endCode;
    }

    raii::ComApartment m_apartment;
    MyGuid m_id;
    ScratchFolder m_in;
    ScratchFolder m_out;
    ScratchFolder m_settings;
    TestDestination m_destination;
    PluginReaderXMLBrellix m_reader;
    PluginWriterXMLBrellix m_writer;
    PluginErrorDialogAsker m_asker;
    PluginTargetList m_targets;
    PluginFileManagerFolderEx m_fileManager;
};

TEST_F(ProgressDialogTest, ACleanBatchShowsTheFirstFileAndClosesWithSuccess) {
    MakeBatch({L"a.pdf", L"b.pdf", L"c.pdf"}, false);
    PluginProgressDialogFolderEx dialog(nullptr);
    dialog.Init(&m_fileManager, &m_reader, &m_writer);
    std::wstring counter, name, caption, firstLine;
    INT_PTR endCode = RunDialog(dialog, [&](UiRobot& r) {
        HWND shown = r.WaitForWindow(kDialog, kSaving);
        // The worker waits before the batch, so the first file is still on show.
        counter = r.Text(shown, kProgressCounter);
        name = r.Text(shown, 1002);
        firstLine = r.Text(shown, 1001);
        caption = r.WindowText(shown);
        r.WaitForClose(shown);
    });
    EXPECT_EQ(IDOK, endCode);
    EXPECT_EQ(0, dialog.GetResult());
    EXPECT_EQ(L"1 / 3", counter);
    EXPECT_EQ(L"a.pdf", name);
    EXPECT_EQ(L"Saving...", firstLine);
    EXPECT_EQ(L"Saving...", caption);
    EXPECT_EQ((std::vector<std::wstring>{L"a.pdf", L"b.pdf", L"c.pdf"}), ListNames(m_out.Path()));
}

struct CancelCase {
    bool deleteSources;
    std::vector<std::wstring> savedLeft;   // in the destination after the cancel
    std::vector<std::wstring> sourcesLeft;  // in the source folder (besides the list)
};

class ProgressDialogCancelTest : public ProgressDialogTest, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(ProgressDialogCancelTest, CancelGreysTheButtonAndEndsTheBatchAfterTheCurrentFile) {
    const CancelCase& c = GetParam();
    MakeBatch({L"a.pdf", L"b.pdf", L"c.pdf", L"d.pdf"}, c.deleteSources);
    WriteFileBytes(m_out / L"b.pdf", "taken");  // a rename that must not be warned about
    HANDLE atSecond = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE goOn = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_destination.beforeSender = [&](int made) {
        if (made != 1) return;
        ::SetEvent(atSecond);
        ::WaitForSingleObject(goOn, 20000);
    };
    PluginProgressDialogFolderEx dialog(nullptr);
    dialog.Init(&m_fileManager, &m_reader, &m_writer);
    bool greyed = false;
    bool renameWarningSeen = false;
    INT_PTR endCode = RunDialog(dialog, [&](UiRobot& r) {
        HWND shown = r.WaitForWindow(kDialog, kSaving);
        ::WaitForSingleObject(atSecond, 20000);
        r.Click(shown, IDCANCEL);
        for (int i = 0; i < 500 && ::IsWindowEnabled(::GetDlgItem(shown, IDCANCEL)); ++i) ::Sleep(10);
        greyed = !::IsWindowEnabled(::GetDlgItem(shown, IDCANCEL));
        ::SetEvent(goOn);
        while (::IsWindow(shown) && ::IsWindowVisible(shown)) {
            if (UiRobot::FindWindowOfProcess(kDialog, kRenamedFiles)) renameWarningSeen = true;
            ::Sleep(10);
        }
    });
    ::CloseHandle(atSecond);
    ::CloseHandle(goOn);
    EXPECT_EQ(IDOK, endCode);
    EXPECT_EQ(1223, dialog.GetResult());
    EXPECT_TRUE(greyed);
    EXPECT_FALSE(renameWarningSeen);
    std::vector<std::wstring> expected = c.savedLeft;
    expected.push_back(L"b.pdf");  // the file that was there before
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, ListNames(m_out.Path()));
    EXPECT_EQ(c.sourcesLeft, ListNames(m_in.Path()));
}

INSTANTIATE_TEST_SUITE_P(
    Sources, ProgressDialogCancelTest,
    ::testing::Values(
        // Kept sources: the copies of the cancelled batch are removed again.
        CancelCase{false, {}, {L"a.pdf", L"b.pdf", L"c.pdf", L"d.pdf", L"list.txt"}},
        // Moved sources: the copies are the only ones left and stay.
        CancelCase{true, {L"a.pdf", L"b_001.pdf"}, {L"c.pdf", L"d.pdf", L"list.txt"}}));

TEST_F(ProgressDialogTest, ARenamedFileBringsTheRenameWarningBeforeTheDialogCloses) {
    MakeBatch({L"a.pdf", L"b.pdf"}, false);
    WriteFileBytes(m_out / L"b.pdf", "taken");
    PluginProgressDialogFolderEx dialog(nullptr);
    dialog.Init(&m_fileManager, &m_reader, &m_writer);
    bool progressStillOpen = false;
    std::vector<std::vector<std::wstring>> rows;
    INT_PTR endCode = RunDialog(dialog, [&](UiRobot& r) {
        HWND progress = r.WaitForWindow(kDialog, kSaving);
        HWND warning = r.WaitForWindow(kDialog, kRenamedFiles);
        progressStillOpen = ::IsWindow(progress) != FALSE;
        rows = UiRobot::ListViewRows(::GetDlgItem(warning, kRenameList));
        r.Click(warning, IDOK);
        r.WaitForClose(warning);
    });
    EXPECT_EQ(IDOK, endCode);
    EXPECT_EQ(0, dialog.GetResult());
    EXPECT_TRUE(progressStillOpen);
    // Every file of the batch, the renamed one with the name it was saved under.
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ(L"a.pdf", rows[0].at(0));
    EXPECT_EQ(L"b.pdf", rows[1].at(0));
    EXPECT_EQ(L"b_001.pdf", rows[1].at(1));
    EXPECT_EQ((std::vector<std::wstring>{L"a.pdf", L"b.pdf", L"b_001.pdf"}), ListNames(m_out.Path()));
}

TEST_F(ProgressDialogTest, ShowRenamesFalseSuppressesTheWarning) {
    ASSERT_EQ(0, m_writer.WriteParam(L"ShowRenames", false, 0));
    MakeBatch({L"b.pdf"}, false);
    WriteFileBytes(m_out / L"b.pdf", "taken");
    PluginProgressDialogFolderEx dialog(nullptr);
    dialog.Init(&m_fileManager, &m_reader, &m_writer);
    bool warningSeen = false;
    INT_PTR endCode = RunDialog(dialog, [&](UiRobot& r) {
        HWND progress = r.WaitForWindow(kDialog, kSaving);
        while (::IsWindow(progress) && ::IsWindowVisible(progress)) {
            if (HWND warning = UiRobot::FindWindowOfProcess(kDialog, kRenamedFiles)) {
                warningSeen = true;
                r.Click(warning, IDOK);
            }
            ::Sleep(10);
        }
    });
    EXPECT_EQ(IDOK, endCode);
    EXPECT_EQ(0, dialog.GetResult());
    EXPECT_FALSE(warningSeen);
    EXPECT_EQ((std::vector<std::wstring>{L"b.pdf", L"b_001.pdf"}), ListNames(m_out.Path()));
}

TEST_F(ProgressDialogTest, InitWithoutAWriterRefusesAndTheDialogEndsWithAbortAndNoWorker) {
    MakeBatch({L"a.pdf"}, false);
    PluginProgressDialogFolderEx dialog(nullptr);
    std::wstring first, second;
    {
        // The boxes have no caption of their own: the platform shows the program's name.
        UiRobot robot([&](UiRobot& r) { first = r.AnswerMessageBox(L"execute_tests", IDOK).text; });
        dialog.Init(&m_fileManager, &m_reader, nullptr);
        robot.Join();
    }
    INT_PTR endCode = RunDialog(dialog, [&](UiRobot& r) { second = r.AnswerMessageBox(L"execute_tests", IDOK).text; });
    EXPECT_EQ(L"Bad arguments.", first);
    EXPECT_EQ(L"The file cannot be saved.", second);
    EXPECT_EQ(IDABORT, endCode);
    EXPECT_EQ(21, dialog.GetResult());
    EXPECT_TRUE(ListNames(m_out.Path()).empty());
}

}  // namespace

namespace {

// A dialog that ends without its batch's end (here a quit message) stops the worker before it
// returns, also when the worker's next file fails: no question is left waiting for an answer.
TEST_F(ProgressDialogTest, AQuitWhileTheWorkerRunsEndsTheBatchWithoutAnswer) {
    MakeBatch({L"a.pdf", L"b.pdf"}, false);
    m_destination.SetFolder(m_out / L"missing");  // every copy fails: an error question follows
    raii::UniqueHandle atFirst(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    raii::UniqueHandle goOn(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    m_destination.beforeSender = [&](int made) {
        if (made != 0) return;
        ::SetEvent(atFirst.Get());
        ::WaitForSingleObject(goOn.Get(), 20000);
    };
    PluginProgressDialogFolderEx dialog(nullptr);
    dialog.Init(&m_fileManager, &m_reader, &m_writer);
    const DWORD uiThread = ::GetCurrentThreadId();
    INT_PTR endCode = RunDialog(dialog, [&](UiRobot& r) {
        HWND shown = r.WaitForWindow(kDialog, kSaving);
        ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(atFirst.Get(), 20000));
        ::PostThreadMessageW(uiThread, WM_QUIT, 0, 0);
        EXPECT_TRUE(r.WaitForClose(shown));
        ::SetEvent(goOn.Get());  // the worker now fails its file and asks, with nobody to answer
    });
    MSG quit;
    while (::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    (void)endCode;  // what the platform's modal loop returns for a quit is its own business
    EXPECT_EQ(1223, dialog.GetResult());
    EXPECT_TRUE(ListNames(m_out.Path()).empty());
}

}  // namespace
