// The job, setting, summary and link calls of the real plug-in object against the real
// registry and settings file: the settings file lies under a scratch folder, the cloud
// client's keys are moved aside for each test, and message boxes and dialogs are answered by a
// UI robot.
#include "tests/app/AppTestSupport.h"

#include "settings/PluginReader.h"
#include "settings/PluginWriter.h"
#include "support/ResultCodes.h"
#include "tests/common/CloudTestSupport.h"
#include "tests/common/FolderPickerRobot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace app_testing;
using testing_support::CloudRegistryState;
using testing_support::ScratchFolder;

namespace {

const GUID kJobA = {0x0a1b2c3d, 0x4e5f, 0x6071, {0x82, 0x93, 0xa4, 0xb5, 0xc6, 0xd7, 0xe8, 0xf9}};
const GUID kJobB = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};
const GUID kZero = {};
constexpr int kShowRenamesBox = 201;

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

bool Logged(const std::vector<std::string>& log, const std::string& line) {
    return std::find(log.begin(), log.end(), line) != log.end();
}

// No cloud client: neither of its keys exists.
class JobCalls : public AppFixture {
protected:
    int ReadText(const GUID& id, const wchar_t* name, std::wstring& value) const {
        return PluginReaderXMLBrellix(MyGuid(id), m_base.Path()).ReadParam(&value, name, 1);
    }
    int ReadCommon(const wchar_t* name, bool& value) const {
        return PluginReaderXMLBrellix(MyGuid(), m_base.Path()).ReadParam(&value, name, 0);
    }
    static void ExpectErrorBoxes(const std::vector<SeenErrorBox>& boxes, const std::vector<std::wstring>& texts) {
        ASSERT_EQ(boxes.size(), texts.size());
        for (size_t i = 0; i < boxes.size(); ++i) {
            EXPECT_EQ(boxes[i].text, texts[i]);
            EXPECT_FALSE(boxes[i].owned);
            EXPECT_TRUE(boxes[i].singleButton);
        }
    }

    CloudRegistryState m_registry;
};

// The cloud client is there, with its sync folder.
class JobCallsWithSyncFolder : public JobCalls {
protected:
    JobCallsWithSyncFolder() { m_registry.SetSyncFolder(m_sync.Path()); }

    ScratchFolder m_sync;
};

// Closes the folder picker: confirms folder once the picker's tree shows it, or cancels when
// folder is empty.
std::function<void(UiRobot&)> Picker(const std::wstring& folder) {
    return [folder](UiRobot& r) { testing_support::AnswerPicker(r, folder); };
}

}  // namespace

TEST_F(JobCallsWithSyncFolder, CreateIdWritesARecordHoldingTheSyncFolderAsEmptyDestination) {
    ErrorBoxAnswerer boxes;
    GUID first = {}, second = {};
    ASSERT_EQ(m_app.CreateID(&first), 0);
    ASSERT_EQ(m_app.CreateID(&second), 0);
    EXPECT_TRUE(boxes.Finish().empty());
    EXPECT_NE(first, kZero);
    EXPECT_NE(first, second);
    for (const GUID& id : {first, second}) {
        std::wstring destination = L"unset";
        EXPECT_EQ(ReadText(id, L"Destination", destination), 0) << Saved();
        EXPECT_EQ(destination, L"");
        EXPECT_EQ(ReadText(id, L"ShowLink", destination), result::kBadEnvironment);
    }
    EXPECT_NE(Saved().find("<Setting ID=\"" + Narrow(MyGuid(first).ToString(1)) + "\" LastUpdate=\""),
              std::string::npos);
    std::vector<std::string> log = m_log.Texts();
    EXPECT_EQ(std::count(log.begin(), log.end(), "1 PluginApiCreateIdBase::Call"), 2);
}

TEST_F(JobCallsWithSyncFolder, CreateIdThatCannotWriteHandsBackTheNewIdWithTheFailure) {
    WriteSettings("<Objects><Setting");  // not well-formed: the file cannot be loaded for the write
    ErrorBoxAnswerer boxes;
    GUID id = {};
    int code = m_app.CreateID(&id);
    ExpectErrorBoxes(boxes.Finish(), {L"Could not write settings."});
    EXPECT_NE(code, 0);
    EXPECT_NE(id, kZero);
    EXPECT_TRUE(Logged(m_log.Texts(), "3 Error destination->WriteDestinationToXml writeXml = " + std::to_string(code)));
    EXPECT_EQ(Saved(), "<Objects><Setting");
}

