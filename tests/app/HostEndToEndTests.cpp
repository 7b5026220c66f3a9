// The calls end to end: the command-line host creates the registered plug-in through COM and
// makes the host calls, with the user's roaming application-data folder moved to a scratch
// folder so that the plug-in's settings file lies there.
#include "tests/app/AppTestSupport.h"

#include "tests/common/CloudTestSupport.h"
#include "tests/common/ProcessRun.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace app_testing;
using testing_support::BinFolder;
using testing_support::EnvironmentOverride;
using testing_support::ReadFileBytes;
using testing_support::RunProcess;
using testing_support::ScratchFolder;
using testing_support::WriteFileBytes;

namespace {

const wchar_t kUserShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

class HostEndToEnd : public AppFixture {
protected:
    void SetUp() override {
        ASSERT_EQ(RunProcess(L"regsvr32.exe /s \"" + BinFolder() + L"\\PluginForBrellix.dll\"").exitCode, 0u);
    }
    void TearDown() override { RunProcess(L"regsvr32.exe /s /u \"" + BinFolder() + L"\\PluginForBrellix.dll\""); }

    // Runs plrhost with the subcommands; the lines that report host calls.
    std::vector<std::string> Host(const std::wstring& arguments) {
        testing_support::ProcessResult run = RunProcess(L"\"" + BinFolder() + L"\\plrhost.exe\" " + arguments);
        std::vector<std::string> calls;
        for (const std::string& line : testing_support::Lines(run.output)) {
            if (line.rfind("hWindow=", 0) == 0) continue;  // the host's own window
            calls.push_back(line);
        }
        return calls;
    }

    std::wstring m_roaming = m_base.Path();
    testing_support::RegistryValueOverride m_appData{HKEY_CURRENT_USER, kUserShellFolders, L"AppData", &m_roaming};
    ScratchFolder m_carry;
};

// The cloud client is there, with its sync folder.
class HostEndToEndWithSyncFolder : public HostEndToEnd {
protected:
    HostEndToEndWithSyncFolder() { m_registry.SetSyncFolder(m_sync.Path()); }

    testing_support::CloudRegistryState m_registry;
    ScratchFolder m_sync;
};

}  // namespace

TEST_F(HostEndToEnd, ExportAndImportThroughTheHost) {
    std::string settings = SettingsText("<CommonSetting><ShowRenames>0</ShowRenames></CommonSetting>" +
                                        Record(kIdA, "2020/01/02 03:04:05", "<Destination>\\Scans</Destination>"));
    WriteSettings(settings);
    std::wstring missing = m_carry / L"missing";
    EXPECT_EQ(Host(L"export \"" + m_carry.Path() + L"\" export \"" + missing + L"\""),
              (std::vector<std::string>{"Export: hr=0x00000000 pRetVal=0x00000000 (0)",
                                        "Export: hr=0x80070003 pRetVal=0x00000003 (3)"}));
    EXPECT_EQ(ReadFileBytes(m_carry / L"PluginForBrellix.xml"), settings);

    // Another job arrives in the exported file; importing it adds that job.
    WriteFileBytes(m_carry / L"PluginForBrellix.xml",
                   SettingsText(Record(kIdC, "2024/05/06 07:08:10", "<Destination>\\Other</Destination>")));
    EXPECT_EQ(Host(L"import \"" + m_carry.Path() + L"\""),
              std::vector<std::string>{"Import: hr=0x00000000 pRetVal=0x00000000 (0)"});
    std::string saved = Saved();
    EXPECT_NE(saved.find(Record(kIdA, "2020/01/02 03:04:05", "<Destination>\\Scans</Destination>") +
                         Record(kIdC, "2024/05/06 07:08:10", "<Destination>\\Other</Destination>")),
              std::string::npos)
        << saved;
}

