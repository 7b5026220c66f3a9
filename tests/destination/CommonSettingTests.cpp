#include "destination/PluginCommonSetting.h"
#include "settings/PluginReader.h"
#include "settings/PluginSettingFile.h"
#include "settings/PluginWriter.h"
#include "support/ResultCodes.h"
#include "tests/common/TestSupport.h"
#include "tests/destination/DestinationTestSupport.h"

#include <gtest/gtest.h>

#include <optional>

using destination_testing::DialogDriver;
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
    struct Case {
        const char* name;
        bool initial;
        bool toggle;
        int closeWith;
        int expectedEnd;
        bool expectedValue;
    };
    const Case cases[] = {
        {"OK unchanged", true, false, IDOK, IDOK, true},
        {"untick and OK", true, true, IDOK, IDOK, false},
        {"tick and OK", false, true, IDOK, IDOK, true},
        {"untick and Escape", true, true, IDCANCEL, IDCANCEL, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PluginCommonSettingSend2Folder common;
        common.SetShowRenames(c.initial);
        std::wstring caption;
        LRESULT shownState = -1;
        DialogDriver driver([&](HWND dialog) {
            caption = destination_testing::WindowText(dialog);
            HWND box = ::GetDlgItem(dialog, kShowRenamesBox);
            shownState = ::SendMessageW(box, BM_GETCHECK, 0, 0);
            if (c.toggle) {
                ::SendMessageW(box, BM_SETCHECK, shownState == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
            }
            ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(c.closeWith, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(dialog, c.closeWith)));
        });
        EXPECT_EQ(common.ShowDialog(nullptr), c.expectedEnd);
        ASSERT_TRUE(driver.Finish());
        EXPECT_EQ(caption, L"Common settings");
        EXPECT_EQ(shownState, c.initial ? BST_CHECKED : BST_UNCHECKED);
        EXPECT_EQ(common.GetShowRenames(), c.expectedValue);
    }
}
