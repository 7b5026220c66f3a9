// The Execute call end to end in this process: the real application object (with its settings
// file in a scratch folder), the real destination, cloud-folder discovery over the registry,
// real copies and the real dialogs, pressed by a robot thread. The cloud client's registry value
// is put back after every test.
#include "app/PluginAppBrellix.h"
#include "send/PluginErrorTrigger.h"
#include "settings/PluginReader.h"
#include "settings/PluginWriter.h"
#include "support/MyGuid.h"
#include "support/Raii.h"
#include "tests/common/FolderPickerRobot.h"
#include "tests/common/ImportHook.h"
#include "tests/common/TestSupport.h"
#include "tests/common/UiRobot.h"
#include "tests/send/SendTestSupport.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <functional>
#include <thread>
#include <vector>

namespace {

using send_tests::ListNames;
using testing_support::RegistryValueOverride;
using testing_support::ScratchFolder;
using testing_support::WriteFileBytes;

constexpr int kProgressCounter = 1003;
constexpr int kErrorMessage = 1004;
constexpr int kRetry = 1005;
constexpr int kAbort = 1006;
constexpr int kSetting = 1007;
constexpr int kRenameList = 1008;
constexpr wchar_t kDialog[] = L"#32770";
constexpr wchar_t kSaving[] = L"Saving...";
constexpr wchar_t kRenamedFiles[] = L"Renamed files";
constexpr wchar_t kError[] = L"Error";
constexpr wchar_t kGeneralKey[] = L"Software\\Quontel\\Brellix\\General";
constexpr wchar_t kSyncValue[] = L"DefaultSyncFolderPath";

// Picks a folder in the folder picker once it is open, and confirms it; true once it closed.
bool ChooseFolder(UiRobot& r, const std::wstring& folder) {
    return testing_support::AnswerPicker(r, folder);
}

class ExecuteTest : public ::testing::Test {
protected:
    ExecuteTest() : m_app(m_settings.Path()) {}

    // Source files and their UTF-16 file list; the list's path.
    std::wstring MakeScans(const std::vector<std::wstring>& names) {
        std::wstring list;
        for (const auto& name : names) {
            WriteFileBytes(m_in / name, send_tests::Narrow(name));
            list += m_in / name + L"\r\n";
        }
        WriteFileBytes(m_in / L"list.txt", "\xFF\xFE" + send_tests::Utf16Bytes(list));
        return m_in / L"list.txt";
    }

    int Execute(const std::wstring& fileList, bool deleteSources, std::function<void(UiRobot&)> script) {
        UiRobot robot(std::move(script));
        int code = m_app.ExecuteCall(m_id, MyFilePath(fileList), deleteSources, 0);
        robot.Join();
        return code;
    }

    int ReadJobText(const wchar_t* name, std::wstring& value) {
        PluginReaderXMLBrellix reader(m_id, m_settings.Path());
        return reader.ReadParam(&value, name, 1);
    }
    bool ReadShowLink() {
        bool show = false;
        PluginReaderXMLBrellix reader(m_id, m_settings.Path());
        return reader.ReadParam(&show, L"ShowLink", 1) == 0 && show;
    }
    std::wstring SettingsFile() const { return m_settings / L"Orvane\\PluginForBrellix\\PluginForBrellix.xml"; }