TEST_F(HostEndToEndWithSyncFolder, JobLifeThroughTheHost) {
    std::vector<std::string> created = Host(L"create-id");
    ASSERT_EQ(created.size(), 1u);
    const std::string prefix = "CreateID: hr=0x00000000 pRetVal=0x00000000 (0) newID=";
    ASSERT_EQ(created[0].rfind(prefix, 0), 0u) << created[0];
    std::string id = created[0].substr(prefix.size());
    ASSERT_EQ(id.size(), 38u) << id;
    std::wstring wideId(id.begin(), id.end());

    std::wstring syncName = m_sync.Path().substr(m_sync.Path().find_last_of(L'\\') + 1);
    std::vector<std::string> calls = Host(L"summary " + wideId + L" link-label " + wideId + L" link-state " + wideId);
    EXPECT_EQ(calls, (std::vector<std::string>{
                         "SettingsSummary: hr=0x00000000 pRetVal=0x00000000 (0) Text=Destination : " +
                             std::string(syncName.begin(), syncName.end()),
                         "LinkLabel: hr=0x00000000 pRetVal=0x00000000 (0) Text=Open storage folder",
                         "ShowLinkButton: hr=0x8007000A pRetVal=0x0000000A (10) bShow=0",
                     }));
    std::string saved = Saved();
    EXPECT_NE(saved.find("<Setting ID=\"" + id + "\" LastUpdate=\""), std::string::npos) << saved;

    calls = Host(L"copy-id " + wideId);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].rfind("CopyID: hr=0x00000000 pRetVal=0x00000000 (0) dstid={", 0), 0u) << calls[0];

    EXPECT_EQ(Host(L"delete-id " + wideId + L" delete-id " + wideId),
              (std::vector<std::string>{"DeleteID: hr=0x00000000 pRetVal=0x00000000 (0)",
                                        "DeleteID: hr=0x800700A0 pRetVal=0x000000A0 (160)"}));
    saved = Saved();
    EXPECT_EQ(saved.find(id), std::string::npos) << saved;
    EXPECT_NE(saved.find("<Setting ID=\"{"), std::string::npos) << "the copy stays";
}

TEST_F(HostEndToEnd, DeleteIdWithoutSettingsFileThroughTheHost) {
    EXPECT_EQ(Host(L"delete-id {0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}"),
              std::vector<std::string>{"DeleteID: hr=0x80070002 pRetVal=0x00000002 (2)"});
    EXPECT_FALSE(SettingsExist());
}

namespace {

struct UsageCase {
    const char* name;
    const wchar_t* arguments;
    DWORD exitCode;
    const char* says;  // the line that says what was wrong (or the usage line)
};

const UsageCase kUsageCases[] = {
    {"Help", L"--help", 0, "usage: plrhost <subcommand> [arguments] [<subcommand> [arguments] ...]"},
    {"Nothing", L"", 2, "usage: plrhost <subcommand> [arguments] [<subcommand> [arguments] ...]"},
    {"Unknown", L"bogus", 2, "usage error: unknown subcommand \"bogus\""},
    {"ExecuteWithoutArguments", L"execute", 2, "usage error: \"execute\" expects <filelist> <delete 0|1> [<job>]"},
    {"ExecuteWithOneArgument", L"create-id execute list.txt", 2,
     "usage error: \"execute\" expects <filelist> <delete 0|1> [<job>]"},
    {"NotAJobId", L"delete-id nope", 2, "usage error: \"delete-id\" expects <job>, a braced GUID, not \"nope\""},
    {"LaterMistake", L"identity summary", 2, "usage error: \"summary\" expects <job>"},
};

class PlrhostUsage : public ::testing::TestWithParam<UsageCase> {};

// Every usage error says what was expected and lists every subcommand with its arguments; no
// call is made before the whole command line has been checked.
TEST_P(PlrhostUsage, SaysWhatWasExpectedAndListsTheSubcommands) {
    const UsageCase& c = GetParam();
    testing_support::ProcessResult run =
        RunProcess(L"\"" + BinFolder() + L"\\plrhost.exe\" " + std::wstring(c.arguments));
    EXPECT_EQ(run.exitCode, c.exitCode);
    std::vector<std::string> lines = testing_support::Lines(run.output);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], c.says);
    for (const char* listed : {"  identity ", "  execute <filelist> <delete 0|1> [<job>] ", "  summary <job> ",
                               "  set-language <langid> ", "  import <folder> "}) {
        bool found = false;
        for (const std::string& line : lines) found = found || line.rfind(listed, 0) == 0;
        EXPECT_TRUE(found) << listed << "\n" << run.output;
    }
    EXPECT_EQ(run.output.find("hWindow="), std::string::npos) << "no call was made";
}

