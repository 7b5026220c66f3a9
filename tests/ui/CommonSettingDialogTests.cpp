// The common setting dialog as a real window: texts, the check box round trip, end codes.
#include "resources/resource.h"
#include "tests/common/UiRobot.h"
#include "ui/PluginCommonSettingDialog.h"

#include <gtest/gtest.h>

namespace {

enum class Close { Ok, OkButtonClick, Escape, CloseBox };

struct RoundTrip {
    const char* name;
    bool initial;
    bool toggle;  // the user clicks the check box once
    Close close;
    INT_PTR expectedCode;
    bool expectedValue;
};

const RoundTrip kRoundTrips[] = {
    {"CheckedOkUnchanged", true, false, Close::OkButtonClick, IDOK, true},
    {"UncheckedOkUnchanged", false, false, Close::Ok, IDOK, false},
    {"UncheckOk", true, true, Close::OkButtonClick, IDOK, false},
    {"CheckOkByEnter", false, true, Close::Ok, IDOK, true},
    {"UncheckEscapeKeepsOld", true, true, Close::Escape, IDCANCEL, true},
    {"CheckCloseBoxKeepsOld", false, true, Close::CloseBox, IDCANCEL, false},
};

class CommonSettingRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(CommonSettingRoundTrip, EndCodeAndValue) {
    const RoundTrip& c = GetParam();
    PluginCommonSettingDialog dialog(nullptr);
    EXPECT_EQ(dialog.SetValue(c.initial), 0);
    UiRobot robot([&](UiRobot& r) {
        HWND window = r.WaitForWindow(L"#32770", L"Common settings");
        EXPECT_EQ(r.CheckState(window, IDC_SHOW_RENAMES), c.initial ? BST_CHECKED : BST_UNCHECKED);
        if (c.toggle) {
            r.PressButton(window, IDC_SHOW_RENAMES);
            DWORD start = ::GetTickCount();
            while (r.CheckState(window, IDC_SHOW_RENAMES) == (c.initial ? 1 : 0) && ::GetTickCount() - start < 5000) {
                ::Sleep(20);
            }
            EXPECT_EQ(r.CheckState(window, IDC_SHOW_RENAMES), c.initial ? BST_UNCHECKED : BST_CHECKED);
        }
        switch (c.close) {
        case Close::Ok: r.PressKey(window, VK_RETURN); break;
        case Close::OkButtonClick: r.PressButton(window, IDOK); break;
        case Close::Escape: r.PressKey(window, VK_ESCAPE); break;
        case Close::CloseBox: r.CloseBox(window); break;
        }
        r.WaitForClose(window);
    });
    INT_PTR code = dialog.DoModal();
    robot.Join();
    EXPECT_EQ(code, c.expectedCode);
    EXPECT_EQ(dialog.GetValue(), c.expectedValue);
}

INSTANTIATE_TEST_SUITE_P(Cases, CommonSettingRoundTrip, ::testing::ValuesIn(kRoundTrips),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommonSettingDialog, ShowsItsTexts) {
    PluginCommonSettingDialog dialog(nullptr);
    UiRobot robot([](UiRobot& r) {
        HWND window = r.WaitForWindow(L"#32770", L"Common settings");
        EXPECT_EQ(r.Text(window, IDC_SHOW_RENAMES), L"&Confirm the file name when saving the file.");
        EXPECT_EQ(r.Text(window, IDOK), L"OK");
        EXPECT_EQ(r.Style(::GetDlgItem(window, IDOK)) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
        EXPECT_EQ(r.Style(::GetDlgItem(window, IDC_SHOW_RENAMES)) & BS_TYPEMASK, BS_AUTOCHECKBOX);
        r.Screenshot(L"common-setting-en", window);
        r.Click(window, IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    robot.Join();
}

TEST(CommonSettingDialog, ValueDefaultsToUnchecked) {
    PluginCommonSettingDialog dialog(nullptr);
    EXPECT_FALSE(dialog.GetValue());
    EXPECT_EQ(dialog.SetValue(true), 0);
    EXPECT_TRUE(dialog.GetValue());
}

}  // namespace