    raii::ComApartment m_apartment;
    MyGuid m_id;
    ScratchFolder m_in;
    ScratchFolder m_sync;
    ScratchFolder m_settings;
    RegistryValueOverride m_syncValue{HKEY_CURRENT_USER, kGeneralKey, kSyncValue, &m_sync.Path()};
    PluginAppBrellix m_app;
};

TEST_F(ExecuteTest, ACleanBatchLandsInTheSyncFolderAndIsRemembered) {
    std::wstring list = MakeScans({L"scan1.pdf", L"scan2.pdf", L"scan3.pdf"});
    bool progressSeen = false;
    int code = Execute(list, false, [&](UiRobot& r) {
        HWND progress = r.WaitForWindow(kDialog, kSaving);
        progressSeen = progress != nullptr;
        r.WaitForClose(progress);
    });
    EXPECT_EQ(0, code);
    EXPECT_TRUE(progressSeen);
    EXPECT_EQ((std::vector<std::wstring>{L"scan1.pdf", L"scan2.pdf", L"scan3.pdf"}), ListNames(m_sync.Path()));
    EXPECT_EQ(4u, ListNames(m_in.Path()).size());  // sources kept
    EXPECT_TRUE(ReadShowLink());
    std::wstring destination = L"unset";
    EXPECT_EQ(0, ReadJobText(L"Destination", destination));
}

TEST_F(ExecuteTest, MovedSourcesAreGoneAfterACleanBatch) {
    std::wstring list = MakeScans({L"scan1.pdf", L"scan2.pdf"});
    int code = Execute(list, true, [](UiRobot& r) { r.WaitForClose(r.WaitForWindow(kDialog, kSaving)); });
    EXPECT_EQ(0, code);
    EXPECT_EQ((std::vector<std::wstring>{L"scan1.pdf", L"scan2.pdf"}), ListNames(m_sync.Path()));
    EXPECT_EQ((std::vector<std::wstring>{L"list.txt"}), ListNames(m_in.Path()));
}

struct RenameCase {
    bool showRenames;
    bool warningExpected;
};

class ExecuteRenameTest : public ExecuteTest, public ::testing::WithParamInterface<RenameCase> {};

TEST_P(ExecuteRenameTest, ACollidingNameIsSavedNumberedAndListedUnlessSwitchedOff) {
    PluginWriterXMLBrellix writer(m_id, m_settings.Path());
    ASSERT_EQ(0, writer.WriteParam(L"ShowRenames", GetParam().showRenames, 0));
    WriteFileBytes(m_sync / L"scan.pdf", "earlier");
    std::wstring list = MakeScans({L"scan.pdf", L"other.pdf"});
    bool warningSeen = false;
    std::vector<std::vector<std::wstring>> rows;
    int code = Execute(list, false, [&](UiRobot& r) {
        HWND progress = r.WaitForWindow(kDialog, kSaving);
        while (::IsWindow(progress) && ::IsWindowVisible(progress)) {
            HWND warning = UiRobot::FindWindowOfProcess(kDialog, kRenamedFiles);
            if (!warning) {
                ::Sleep(10);
                continue;
            }
            warningSeen = true;
            rows = UiRobot::ListViewRows(::GetDlgItem(warning, kRenameList));
            r.Click(warning, IDOK);
            r.WaitForClose(warning);
        }
    });
    EXPECT_EQ(0, code);
    EXPECT_EQ(GetParam().warningExpected, warningSeen);
    if (GetParam().warningExpected) {
        ASSERT_EQ(2u, rows.size());
        EXPECT_EQ(L"scan.pdf", rows[0].at(0));
        EXPECT_EQ(L"scan_001.pdf", rows[0].at(1));
        EXPECT_EQ(L"other.pdf", rows[1].at(0));
    }
    EXPECT_EQ((std::vector<std::wstring>{L"other.pdf", L"scan.pdf", L"scan_001.pdf"}), ListNames(m_sync.Path()));
    EXPECT_EQ("earlier", testing_support::ReadFileBytes(m_sync / L"scan.pdf"));
}

INSTANTIATE_TEST_SUITE_P(ShowRenames, ExecuteRenameTest,
                         ::testing::Values(RenameCase{true, true}, RenameCase{false, false}));

TEST_F(ExecuteTest, CancelGivesUserCancelledAndWritesNothing) {
    // Files big enough that the batch is still running when Cancel arrives.
    std::vector<std::wstring> names;
    for (int i = 0; i < 40; ++i) names.push_back(L"scan" + std::to_wstring(i) + L".pdf");
    std::wstring list = MakeScans(names);
    for (const auto& name : names) WriteFileBytes(m_in / name, std::string(4 << 20, 'x'));
    int code = Execute(list, false, [&](UiRobot& r) {
        HWND progress = r.WaitForWindow(kDialog, kSaving);
        // Cancel once the batch has begun (the counter moves past the first file).
        for (int i = 0; i < 2000 && r.Text(progress, kProgressCounter).rfind(L"1 / ", 0) == 0; ++i) ::Sleep(5);
        r.Click(progress, IDCANCEL);
        r.WaitForClose(progress);
    });
    EXPECT_EQ(1223, code);
    EXPECT_TRUE(ListNames(m_sync.Path()).empty());  // kept sources: the copies are removed
    EXPECT_EQ(names.size() + 1, ListNames(m_in.Path()).size());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(SettingsFile().c_str()));
}

