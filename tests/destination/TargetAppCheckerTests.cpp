#include "destination/PluginTargetAppChecker.h"
#include "settings/PluginReader.h"
#include "settings/PluginSettingFile.h"
#include "settings/PluginSettingSummary.h"
#include "support/MessageTexts.h"
#include "support/ResultCodes.h"
#include "tests/common/TestSupport.h"
#include "tests/common/UiRobot.h"
#include "tests/common/CloudTestSupport.h"

#include <gtest/gtest.h>

using testing_support::CloudRegistryState;
using testing_support::ScratchFolder;

namespace {

// Writes a settings file below base whose common section holds the given parameters.
void WriteCommonSection(const std::wstring& base, const std::string& parameters) {
    MyFilePath file(L"");
    PluginSettingFileBrellix(base).GetFilePath(file);
    ASSERT_EQ(MyFolderPath(file.GetFolder()).CreateRecursive(), 0u);
    testing_support::WriteFileBytes(file.GetPath(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Objects><CommonSetting>" +
                                                        parameters + "</CommonSetting></Objects>\n");
}

}  // namespace

TEST(PluginTargetAppChecker, InstallMessageIsBuiltOnceFromTheTranslatedTexts) {
    PluginTargetAppChecker checker;
    const PluginMessage& first = checker.GetInstallMessage();
    EXPECT_EQ(first.GetText(), L"Have you installed the Brellix application?\n\n"
                               L"It is necessary to install the Brellix application to use this plug-in.");
    EXPECT_EQ(first.GetText(), texts::HaveYouInstalled() + L"\n\n" + texts::NecessaryToInstall());
    EXPECT_EQ(first.GetSummaryLine(), L"Install the Brellix.");
    EXPECT_EQ(&checker.GetInstallMessage(), &first) << "the same object the second time";
}

TEST(PluginTargetAppChecker, AskInstalledReturnsTheUsersAnswer) {
    for (int button : {IDYES, IDNO}) {
        SCOPED_TRACE(button);
        PluginTargetAppChecker checker;
        UiRobot::MessageBoxSeen seen;
        bool hasYes = false;
        bool hasNo = false;
        bool hasOk = true;
        UiRobot robot([&](UiRobot& r) {
            HWND box = r.WaitForWindow(L"#32770", L"Confirmation");
            hasYes = ::GetDlgItem(box, IDYES) != nullptr;
            hasNo = ::GetDlgItem(box, IDNO) != nullptr;
            hasOk = ::GetDlgItem(box, IDOK) != nullptr;
            seen = r.AnswerMessageBox(L"Confirmation", button);
        });
        EXPECT_EQ(checker.AskInstalled(nullptr), button);
        robot.Join();
        EXPECT_EQ(seen.text, checker.GetInstallMessage().GetText());
        EXPECT_TRUE(hasYes);
        EXPECT_TRUE(hasNo);
        EXPECT_FALSE(hasOk);
    }
}

TEST(PluginTargetAppChecker, InstalledFromSettingsFileOrApplicationKeys) {
    raii::ComApartment apartment;
    struct Case {
        const char* name;
        const char* commonParameters;  // null: no settings file
        const wchar_t* key;            // created below HKEY_CURRENT_USER, or null
        bool expectedBase;
        bool expectedBrellix;
    };
    const Case cases[] = {
        {"no settings file, no key", nullptr, nullptr, false, false},
        {"declared in the settings file", "<IsTargetInstalled>1</IsTargetInstalled>", nullptr, true, true},
        {"declared as TRUE", "<IsTargetInstalled>TRUE</IsTargetInstalled>", nullptr, true, true},
        {"declared not installed, no key", "<IsTargetInstalled>0</IsTargetInstalled>", nullptr, false, false},
        {"unreadable declaration, no key", "<IsTargetInstalled>yes</IsTargetInstalled>", nullptr, false, false},
        {"other common parameters only", "<ShowRenames>1</ShowRenames>", nullptr, false, false},
        {"current key only", nullptr, L"Software\\Quontel\\Brellix", false, true},
        {"older key only", nullptr, L"Software\\Brellix", false, true},
        {"declared not installed but key present", "<IsTargetInstalled>0</IsTargetInstalled>",
         L"Software\\Brellix", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CloudRegistryState registry;
        ScratchFolder settings;
        if (c.commonParameters) WriteCommonSection(settings.Path(), c.commonParameters);
        if (c.key) registry.CreateKey(c.key);
        PluginReaderXMLBrellix reader(MyGuid(), settings.Path());
        EXPECT_EQ(PluginTargetAppChecker().CheckTargetInstalled(&reader), c.expectedBase);
        EXPECT_EQ(PluginTargetAppCheckerBrellix().CheckTargetInstalled(&reader), c.expectedBrellix);
    }
}

TEST(PluginTargetAppChecker, SummaryGetsTheReminderOnlyWhenNotInstalled) {
    raii::ComApartment apartment;
    CloudRegistryState registry;
    ScratchFolder settings;
    PluginReaderXMLBrellix reader(MyGuid(), settings.Path());
    PluginTargetAppCheckerBrellix checker;
    EXPECT_EQ(checker.AddSummaryLine(nullptr, &reader), result::kBadArguments);

    PluginSettingSummary notInstalled;
    ASSERT_EQ(notInstalled.WriteParam(L"Destination", L"My Brellix", 1), 0);
    EXPECT_EQ(checker.AddSummaryLine(&notInstalled, &reader), 0);
    EXPECT_EQ(notInstalled.GetText(), L"Destination : My Brellix\nInstall the Brellix.");

    registry.CreateKey(L"Software\\Brellix");
    PluginSettingSummary installed;
    ASSERT_EQ(installed.WriteParam(L"Destination", L"My Brellix", 1), 0);
    EXPECT_EQ(checker.AddSummaryLine(&installed, &reader), 0);
    EXPECT_EQ(installed.GetText(), L"Destination : My Brellix");
}