INSTANTIATE_TEST_SUITE_P(Cases, PlrhostUsage, ::testing::ValuesIn(kUsageCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

// A dialog left waiting (here the message about an unreadable file list) is reported with its
// texts and a screenshot, and closed after the time-out: the run ends by itself.
TEST_F(HostEndToEndWithSyncFolder, TheWatchdogReportsAndClosesADialogNobodyAnswers) {
    EnvironmentOverride timeout(L"PLRHOST_DIALOG_TIMEOUT", L"2");
    std::string folder = TEST_BINARY_DIR "/screenshots/plrhost-watchdog";
    EnvironmentOverride screenshots(L"PLRHOST_SCREENSHOTS", std::wstring(folder.begin(), folder.end()));
    testing_support::ProcessResult run = RunProcess(L"\"" + BinFolder() + L"\\plrhost.exe\" create-id execute \"" +
                                                    (m_carry / L"missing.txt") + L"\" 0");
    EXPECT_EQ(run.exitCode, 1u) << run.output;
    std::vector<std::string> lines = testing_support::Lines(run.output);
    auto has = [&](const std::string& start) {
        for (const std::string& line : lines) {
            if (line.rfind(start, 0) == 0) return true;
        }
        return false;
    };
    EXPECT_TRUE(has("plrhost: a dialog waits on a display nobody sees: \"Error\"")) << run.output;
    EXPECT_TRUE(has("  | Could not read scanned images.")) << run.output;
    EXPECT_TRUE(has("plrhost: screenshot " + folder + "/plrhost-dialog-")) << run.output;
    EXPECT_TRUE(has("plrhost: time-out: closing \"Error\" as Cancel/Abort")) << run.output;
    EXPECT_TRUE(has("Execute: hr=0x80070002 pRetVal=0x00000002 (2)")) << run.output;
}

// Two hosts copying jobs at the same time, as two scanning stations of one user would: every
// call succeeds and every copy is kept.
TEST_F(HostEndToEndWithSyncFolder, TwoHostsCopyingJobsAtTheSameTimeKeepEveryCopy) {
    std::vector<std::string> created = Host(L"create-id");
    ASSERT_EQ(created.size(), 1u);
    const std::string prefix = "CreateID: hr=0x00000000 pRetVal=0x00000000 (0) newID=";
    ASSERT_EQ(created[0].rfind(prefix, 0), 0u) << created[0];
    std::string id = created[0].substr(prefix.size());
    std::wstring copies;
    constexpr int kCopies = 60;
    for (int i = 0; i < kCopies; ++i) copies += L" copy-id " + std::wstring(id.begin(), id.end());

    const std::wstring command = L"\"" + BinFolder() + L"\\plrhost.exe\"" + copies;
    testing_support::ProcessResult runs[2];
    std::thread second([&] { runs[1] = RunProcess(command); });
    // An error the plug-in shows would wait for a click: it is counted and answered, so that
    // the test fails instead of waiting.
    std::atomic<bool> hostsDone{false};
    std::atomic<int> errorBoxes{0};
    std::thread answerer([&] {
        while (!hostsDone) {
            HWND box = ::FindWindowW(L"#32770", L"Error");
            DWORD owner = 0;
            if (box) ::GetWindowThreadProcessId(box, &owner);
            if (box && owner != ::GetCurrentProcessId()) {
                ++errorBoxes;
                ::PostMessageW(box, WM_COMMAND, IDOK, 0);
            }
            ::Sleep(50);
        }
    });
    runs[0] = RunProcess(command);
    second.join();
    hostsDone = true;
    answerer.join();
    EXPECT_EQ(errorBoxes.load(), 0);

    std::vector<std::string> newIds;
    for (const auto& run : runs) {
        int calls = 0;
        for (const std::string& line : testing_support::Lines(run.output)) {
            if (line.rfind("CopyID:", 0) != 0) continue;
            ++calls;
            const std::string done = "CopyID: hr=0x00000000 pRetVal=0x00000000 (0) dstid=";
            EXPECT_EQ(line.rfind(done, 0), 0u) << line;
            if (line.rfind(done, 0) == 0) newIds.push_back(line.substr(done.size()));
        }
        EXPECT_EQ(calls, kCopies) << run.output;
    }
    std::string saved = Saved();
    for (const std::string& newId : newIds) {
        EXPECT_NE(saved.find("<Setting ID=\"" + newId + "\""), std::string::npos) << newId << " was lost";
    }
    EXPECT_NE(saved.find("<Setting ID=\"" + id + "\""), std::string::npos);
}
