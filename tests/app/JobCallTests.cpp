// The job, summary and link calls of the real plug-in object against the real registry and
// settings file: the roaming application-data folder and the cloud client's sync folder are
// moved to scratch folders for each test, and message boxes are answered by a test thread.
#include "tests/app/AppTestSupport.h"
#include "tests/app/MessageBoxWatcher.h"

#include "settings/PluginReader.h"
#include "settings/PluginWriter.h"
#include "support/ResultCodes.h"
#include "tests/common/ProcessRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace app_testing;
using testing_support::BinFolder;
using testing_support::RegistryValueOverride;
using testing_support::ScratchFolder;

namespace {

const wchar_t kUserShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const wchar_t kMakerKey[] = L"Software\\Quontel";
const wchar_t kGeneralKey[] = L"Software\\Quontel\\Brellix\\General";
const wchar_t kOlderKey[] = L"Software\\Brellix";
const GUID kJobA = {0x0a1b2c3d, 0x4e5f, 0x6071, {0x82, 0x93, 0xa4, 0xb5, 0xc6, 0xd7, 0xe8, 0xf9}};
const GUID kJobB = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};
const GUID kZero = {};

bool KeyExists(const wchar_t* subKey) {
    raii::UniqueKey key;
    return ::RegOpenKeyExW(HKEY_CURRENT_USER, subKey, 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}

// Removes the cloud client's keys at the end when they were not there at the start.
class CloudKeysCleanup {
public:
    CloudKeysCleanup() : m_hadMakerKey(KeyExists(kMakerKey)) {}
    ~CloudKeysCleanup() {
        if (m_hadMakerKey) return;
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kMakerKey);
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kMakerKey);
    }

private:
    bool m_hadMakerKey;
};

// No cloud client: neither of its keys exists.
class JobCalls : public ::testing::Test {
protected:
    std::wstring SettingsPath() const {
        MyFilePath path{std::wstring()};
        PluginSettingFileBrellix(m_roaming.Path()).GetFilePath(path);
        return path.GetPath();
    }
    void WriteSettings(const std::string& text) const {
        ASSERT_EQ(MyFolderPath(MyFilePath(SettingsPath()).GetFolder()).CreateRecursive(), 0u);
        testing_support::WriteFileBytes(SettingsPath(), text);
    }
    std::string Saved() const { return testing_support::ReadFileBytes(SettingsPath()); }
    int ReadText(const GUID& id, const wchar_t* name, std::wstring& value) const {
        return PluginReaderXMLBrellix(MyGuid(id), m_roaming.Path()).ReadParam(&value, name, 1);
    }
    static std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }
    static std::string Braced(const GUID& id) { return Narrow(MyGuid(id).ToString(1)); }

    raii::ComApartment m_apartment;
    CloudKeysCleanup m_cleanup;
    ScratchFolder m_roaming;
    std::wstring m_roamingPath = m_roaming.Path();
    RegistryValueOverride m_appData{HKEY_CURRENT_USER, kUserShellFolders, L"AppData", &m_roamingPath};
    testing_support::LogCapture m_log;
    MessageBoxWatcher m_boxes;
    PluginAppBrellix m_app;
};

// The cloud client is there, with its sync folder.
class JobCallsWithSyncFolder : public JobCalls {
protected:
    ScratchFolder m_sync;
    std::wstring m_syncPath = m_sync.Path();
    RegistryValueOverride m_syncValue{HKEY_CURRENT_USER, kGeneralKey, L"DefaultSyncFolderPath", &m_syncPath};
};

}  // namespace

TEST_F(JobCallsWithSyncFolder, CreateIdWritesARecordHoldingTheSyncFolderAsEmptyDestination) {
    GUID first = {}, second = {};
    ASSERT_EQ(m_app.CreateID(&first), 0);
    ASSERT_EQ(m_app.CreateID(&second), 0);
    EXPECT_NE(first, kZero);
    EXPECT_NE(first, second);
    for (const GUID& id : {first, second}) {
        std::wstring destination = L"unset";
        EXPECT_EQ(ReadText(id, L"Destination", destination), 0) << Saved();
        EXPECT_EQ(destination, L"");
    }
    EXPECT_NE(Saved().find("<Setting ID=\"" + Braced(first) + "\" LastUpdate=\""), std::string::npos);
    EXPECT_TRUE(m_boxes.Seen().empty());
    std::vector<std::string> log = m_log.Texts();
    EXPECT_EQ(std::count(log.begin(), log.end(), "1 PluginApiCreateIdBase::Call"), 2);
}

