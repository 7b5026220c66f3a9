// Dialogs with the localisation library bound (the stand-in library and the shipped
// translation file): translated texts, the font from the translations, right-to-left locales.
#include "resources/resource.h"
#include "support/Localization.h"
#include "support/MessageTexts.h"
#include "support/PluginHelp.h"
#include "tests/common/TestSupport.h"
#include "tests/common/UiRobot.h"
#include "tests/localization/LocalizationFixtures.h"
#include "ui/CPluginBaseDialog.h"
#include "ui/FolderBrowseDialog.h"
#include "ui/PluginCommonSettingDialog.h"
#include "ui/PluginFolderBrowseDialog.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

LONG HeightOfPoints(int points) {
    HDC screen = ::GetDC(nullptr);
    LONG height = -::MulDiv(points, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
    ::ReleaseDC(nullptr, screen);
    return height;
}

class Translated : public loc_test::BoundWithShippedFile {
protected:
    void TearDown() override {
        SetCurrentLocale(1033);
        loc_test::BoundWithShippedFile::TearDown();
    }
};

TEST_F(Translated, CommonSettingDialogInJapanese) {
    SetCurrentLocale(1041);
    std::wstring face;
    int size = 0;
    ASSERT_TRUE(DialogFontFromLocale(face, size));
    EXPECT_EQ(size, 9) << "from \"Meiryo UI/9\"";
    PluginCommonSettingDialog dialog(nullptr);
    EXPECT_EQ(dialog.SetValue(true), 0);
    UiRobot robot([&](UiRobot& r) {
        HWND window = r.WaitForWindow(L"#32770", L"共通設定");
        EXPECT_EQ(r.Text(window, IDC_SHOW_RENAMES), L"ファイルの保存時にファイル名を確認する(&C)");
        EXPECT_EQ(r.Text(window, IDOK), L"OK");
        EXPECT_EQ(r.CheckState(window, IDC_SHOW_RENAMES), BST_CHECKED);
        std::wstring shownFace;
        LONG height = 0;
        EXPECT_TRUE(r.WindowFont(window, shownFace, height));
        EXPECT_EQ(shownFace, face);
        EXPECT_EQ(height, HeightOfPoints(9));
        EXPECT_EQ(r.ExStyle(window) & WS_EX_LAYOUTRTL, 0);
        r.Screenshot(L"common-setting-ja", window);
        r.PressButton(window, IDC_SHOW_RENAMES);
        r.PressButton(window, IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    robot.Join();
    EXPECT_FALSE(dialog.GetValue());
}

class RecordingHelp : public PluginHelp {
public:
    RecordingHelp() : PluginHelp(L"ScanToBrellix", L"PluginForBrellix.dll") {}
    void ShowHelp(HWND owner, int locale) override { calls.push_back({owner, locale}); }
    std::vector<std::pair<HWND, int>> calls;
};

TEST_F(Translated, FolderPickerInJapaneseAsksForHelpInJapanese) {
    raii::ComApartment com;
    testing_support::ScratchFolder scratch;
    SetCurrentLocale(1041);
    RecordingHelp help;
    HWND shown = nullptr;
    PluginFolderBrowseDialog dialog;
    EXPECT_EQ(dialog.Prepare(nullptr, texts::PleaseSelectFolder(), &help), 0);
    UiRobot robot([&](UiRobot& r) {
        shown = r.WaitForWindow(L"#32770", nullptr);
        ::Sleep(200);
        HWND button = ::GetDlgItem(shown, FolderBrowseDialog::kExtraButtonId);
        EXPECT_EQ(r.WindowText(button), L"ヘルプ(&H)");
        r.Screenshot(L"folder-picker-ja", shown);
        r.Click(shown, FolderBrowseDialog::kExtraButtonId);
        r.Click(shown, IDCANCEL);
    });
    std::wstring path = scratch.Path();
    EXPECT_EQ(dialog.Browse(path), 2);
    robot.Join();
    ASSERT_EQ(help.calls.size(), 1u);
    EXPECT_EQ(help.calls[0].first, shown);
    EXPECT_EQ(help.calls[0].second, 1041);
}

// Shows a message box through the base when it gets WM_APP.
class BoxOnRequestDialog : public PluginCommonSettingDialog {
public:
    BoxOnRequestDialog() : PluginCommonSettingDialog(nullptr) {}
    int boxResult = 0;

protected:
    bool OnMessage(UINT message, WPARAM, LPARAM, INT_PTR&) override {
        if (message != WM_APP) return false;
        boxResult = MessageBox(L"Box text", L"", MB_OK);
        return true;
    }
};

class RightToLeft : public Translated, public ::testing::WithParamInterface<int> {};

TEST_P(RightToLeft, OnlyArabicMirrorsTheDialogAndReadsBoxesRightToLeft) {
    int locale = GetParam();
    bool rtl = locale == 1025;
    SetCurrentLocale(static_cast<LANGID>(locale));
    BoxOnRequestDialog dialog;
    std::wstring caption = texts::CommonSettings();
    UiRobot robot([&](UiRobot& r) {
        HWND window = r.WaitForWindow(L"#32770", caption.c_str());
        EXPECT_EQ((r.ExStyle(window) & WS_EX_LAYOUTRTL) != 0, rtl);
        // Mirrored: the OK button, on the right in the template, is on the left of the screen.
        RECT okOnScreen = {};
        RECT windowOnScreen = {};
        ::GetWindowRect(::GetDlgItem(window, IDOK), &okOnScreen);
        ::GetWindowRect(window, &windowOnScreen);
        bool okOnTheLeft = okOnScreen.left - windowOnScreen.left < (windowOnScreen.right - windowOnScreen.left) / 2;
        EXPECT_EQ(okOnTheLeft, rtl);
        // Message boxes of the dialog: owned by it, the program's name as caption when none is
        // given, and right-to-left reading where the locale asks for it (Wine does not show the
        // reading order in the box's window styles: check what the base hands to the platform).
        ::PostMessageW(window, WM_APP, 0, 0);
        HWND box = r.WaitForWindow(L"#32770", L"ui_tests");
        EXPECT_EQ(::GetWindow(box, GW_OWNER), window);
        const UINT rightToLeft = rtl ? MB_RTLREADING | MB_RIGHT : 0;
        EXPECT_EQ(dialog.MessageBoxStyle(MB_OK), UINT(MB_OK) | rightToLeft);
        EXPECT_EQ(dialog.MessageBoxStyle(MB_YESNO | MB_ICONERROR), UINT(MB_YESNO | MB_ICONERROR) | rightToLeft);
        UiRobot::MessageBoxSeen seen = r.AnswerMessageBox(L"ui_tests", IDOK);
        EXPECT_EQ(seen.text, L"Box text");
        if (rtl) r.Screenshot(L"common-setting-ar", window);
        r.PressKey(window, VK_ESCAPE);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    robot.Join();
    EXPECT_EQ(dialog.boxResult, IDOK);
}

INSTANTIATE_TEST_SUITE_P(Locales, RightToLeft, ::testing::Values(1033, 1041, 1025),
                         [](const auto& info) { return "Locale" + std::to_string(info.param); });

// Translations of the font text of our own: a new size changes only the size; a rejected form
// leaves the template's own font.
class FontTranslation : public loc_test::UnboundLocalization {
protected:
    void Bind(const std::string& fontEntry) {
        loc_test::PlaceLocalizationLibrary(m_plugin / L"orvloc.dll");
        ASSERT_TRUE(LoadLocalization(m_plugin.Handle()));
        testing_support::WriteFileBytes(m_plugin / L"font.loc", "[1041]\n\"Segoe UI/9\" = \"" + fontEntry + "\"\n");
        AddFile((m_plugin / L"font.loc").c_str());
        SetCurrentLocale(1041);
    }
    void TearDown() override {
        SetCurrentLocale(1033);
        loc_test::UnboundLocalization::TearDown();
    }
    // Face and height of the common setting dialog's font.
    void ShownFont(std::wstring& face, LONG& height) {
        PluginCommonSettingDialog dialog(nullptr);
        UiRobot robot([&](UiRobot& r) {
            HWND window = r.WaitForWindow(L"#32770", L"Common settings");
            EXPECT_TRUE(r.WindowFont(window, face, height));
            r.PressKey(window, VK_ESCAPE);
        });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        robot.Join();
    }
    loc_test::PluginFolder m_plugin;
};

TEST_F(FontTranslation, SizeTenChangesOnlyTheSize) {
    std::wstring untranslatedFace;
    int size = 0;
    ASSERT_TRUE(DialogFontFromLocale(untranslatedFace, size));
    Bind("Segoe UI/10");
    std::wstring face;
    LONG height = 0;
    ShownFont(face, height);
    EXPECT_EQ(face, untranslatedFace);
    EXPECT_EQ(height, HeightOfPoints(10));
}

TEST_F(FontTranslation, RejectedFormKeepsTheTemplateFont) {
    Bind("/10");
    std::wstring face;
    LONG height = 0;
    ShownFont(face, height);
    EXPECT_EQ(face, L"MS Shell Dlg");
    EXPECT_EQ(height, HeightOfPoints(8));
}

}  // namespace
