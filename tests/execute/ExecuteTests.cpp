// The Execute call end to end in this process: the real application object (with its settings
// file in a scratch folder), the real destination, cloud-folder discovery over the registry,
// real copies and the real dialogs, pressed by a robot thread. The cloud client's registry value
// is put back after every test.
#include "app/PluginAppBrellix.h"
#include "settings/PluginReader.h"
#include "settings/PluginWriter.h"
#include "support/MyGuid.h"
#include "support/Raii.h"
#include "tests/common/TestSupport.h"
#include "tests/execute/DialogRobot.h"
#include "tests/send/SendTestSupport.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <functional>
#include <thread>
#include <vector>

namespace {

using namespace dialog_robot;
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
constexpr wchar_t kGeneralKey[] = L"Software\\Quontel\\Brellix\\General";
constexpr wchar_t kSyncValue[] = L"DefaultSyncFolderPath";

// Picks a folder in the folder picker that is open now and confirms it.
bool ChooseFolder(const std::wstring& folder) {
    HWND picker = FindDialog(0, L"Browse for Folder");
    if (!picker) return false;
    ::SendMessageW(picker, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
    Press(picker, IDOK);
    return WaitGone(picker);
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

    int Execute(const std::wstring& fileList, bool deleteSources, const std::function<void()>& robot) {
        std::thread hands(robot);
        int code = m_app.ExecuteCall(m_id, MyFilePath(fileList), deleteSources, 0);
        hands.join();
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
    int code = Execute(list, false, [&] {
        HWND progress = FindDialog(kProgressCounter);
        progressSeen = progress != nullptr;
        WaitGone(progress);
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
    int code = Execute(list, true, [] { WaitGone(FindDialog(kProgressCounter)); });
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
    std::wstring listedName, savedName;
    int code = Execute(list, false, [&] {
        HWND progress = FindDialog(kProgressCounter);
        while (::IsWindow(progress)) {
            HWND warning = FindDialog(kRenameList, L"", 10);
            if (!warning) continue;
            warningSeen = true;
            wchar_t text[MAX_PATH] = {};
            LVITEMW item = {};
            item.pszText = text;
            item.cchTextMax = MAX_PATH;
            item.iSubItem = 0;
            ::SendMessageW(::GetDlgItem(warning, kRenameList), LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
            listedName = text;
            item.iSubItem = 1;
            ::SendMessageW(::GetDlgItem(warning, kRenameList), LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
            savedName = text;
            Press(warning, IDOK);
            WaitGone(warning);
        }
    });
    EXPECT_EQ(0, code);
    EXPECT_EQ(GetParam().warningExpected, warningSeen);
    if (GetParam().warningExpected) {
        EXPECT_EQ(L"scan.pdf", listedName);
        EXPECT_EQ(L"scan_001.pdf", savedName);
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
    int code = Execute(list, false, [&] {
        HWND progress = FindDialog(kProgressCounter);
        // Cancel once the batch has begun (the counter moves past the first file).
        for (int i = 0; i < 2000 && ControlText(progress, kProgressCounter).rfind(L"1 / ", 0) == 0; ++i) ::Sleep(5);
        Press(progress, IDCANCEL);
        WaitGone(progress);
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
    int code = Execute(list, false, [&] {
        HWND error = FindDialog(kErrorMessage);
        ASSERT_NE(nullptr, error);
        message = ControlText(error, kErrorMessage);
        ::CreateDirectoryW(missing.c_str(), nullptr);
        Press(error, kRetry);
        WaitGone(FindDialog(kProgressCounter));
    });
    EXPECT_EQ(0, code);
    EXPECT_EQ(0u, message.find(L"The file cannot be saved."));
    EXPECT_NE(std::wstring::npos, message.find(L"path"));  // the system's text for error 3
    EXPECT_EQ((std::vector<std::wstring>{L"scan1.pdf"}), ListNames(missing));
}

TEST_F(ExecuteTest, AbortInTheErrorDialogEndsWithUserCancelled) {
    std::wstring missing = m_sync / L"not there";
    RegistryValueOverride syncValue(HKEY_CURRENT_USER, kGeneralKey, kSyncValue, &missing);
    std::wstring list = MakeScans({L"scan1.pdf", L"scan2.pdf"});
    int code = Execute(list, false, [&] {
        HWND error = FindDialog(kErrorMessage);
        ASSERT_NE(nullptr, error);
        Press(error, kAbort);
        WaitGone(FindDialog(kProgressCounter));
    });
    EXPECT_EQ(1223, code);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(missing.c_str()));
    EXPECT_FALSE(ReadShowLink());
}

TEST_F(ExecuteTest, SettingInTheErrorDialogSavesIntoTheChosenFolder) {
    std::wstring missing = m_sync / L"gone";
    RegistryValueOverride syncValue(HKEY_CURRENT_USER, kGeneralKey, kSyncValue, &missing);
    ScratchFolder chosen;
    std::wstring list = MakeScans({L"scan1.pdf", L"scan2.pdf"});
    bool picked = false;
    int code = Execute(list, false, [&] {
        HWND error = FindDialog(kErrorMessage);
        ASSERT_NE(nullptr, error);
        Press(error, kSetting);
        picked = ChooseFolder(chosen.Path());
        WaitGone(FindDialog(kProgressCounter));
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
    int code = Execute(list, false, [&] {
        HWND question = FindDialog(0, L"Have you installed");
        askedBeforeProgress = question && !FindDialog(kProgressCounter, L"", 0);
        Press(question, IDNO);
        WaitGone(question);
    });
    EXPECT_EQ(1223, code);
    EXPECT_TRUE(askedBeforeProgress);
    EXPECT_TRUE(ListNames(m_sync.Path()).empty());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(SettingsFile().c_str()));
}

TEST_F(ExecuteWithoutCloudClientTest, YesAndAChosenFolderSaveThereAndStoreIt) {
    ScratchFolder chosen;
    std::wstring list = MakeScans({L"scan1.pdf", L"scan2.pdf"});
    bool picked = false;
    int code = Execute(list, false, [&] {
        HWND question = FindDialog(0, L"Have you installed");
        Press(question, IDYES);
        picked = ChooseFolder(chosen.Path());
        WaitGone(FindDialog(kProgressCounter));
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
    int code = Execute(m_in / L"no such list.txt", false, [&] {
        HWND box = FindDialog(0, L"Could not read scanned images.");
        if (box) message = AllText(box);
        otherDialog = FindDialog(kProgressCounter, L"", 0) || FindDialog(0, L"Have you installed", 0);
        Press(box, IDOK);
    });
    EXPECT_EQ(2, code);  // ERROR_FILE_NOT_FOUND, the reader's cause
    EXPECT_NE(std::wstring::npos, message.find(L"Error"));
    EXPECT_FALSE(otherDialog);
    EXPECT_TRUE(ListNames(m_sync.Path()).empty());
}

}  // namespace