TEST_F(JobCallsWithSyncFolder, CopyIdCopiesOnlyTheDestination) {
    WriteSettings(SettingsText(Record(kIdA, "2020/01/02 03:04:05",
                                      "<Destination>\\Scans</Destination><ShowLink>1</ShowLink>")));
    GUID copy = {};
    ASSERT_EQ(m_app.CopyID(&kJobA, &copy), 0);
    EXPECT_NE(copy, kZero);
    std::wstring value;
    EXPECT_EQ(ReadText(copy, L"Destination", value), 0);
    EXPECT_EQ(value, L"\\Scans");
    EXPECT_EQ(ReadText(copy, L"ShowLink", value), result::kBadEnvironment);
    EXPECT_EQ(ReadText(kJobA, L"ShowLink", value), 0);  // the source keeps its record
    EXPECT_TRUE(m_boxes.Seen().empty());
}

TEST_F(JobCallsWithSyncFolder, CopyIdOfAJobWithoutRecordFailsWithTheReadersCode) {
    struct Case {
        bool withFile;
        int expected;
    };
    for (const Case& c : {Case{false, result::kFileNotFound}, Case{true, result::kNotStored}}) {
        if (c.withFile) WriteSettings(SettingsText(Record(kIdB, "2020/01/02 03:04:05", "<Destination/>")));
        GUID copy = kJobB;
        EXPECT_EQ(m_app.CopyID(&kJobA, &copy), c.expected);
        EXPECT_EQ(copy, kZero);
    }
    std::vector<SeenMessageBox> boxes = m_boxes.Seen();
    ASSERT_EQ(boxes.size(), 2u);
    for (const SeenMessageBox& box : boxes) {
        EXPECT_EQ(box.caption, L"Error");
        EXPECT_EQ(box.text, L"Could not read settings.");
        EXPECT_FALSE(box.owned);
    }
    std::vector<std::string> log = m_log.Texts();
    EXPECT_NE(std::find(log.begin(), log.end(), "3 Error destination->ReadDestinationFromXml readXml = 2"), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(),
                        "3 Error destination->ReadDestinationFromXml readXml = " + std::to_string(result::kNotStored)),
              log.end());
}

TEST_F(JobCallsWithSyncFolder, DeleteIdRemovesTheRecordOnce) {
    EXPECT_EQ(m_app.DeleteID(&kJobA), result::kFileNotFound);
    WriteSettings(SettingsText(Record(kIdA, "2020/01/02 03:04:05", "<Destination/>") +
                               Record(kIdB, "2020/01/02 03:04:05", "<Destination/>")));
    EXPECT_EQ(m_app.DeleteID(&kJobA), 0);
    EXPECT_EQ(m_app.DeleteID(&kJobA), result::kBadArguments);
    EXPECT_EQ(Saved().find(kIdA), std::string::npos);
    EXPECT_NE(Saved().find(kIdB), std::string::npos);
    EXPECT_TRUE(m_boxes.Seen().empty());
}

TEST_F(JobCallsWithSyncFolder, SummaryNamesTheDestinationFolder) {
    WriteSettings(SettingsText(Record(kIdA, "2020/01/02 03:04:05", "<Destination>\\Scans\\Receipts</Destination>")));
    std::wstring text;
    EXPECT_EQ(m_app.SettingSummary(&kJobA, text), 0);
    EXPECT_EQ(text, L"Destination : Receipts");
}

TEST_F(JobCalls, SummaryRemindsToInstallTheCloudApplication) {
    ASSERT_FALSE(KeyExists(L"Software\\Quontel\\Brellix"));
    ASSERT_FALSE(KeyExists(kOlderKey));
    ScratchFolder elsewhere;
    std::string folder = Narrow(elsewhere / L"Receipts");
    WriteSettings(SettingsText(Record(kIdA, "2020/01/02 03:04:05", "<Destination>" + folder + "</Destination>")));
    std::wstring text;
    EXPECT_EQ(m_app.SettingSummary(&kJobA, text), 0);
    EXPECT_EQ(text, L"Destination : Receipts\nInstall the Brellix.");
}