TEST_F(ExecuteTest, AMissingFolderAsksWithTheSystemTextAndRetrySavesOnceItExists) {
    std::wstring missing = m_sync / L"not yet";
    RegistryValueOverride syncValue(HKEY_CURRENT_USER, kGeneralKey, kSyncValue, &missing);
    std::wstring list = MakeScans({L"scan1.pdf"});
    std::wstring message;
    int code = Execute(list, false, [&](UiRobot& r) {
        HWND progress = r.WaitForWindow(kDialog, kSaving);
        HWND error = r.WaitForWindow(kDialog, kError);
        message = r.Text(error, kErrorMessage);
        ::CreateDirectoryW(missing.c_str(), nullptr);
        r.Click(error, kRetry);
        r.WaitForClose(progress);
    });
    EXPECT_EQ(0, code);
    // "The file cannot be saved." and the system's own description of ERROR_PATH_NOT_FOUND.
    wchar_t* systemText = nullptr;
    ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, ERROR_PATH_NOT_FOUND, 0, reinterpret_cast<wchar_t*>(&systemText), 0, nullptr);
    ASSERT_NE(nullptr, systemText);
    std::wstring description = systemText;
    ::LocalFree(systemText);
    while (!description.empty() && (description.back() == L'\n' || description.back() == L'\r')) description.pop_back();
    EXPECT_EQ(0u, message.find(L"The file cannot be saved."));
    EXPECT_NE(std::wstring::npos, message.find(description)) << send_tests::Narrow(message);
    EXPECT_EQ(PluginErrorTrigger::MessageFor(ERROR_PATH_NOT_FOUND, m_in / L"scan1.pdf", missing + L"\\scan1.pdf"),
              message);
    EXPECT_EQ((std::vector<std::wstring>{L"scan1.pdf"}), ListNames(missing));
}

TEST_F(ExecuteTest, AbortInTheErrorDialogKeepsTheEarlierFilesAndEndsWithUserCancelled) {
    std::wstring list = MakeScans({L"scan1.pdf", L"scan2.pdf", L"scan3.pdf"});
    ASSERT_TRUE(::DeleteFileW((m_in / L"scan2.pdf").c_str()));  // vanished after the scan
    std::wstring message;
    int code = Execute(list, false, [&](UiRobot& r) {
        HWND progress = r.WaitForWindow(kDialog, kSaving);
        HWND error = r.WaitForWindow(kDialog, kError);
        message = r.Text(error, kErrorMessage);
        r.Click(error, kAbort);
        r.WaitForClose(progress);
    });
    EXPECT_EQ(1223, code);
    EXPECT_EQ(PluginErrorTrigger::MessageFor(ERROR_FILE_NOT_FOUND, m_in / L"scan2.pdf", m_sync / L"scan2.pdf"), message);
    EXPECT_EQ((std::vector<std::wstring>{L"scan1.pdf"}), ListNames(m_sync.Path()));
    EXPECT_FALSE(ReadShowLink());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(SettingsFile().c_str()));
}

namespace {

// A disk that does not take the moved copy's data: every flush fails.
BOOL WINAPI FailFlush(HANDLE) {
    ::SetLastError(ERROR_IO_DEVICE);
    return FALSE;
}

}  // namespace

