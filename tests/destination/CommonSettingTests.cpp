#include "destination/PluginCommonSetting.h"
#include "settings/PluginReader.h"
#include "settings/PluginSettingFile.h"
#include "settings/PluginWriter.h"
#include "support/ResultCodes.h"
#include "tests/common/TestSupport.h"
#include "tests/common/UiRobot.h"

#include <gtest/gtest.h>

#include <optional>

using testing_support::ScratchFolder;

namespace {

constexpr int kShowRenamesBox = 201;

std::wstring SettingsFile(const std::wstring& base) {
    MyFilePath file(L"");
    PluginSettingFileBrellix(base).GetFilePath(file);
    return file.GetPath();
}

void WriteSettings(const std::wstring& base, const std::string& xml) {
    std::wstring file = SettingsFile(base);
    ASSERT_EQ(MyFolderPath(MyFilePath(file).GetFolder()).CreateRecursive(), 0u);
    testing_support::WriteFileBytes(file, xml);
}

}  // namespace

TEST(PluginCommonSettingSend2Folder, ReadTakesTheStoredValueOrTrueWhenNotStored) {
    raii::ComApartment apartment;
    const std::string declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    struct Case {
        const char* name;
        std::optional<std::string> file;
        bool initial;
        int expectedCode;
        bool expectedValue;
    };
    const Case cases[] = {
        {"no settings file", std::nullopt, false, 0, true},
        {"no common section", declaration + "<Objects/>", false, 0, true},
        {"no ShowRenames", declaration + "<Objects><CommonSetting/></Objects>", false, 0, true},
        {"stored 0", declaration + "<Objects><CommonSetting><ShowRenames>0</ShowRenames></CommonSetting></Objects>",
         true, 0, false},
        {"stored true", declaration + "<Objects><CommonSetting><ShowRenames>true</ShowRenames></CommonSetting></Objects>",
         false, 0, true},
        {"stored yes", declaration + "<Objects><CommonSetting><ShowRenames>yes</ShowRenames></CommonSetting></Objects>",
         false, result::kBadArguments, false},
        {"not well-formed", declaration + "<Objects><CommonSetting>", false, result::kAccessDenied, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder settings;
        if (c.file) WriteSettings(settings.Path(), *c.file);
        PluginReaderXMLBrellix reader(MyGuid(), settings.Path());
        PluginCommonSettingSend2Folder common;
        common.SetShowRenames(c.initial);
        EXPECT_EQ(common.ReadSetting(&reader), c.expectedCode);
        EXPECT_EQ(common.GetShowRenames(), c.expectedValue);
    }
}

TEST(PluginCommonSettingSend2Folder, WriteStoresTheValueInTheCommonSection) {
    raii::ComApartment apartment;
    ScratchFolder settings;
    for (bool value : {false, true}) {
        PluginWriterXMLBrellix writer(MyGuid(), settings.Path());
        PluginCommonSettingSend2Folder common;
        common.SetShowRenames(value);
        EXPECT_EQ(common.WriteSetting(&writer), 0);
        PluginReaderXMLBrellix reader(MyGuid(), settings.Path());
        bool stored = !value;
        EXPECT_EQ(reader.ReadParam(&stored, L"ShowRenames", 0), 0);
        EXPECT_EQ(stored, value);
    }
    PluginCommonSettingSend2Folder common;
    EXPECT_EQ(common.WriteSetting(nullptr), result::kBadArguments);
    EXPECT_EQ(common.ReadSetting(nullptr), result::kBadArguments);
}

TEST(PluginCommonSettingSend2Folder, DialogShowsTheValueAndChangesItOnlyOnOk) {
    enum class Close { kOk, kEscape, kCloseBox };
    struct Case {
        const char* name;
        bool initial;
        bool toggle;
        Close close;
        int expectedEnd;
        bool expectedValue;
    };
    const Case cases[] = {
        {"OK unchanged", true, false, Close::kOk, IDOK, true},
        {"untick and OK", true, true, Close::kOk, IDOK, false},
        {"tick and OK", false, true, Close::kOk, IDOK, true},
        {"untick and Escape", true, true, Close::kEscape, IDCANCEL, true},
        {"tick and close box", false, true, Close::kCloseBox, IDCANCEL, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PluginCommonSettingSend2Folder common;
        common.SetShowRenames(c.initial);
        int shownState = -1;
        UiRobot robot([&](UiRobot& r) {
            HWND dialog = r.WaitForWindow(L"#32770", L"Common settings");
            shownState = r.CheckState(dialog, kShowRenamesBox);
            if (c.toggle) r.PressButton(dialog, kShowRenamesBox);
            switch (c.close) {
                case Close::kOk: r.Click(dialog, IDOK); break;
                case Close::kEscape: r.PressKey(dialog, VK_ESCAPE); break;
                case Close::kCloseBox: r.CloseBox(dialog); break;
            }
        });
        EXPECT_EQ(common.ShowDialog(nullptr), c.expectedEnd);
        robot.Join();
        EXPECT_EQ(shownState, c.initial ? BST_CHECKED : BST_UNCHECKED);
        EXPECT_EQ(common.GetShowRenames(), c.expectedValue);
    }
}