TEST_F(JobCallsWithSyncFolder, CopyIdCopiesOnlyTheDestination) {
    WriteSettings(SettingsText(Record(kIdA, "2020/01/02 03:04:05",
                                      "<Destination>\\Scans</Destination><ShowLink>1</ShowLink>")));
    ErrorBoxAnswerer boxes;
    GUID copy = {};
    ASSERT_EQ(m_app.CopyID(&kJobA, &copy), 0);
    EXPECT_TRUE(boxes.Finish().empty());
    EXPECT_NE(copy, kZero);
    EXPECT_NE(copy, kJobA);
    std::wstring value;
    EXPECT_EQ(ReadText(copy, L"Destination", value), 0);
    EXPECT_EQ(value, L"\\Scans");
    EXPECT_EQ(ReadText(copy, L"ShowLink", value), result::kBadEnvironment);
    EXPECT_EQ(ReadText(kJobA, L"ShowLink", value), 0);  // the source keeps its record
    VARIANT_BOOL show = 7;
    EXPECT_EQ(m_app.ShowLinkButton(&copy, &show), result::kBadEnvironment);  // the copy's link stays hidden
    EXPECT_EQ(show, 7);
}

TEST_F(JobCallsWithSyncFolder, CopyIdOfAJobWithoutRecordFailsWithTheReadersCode) {
    struct Case {
        bool withFile;
        int expected;
    };
    for (const Case& c : {Case{false, result::kFileNotFound}, Case{true, result::kNotStored}}) {
        SCOPED_TRACE(c.expected);
        if (c.withFile) WriteSettings(SettingsText(Record(kIdB, "2020/01/02 03:04:05", "<Destination/>")));
        ErrorBoxAnswerer boxes;
        GUID copy = kJobB;
        EXPECT_EQ(m_app.CopyID(&kJobA, &copy), c.expected);
        ExpectErrorBoxes(boxes.Finish(), {L"Could not read settings."});
        EXPECT_EQ(copy, kZero);
        EXPECT_TRUE(Logged(m_log.Texts(),
                           "3 Error destination->ReadDestinationFromXml readXml = " + std::to_string(c.expected)));
    }
}

TEST_F(JobCallsWithSyncFolder, DeleteIdRemovesTheRecordOnce) {
    ErrorBoxAnswerer boxes;
    EXPECT_EQ(m_app.DeleteID(&kJobA), result::kFileNotFound);
    WriteSettings(SettingsText(Record(kIdA, "2020/01/02 03:04:05", "<Destination/>") +
                               Record(kIdB, "2020/01/02 03:04:05", "<Destination/>")));
    EXPECT_EQ(m_app.DeleteID(&kJobA), 0);
    EXPECT_EQ(m_app.DeleteID(&kJobA), result::kBadArguments);
    EXPECT_TRUE(boxes.Finish().empty());
    EXPECT_EQ(Saved().find(kIdA), std::string::npos);
    EXPECT_NE(Saved().find(kIdB), std::string::npos);
}

TEST_F(JobCallsWithSyncFolder, SummaryNamesTheDestinationFolder) {
    WriteSettings(SettingsText(Record(kIdA, "2020/01/02 03:04:05", "<Destination>\\Scans\\Receipts</Destination>")));
    std::wstring text;
    EXPECT_EQ(m_app.SettingSummary(&kJobA, text), 0);
    EXPECT_EQ(text, L"Destination : Receipts");
    EXPECT_TRUE(Logged(m_log.Texts(), "1 PluginApiSettingSummaryBase::Call"));
}