TEST_F(ExecuteTest, AMoveWhoseCopyCannotBeFlushedAsksAndKeepsItsSource) {
    testing_support::ImportHook flush("kernel32.dll", "FlushFileBuffers", reinterpret_cast<void*>(&FailFlush));
    ASSERT_TRUE(flush.IsActive());
    std::wstring list = MakeScans({L"scan1.pdf"});
    std::wstring message;
    int code = Execute(list, true, [&](UiRobot& r) {
        HWND progress = r.WaitForWindow(kDialog, kSaving);
        HWND error = r.WaitForWindow(kDialog, kError);
        message = r.Text(error, kErrorMessage);
        r.Click(error, kAbort);
        r.WaitForClose(progress);
    });
    EXPECT_EQ(1223, code);
    EXPECT_EQ(PluginErrorTrigger::MessageFor(ERROR_IO_DEVICE, m_in / L"scan1.pdf", m_sync / L"scan1.pdf"), message);
    EXPECT_TRUE(ListNames(m_sync.Path()).empty()) << "neither the name nor the temporary file may stay";
    EXPECT_EQ((std::vector<std::wstring>{L"list.txt", L"scan1.pdf"}), ListNames(m_in.Path()));
}

TEST_F(ExecuteTest, SettingInTheErrorDialogSavesIntoTheChosenFolder) {
    std::wstring missing = m_sync / L"gone";
    RegistryValueOverride syncValue(HKEY_CURRENT_USER, kGeneralKey, kSyncValue, &missing);
    ScratchFolder chosen;
    std::wstring list = MakeScans({L"scan1.pdf", L"scan2.pdf"});
    bool picked = false;
    int code = Execute(list, false, [&](UiRobot& r) {
        HWND progress = r.WaitForWindow(kDialog, kSaving);
        r.Click(r.WaitForWindow(kDialog, kError), kSetting);
        picked = ChooseFolder(r, chosen.Path());
        r.WaitForClose(progress);
    });
    EXPECT_TRUE(picked);
    EXPECT_EQ(0, code);
    EXPECT_EQ((std::vector<std::wstring>{L"scan1.pdf", L"scan2.pdf"}), ListNames(chosen.Path()));
}

class ExecuteWithoutCloudClientTest : public ExecuteTest {
protected:
    // No sync-folder value: the cloud client's folder cannot be found.
    RegistryValueOverride m_noSyncValue{HKEY_CURRENT_USER, kGeneralKey, kSyncValue, nullptr};
};

TEST_F(ExecuteWithoutCloudClientTest, NoToTheQuestionSavesNothing) {
    std::wstring list = MakeScans({L"scan1.pdf"});
    bool askedBeforeProgress = false;
    std::wstring text;
    int code = Execute(list, false, [&](UiRobot& r) {
        HWND question = r.WaitForWindow(kDialog, L"Confirmation");
        askedBeforeProgress = question && !UiRobot::FindWindowOfProcess(kDialog, kSaving);
        text = r.AnswerMessageBox(L"Confirmation", IDNO).text;
    });
    EXPECT_EQ(1223, code);
    EXPECT_TRUE(askedBeforeProgress);
    EXPECT_EQ(0u, text.find(L"Have you installed the Brellix application?"));
    EXPECT_TRUE(ListNames(m_sync.Path()).empty());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(SettingsFile().c_str()));
}

TEST_F(ExecuteWithoutCloudClientTest, YesAndAChosenFolderSaveThereAndStoreIt) {
    ScratchFolder chosen;
    std::wstring list = MakeScans({L"scan1.pdf", L"scan2.pdf"});
    bool picked = false;
    int code = Execute(list, false, [&](UiRobot& r) {
        r.AnswerMessageBox(L"Confirmation", IDYES);
        picked = ChooseFolder(r, chosen.Path());
        r.WaitForClose(r.WaitForWindow(kDialog, kSaving));
    });
    EXPECT_TRUE(picked);
    EXPECT_EQ(0, code);
    EXPECT_EQ((std::vector<std::wstring>{L"scan1.pdf", L"scan2.pdf"}), ListNames(chosen.Path()));
    std::wstring stored;
    EXPECT_EQ(0, ReadJobText(L"Destination", stored));
    EXPECT_NE(std::wstring::npos, stored.find(::PathFindFileNameW(chosen.Path().c_str())));
    EXPECT_TRUE(ReadShowLink());
}

