// The calls end to end: the command-line host creates the registered plug-in through COM and
// makes the host calls, with the user's roaming application-data folder moved to a scratch
// folder so that the plug-in's settings file lies there.
#include "tests/app/AppTestSupport.h"

#include "tests/common/ProcessRun.h"

#include <gtest/gtest.h>

using namespace app_testing;
using testing_support::BinFolder;
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