TEST_F(JobCalls, SummaryRemindsToInstallTheCloudApplication) {
    ScratchFolder elsewhere;
    std::string folder = Narrow(elsewhere / L"Receipts");
    WriteSettings(SettingsText(Record(kIdA, "2020/01/02 03:04:05", "<Destination>" + folder + "</Destination>")));
    std::wstring text;
    EXPECT_EQ(m_app.SettingSummary(&kJobA, text), 0);
    EXPECT_EQ(text, L"Destination : Receipts\nInstall the Brellix.");

    // Declared installed in the settings file: no reminder.
    WriteSettings(SettingsText("<CommonSetting><IsTargetInstalled>1</IsTargetInstalled></CommonSetting>" +
                               Record(kIdA, "2020/01/02 03:04:05", "<Destination>" + folder + "</Destination>")));
    EXPECT_EQ(m_app.SettingSummary(&kJobA, text), 0);
    EXPECT_EQ(text, L"Destination : Receipts");
}

TEST_F(JobCallsWithSyncFolder, SummaryOfAJobWithoutRecordIsEmpty) {
    ErrorBoxAnswerer boxes;
    std::wstring text = L"left over";
    EXPECT_EQ(m_app.SettingSummary(&kJobA, text), result::kFileNotFound);
    EXPECT_EQ(text, L"");
    WriteSettings(SettingsText(Record(kIdB, "2020/01/02 03:04:05", "<Destination/>")));
    EXPECT_EQ(m_app.SettingSummary(&kJobA, text), result::kNotStored);
    EXPECT_EQ(text, L"");
    EXPECT_TRUE(boxes.Finish().empty());
    EXPECT_TRUE(Logged(m_log.Texts(), "3 Error destination->ReadDestinationFromXml readXml = 2"));
}

TEST_F(JobCallsWithSyncFolder, LinkLabelAndLinkState) {
    std::wstring label;
    EXPECT_EQ(m_app.LinkLabel(&kJobA, label), 0);  // also without a record
    EXPECT_EQ(label, L"Open storage folder");

    VARIANT_BOOL show = 7;
    EXPECT_EQ(m_app.ShowLinkButton(&kJobA, &show), result::kFileNotFound);
    WriteSettings(SettingsText(Record(kIdA, "2020/01/02 03:04:05", "<Destination/>")));
    EXPECT_EQ(m_app.ShowLinkButton(&kJobA, &show), result::kBadEnvironment);
    EXPECT_EQ(m_app.ShowLinkButton(&kJobB, &show), result::kNotStored);
    EXPECT_EQ(show, 7);  // untouched while the state cannot be read

    ASSERT_EQ(PluginWriterXMLBrellix(MyGuid(kJobA), m_base.Path()).WriteParam(L"ShowLink", true, 1), 0);
    EXPECT_EQ(m_app.ShowLinkButton(&kJobA, &show), 0);
    EXPECT_EQ(show, VARIANT_TRUE);
    std::vector<std::string> log = m_log.Texts();
    EXPECT_TRUE(Logged(log, "1 _ShowLinkButton::Call"));
    EXPECT_TRUE(Logged(log, "1 _LinkLabel::Call"));
}

TEST_F(JobCallsWithSyncFolder, ClickedLinkButtonOfAJobWithoutRecordOpensNothing) {
    EXPECT_EQ(m_app.ClickedLinkButton(&kJobA), result::kFileNotFound);
    WriteSettings(SettingsText(Record(kIdB, "2020/01/02 03:04:05", "<Destination/>")));
    EXPECT_EQ(m_app.ClickedLinkButton(&kJobA), result::kNotStored);
    EXPECT_TRUE(Logged(m_log.Texts(), "1 _ClickedLinkButton::Call"));
}