TEST_F(ExecuteTest, AnUnreadableFileListIsReportedWithoutQuestionOrProgress) {
    std::wstring message;
    bool otherDialog = false;
    int code = Execute(m_in / L"no such list.txt", false, [&](UiRobot& r) {
        r.WaitForWindow(kDialog, kError);
        otherDialog = UiRobot::FindWindowOfProcess(kDialog, kSaving) ||
                      UiRobot::FindWindowOfProcess(kDialog, L"Confirmation");
        message = r.AnswerMessageBox(kError, IDOK).text;
    });
    EXPECT_EQ(2, code);  // ERROR_FILE_NOT_FOUND, the reader's cause
    EXPECT_EQ(L"Could not read scanned images.", message);
    EXPECT_FALSE(otherDialog);
    EXPECT_TRUE(ListNames(m_sync.Path()).empty());
}

// Lists that are no disk file (devices, a console, a pipe with a server waiting) and a list
// whose line hides a second name behind a NUL are refused at once with the reader's code,
// before anything is copied.
TEST_F(ExecuteTest, DeviceListsAndHiddenNamesAreRefusedAtOnce) {
    WriteFileBytes(m_in / L"a.pdf", "a's bytes");
    const std::wstring pipeName = L"\\\\.\\pipe\\plugin-test-list-" + std::to_wstring(::GetCurrentProcessId());
    raii::UniqueFile pipe(::CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1,
                                             4096, 4096, 0, nullptr));
    ASSERT_TRUE(pipe);
    WriteFileBytes(m_in / L"nul line.txt",
                   send_tests::Utf16Bytes(m_in / L"a.pdf") + std::string(2, '\0') + send_tests::Utf16Bytes(L"\\x\\evil.pdf\r\n"));
    const std::wstring lists[] = {L"COM1", L"NUL", L"CON", L"CONIN$", L"\\\\.\\COM1", m_in / L"COM1.txt", pipeName,
                                  m_in / L"nul line.txt"};
    for (const std::wstring& list : lists) {
        std::wstring message;
        int code = Execute(list, false, [&](UiRobot& r) { message = r.AnswerMessageBox(kError, IDOK).text; });
        EXPECT_EQ(1, code) << list.c_str();
        EXPECT_EQ(L"Could not read scanned images.", message) << list.c_str();
    }
    EXPECT_TRUE(ListNames(m_sync.Path()).empty());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(L"\\x\\evil.pdf"));
}

// A listed path of 300 characters that goes up with `..` names an existing file: it is saved
// under its own name with its own bytes.
TEST_F(ExecuteTest, ALongListedPathWithDotDotIsSavedUnderItsName) {
    std::wstring deep = m_in.Path();
    std::wstring ups;
    for (int level = 0; level < 6; ++level) {
        deep += L"\\" + std::wstring(40, L'd');
        ups += L"..\\";
    }
    ASSERT_EQ(0u, MyFolderPath(deep).CreateRecursive());
    WriteFileBytes(m_in / L"scan.pdf", "the scan's bytes");
    // Up again, with a `.` and a doubled separator on the way.
    std::wstring line = deep + L"\\.\\" + ups + L"\\scan.pdf";
    ASSERT_GE(line.size(), 300u);
    ASSERT_EQ(path_text::FullPath(line), m_in / L"scan.pdf");
    WriteFileBytes(m_in / L"list.txt", "\xFF\xFE" + send_tests::Utf16Bytes(line + L"\r\n"));
    int code = Execute(m_in / L"list.txt", false, [&](UiRobot& r) { r.WaitForClose(r.WaitForWindow(kDialog, kSaving)); });
    EXPECT_EQ(0, code);
    EXPECT_EQ((std::vector<std::wstring>{L"scan.pdf"}), ListNames(m_sync.Path()));
    EXPECT_EQ("the scan's bytes", testing_support::ReadFileBytes(m_sync / L"scan.pdf"));
}

}  // namespace