TEST_F(JobCallsWithSyncFolder, SummaryOfAJobWithoutRecordIsEmpty) {
    std::wstring text = L"left over";
    EXPECT_EQ(m_app.SettingSummary(&kJobA, text), result::kFileNotFound);
    EXPECT_EQ(text, L"");
    WriteSettings(SettingsText(Record(kIdB, "2020/01/02 03:04:05", "<Destination/>")));
    EXPECT_EQ(m_app.SettingSummary(&kJobA, text), result::kNotStored);
    EXPECT_EQ(text, L"");
    std::vector<std::string> log = m_log.Texts();
    EXPECT_NE(std::find(log.begin(), log.end(), "3 Error destination->ReadDestinationFromXml readXml = 2"), log.end());
    EXPECT_TRUE(m_boxes.Seen().empty());
}

TEST_F(JobCallsWithSyncFolder, LinkLabelAndLinkState) {
    std::wstring label;
    EXPECT_EQ(m_app.LinkLabel(&kJobA, label), 0);
    EXPECT_EQ(label, L"Open storage folder");

    VARIANT_BOOL show = 7;
    EXPECT_EQ(m_app.ShowLinkButton(&kJobA, &show), result::kFileNotFound);
    WriteSettings(SettingsText(Record(kIdA, "2020/01/02 03:04:05", "<Destination/>")));
    EXPECT_EQ(m_app.ShowLinkButton(&kJobA, &show), result::kBadEnvironment);
    EXPECT_EQ(m_app.ShowLinkButton(&kJobB, &show), result::kNotStored);
    EXPECT_EQ(show, 7);  // untouched while the state cannot be read

    ASSERT_EQ(PluginWriterXMLBrellix(MyGuid(kJobA), m_roaming.Path()).WriteParam(L"ShowLink", true, 1), 0);
    EXPECT_EQ(m_app.ShowLinkButton(&kJobA, &show), 0);
    EXPECT_EQ(show, VARIANT_TRUE);
    std::vector<std::string> log = m_log.Texts();
    EXPECT_NE(std::find(log.begin(), log.end(), "1 _ShowLinkButton::Call"), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "1 _LinkLabel::Call"), log.end());
}

TEST_F(JobCallsWithSyncFolder, ClickedLinkButtonOfAJobWithoutRecordOpensNothing) {
    EXPECT_EQ(m_app.ClickedLinkButton(&kJobA), result::kFileNotFound);
}

// The same calls through the command-line host and COM.
TEST_F(JobCallsWithSyncFolder, JobLifeThroughTheHost) {
    std::wstring dll = BinFolder() + L"\\PluginForBrellix.dll";
    ASSERT_EQ(testing_support::RunProcess(L"regsvr32.exe /s \"" + dll + L"\"").exitCode, 0u);
    auto host = [](const std::wstring& arguments) {
        std::vector<std::string> calls;
        for (const std::string& line :
             testing_support::Lines(testing_support::RunProcess(L"\"" + BinFolder() + L"\\plrhost.exe\" " + arguments).output)) {
            if (line.rfind("hWindow=", 0) == 0) continue;
            size_t failed = line.find(": hr=0x8");
            calls.push_back(failed == std::string::npos ? line : line.substr(0, failed + 15));
        }
        return calls;
    };
    std::vector<std::string> created = host(L"create-id");
    ASSERT_EQ(created.size(), 1u);
    ASSERT_EQ(created[0].rfind("CreateID: hr=0x00000000 pRetVal=0x00000000 (0) newID={", 0), 0u) << created[0];
    std::string id = created[0].substr(created[0].find('{'));
    std::wstring wideId(id.begin(), id.end());
    ::CreateDirectoryW((m_sync / L"Scans").c_str(), nullptr);

    std::vector<std::string> calls = host(L"summary " + wideId + L" link-label " + wideId + L" link-state " + wideId +
                                          L" delete-id " + wideId + L" delete-id " + wideId);
    std::string syncName = Narrow(m_sync.Path().substr(m_sync.Path().find_last_of(L'\\') + 1));
    EXPECT_EQ(calls, (std::vector<std::string>{
                         "SettingsSummary: hr=0x00000000 pRetVal=0x00000000 (0) Text=Destination : " + syncName,
                         "LinkLabel: hr=0x00000000 pRetVal=0x00000000 (0) Text=Open storage folder",
                         "ShowLinkButton: hr=0x8007000A",
                         "DeleteID: hr=0x00000000 pRetVal=0x00000000 (0)",
                         "DeleteID: hr=0x800700A0",
                     }));
    testing_support::RunProcess(L"regsvr32.exe /s /u \"" + dll + L"\"");
}