TEST_F(JobCallsWithSyncFolder, ShowSettingWritesOnlyWhenTheFolderDialogIsConfirmed) {
    ASSERT_TRUE(::CreateDirectoryW((m_sync / L"Receipts").c_str(), nullptr));
    // Cancel: nothing written, not even a settings file.
    {
        UiRobot robot(Picker(std::wstring()));
        EXPECT_EQ(m_app.ShowSetting(&kJobA, 0), 0);
        robot.Join();
        EXPECT_FALSE(SettingsExist());
    }
    // Confirm at the default (the sync folder): a new record with the empty relative destination.
    {
        UiRobot robot(Picker(m_sync.Path()));
        EXPECT_EQ(m_app.ShowSetting(&kJobA, 0), 0);
        robot.Join();
        std::wstring value = L"unset";
        EXPECT_EQ(ReadText(kJobA, L"Destination", value), 0) << Saved();
        EXPECT_EQ(value, L"");
    }
    // Another folder chosen in the dialog is stored below the sync folder.
    {
        UiRobot robot(Picker(m_sync / L"Receipts"));
        EXPECT_EQ(m_app.ShowSetting(&kJobA, 0), 0);
        robot.Join();
        std::wstring value;
        EXPECT_EQ(ReadText(kJobA, L"Destination", value), 0) << Saved();
        EXPECT_EQ(value, L"\\Receipts");
    }
    // Cancel on a job with a record leaves the file as it was.
    std::string before = Saved();
    {
        UiRobot robot(Picker(std::wstring()));
        EXPECT_EQ(m_app.ShowSetting(&kJobA, 0), 0);
        robot.Join();
    }
    EXPECT_EQ(Saved(), before);
    EXPECT_TRUE(Logged(m_log.Texts(), "1 PluginApiShowSettingBase::Call"));
}

TEST_F(JobCallsWithSyncFolder, ShowSettingThatCannotWriteShowsTheError) {
    WriteSettings("<Objects><Setting");
    ErrorBoxAnswerer boxes;
    int code = 0;
    {
        UiRobot robot(Picker(m_sync.Path()));
        code = m_app.ShowSetting(&kJobA, 0);
        robot.Join();
    }
    ExpectErrorBoxes(boxes.Finish(), {L"Could not write settings."});
    EXPECT_NE(code, 0);
    EXPECT_TRUE(Logged(m_log.Texts(), "3 Error destination->WriteDestinationToXml writeXml = " + std::to_string(code)));
    EXPECT_EQ(Saved(), "<Objects><Setting");
}

TEST_F(JobCalls, ShowCommonSettingWritesOnlyWhenConfirmed) {
    enum class Close { kOk, kEscape };
    struct Case {
        const char* name;
        bool toggle;
        Close close;
        int expectedShown;  // check state the dialog opens with
        bool written;
        bool expectedValue;
    };
    // Runs in order on the same settings file.
    const Case cases[] = {
        {"no file, cancelled", true, Close::kEscape, BST_CHECKED, false, false},
        {"no file, untick and OK", true, Close::kOk, BST_CHECKED, true, false},
        {"stored 0, tick and Escape", true, Close::kEscape, BST_UNCHECKED, true, false},
        {"stored 0, tick and OK", true, Close::kOk, BST_UNCHECKED, true, true},
        {"stored 1, OK unchanged", false, Close::kOk, BST_CHECKED, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int shown = -1;
        UiRobot robot([&](UiRobot& r) {
            HWND dialog = r.WaitForWindow(L"#32770", L"Common settings");
            shown = r.CheckState(dialog, kShowRenamesBox);
            if (c.toggle) r.PressButton(dialog, kShowRenamesBox);
            if (c.close == Close::kOk) {
                r.Click(dialog, IDOK);
            } else {
                r.PressKey(dialog, VK_ESCAPE);
            }
        });
        EXPECT_EQ(m_app.ShowCommonSetting(0), 0);
        robot.Join();
        EXPECT_EQ(shown, c.expectedShown);
        EXPECT_EQ(SettingsExist(), c.written);
        if (c.written) {
            bool value = !c.expectedValue;
            EXPECT_EQ(ReadCommon(L"ShowRenames", value), 0) << Saved();
            EXPECT_EQ(value, c.expectedValue);
        }
    }
    EXPECT_TRUE(Logged(m_log.Texts(), "1 PluginApiShowCommonSettingBase::Call"));
}

TEST_F(JobCalls, ShowCommonSettingWithAnUnreadableFileShowsTheErrorAndNoDialog) {
    WriteSettings("<Objects><CommonSetting><ShowRenames>maybe</ShowRenames></CommonSetting></Objects>");
    ErrorBoxAnswerer boxes;
    EXPECT_EQ(m_app.ShowCommonSetting(0), result::kBadArguments);
    ExpectErrorBoxes(boxes.Finish(), {L"Could not read settings."});
    EXPECT_TRUE(Logged(m_log.Texts(), "3 Error commonSetting->ReadSetting readXml = 160"));
}
