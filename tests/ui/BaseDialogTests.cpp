// The dialog base: in-memory templates and their font, the four templates as real windows,
// the font rules, right-to-left layout and message boxes, and the log lines.
#include "resources/resource.h"
#include "support/MyModule.h"
#include "support/OrvInfoLog.h"
#include "tests/common/TestSupport.h"
#include "tests/common/UiRobot.h"
#include "ui/CPluginBaseDialog.h"
#include "ui/DialogTemplate.h"
#include "ui/PluginCommonSettingDialog.h"

#include <gtest/gtest.h>
#include <commctrl.h>

#include <sstream>
#include <vector>

namespace {

// A dialog that shows its template as it stands (no run-time texts).
class TemplateOnlyDialog : public CPluginBaseDialog {
public:
    explicit TemplateOnlyDialog(UINT templateId) : CPluginBaseDialog(templateId, nullptr) {}
};

// A face that this machine has, for rules that need an installed preferred face.
const std::wstring& InstalledFace() {
    static const std::wstring face = [] {
        for (const wchar_t* candidate : {L"Tahoma", L"Liberation Sans", L"DejaVu Sans", L"Arial"}) {
            if (IsFontInstalled(candidate)) return std::wstring(candidate);
        }
        return std::wstring();
    }();
    return face;
}

std::wstring ExpectedFace() { return IsFontInstalled(L"Segoe UI") ? L"Segoe UI" : L"Tahoma"; }

LONG HeightOfPoints(int points) {
    HDC screen = ::GetDC(nullptr);
    LONG height = -::MulDiv(points, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
    ::ReleaseDC(nullptr, screen);
    return height;
}

// ---- In-memory template ----------------------------------------------------------------

TEST(DialogTemplate, LoadsEveryTemplateWithItsDeclaredFont) {
    for (UINT id : {IDD_PROGRESS, IDD_ERROR, IDD_RENAME_WARNING, IDD_COMMON_SETTING}) {
        DialogTemplate dialogTemplate;
        ASSERT_TRUE(dialogTemplate.Load(MyModule::CodeModule(), id)) << id;
        std::wstring face;
        WORD size = 0;
        ASSERT_TRUE(dialogTemplate.GetFont(face, size)) << id;
        EXPECT_EQ(face, L"MS Shell Dlg") << id;
        EXPECT_EQ(size, 8) << id;
        EXPECT_EQ(dialogTemplate.Style() & (DS_SETFONT | DS_FIXEDSYS | DS_MODALFRAME | WS_POPUP | WS_CAPTION |
                                                 WS_SYSMENU),
                  DWORD(DS_SETFONT | DS_FIXEDSYS | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU))
            << id;
    }
}

TEST(DialogTemplate, MissingTemplateLeavesItEmpty) {
    DialogTemplate dialogTemplate;
    EXPECT_FALSE(dialogTemplate.Load(MyModule::CodeModule(), 999));
    EXPECT_TRUE(dialogTemplate.IsEmpty());
    EXPECT_EQ(dialogTemplate.Get(), nullptr);
    EXPECT_FALSE(dialogTemplate.SetFont(L"Tahoma", 9));
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

struct FontCase {
    const char* name;
    std::wstring face;
    WORD size;
    bool accepted;
};

class TemplateFont : public ::testing::TestWithParam<FontCase> {};

// The font block changes length with the face: the items must move and stay intact, which the
// platform proves by creating every control from the changed copy.
TEST_P(TemplateFont, ReplacesFaceAndSizeAndKeepsTheItems) {
    const FontCase& c = GetParam();
    DialogTemplate dialogTemplate;
    ASSERT_TRUE(dialogTemplate.Load(MyModule::CodeModule(), IDD_RENAME_WARNING));
    EXPECT_EQ(dialogTemplate.SetFont(c.face, c.size), c.accepted);
    std::wstring face;
    WORD size = 0;
    ASSERT_TRUE(dialogTemplate.GetFont(face, size));
    EXPECT_EQ(face, c.accepted ? c.face : L"MS Shell Dlg");
    EXPECT_EQ(size, c.accepted ? c.size : 8);

    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&classes);
    raii::UniqueWindow dialog(::CreateDialogIndirectParamW(MyModule::CodeModule(), dialogTemplate.Get(), nullptr,
                                                           PlainDialogProc, 0));
    ASSERT_TRUE(dialog);
    EXPECT_EQ(UiRobot::WindowText(dialog.Get()), L"Nortify");
    EXPECT_EQ(UiRobot::Text(dialog.Get(), IDOK), L"OK");
    EXPECT_EQ(UiRobot::ClassName(::GetDlgItem(dialog.Get(), IDC_RENAME_LIST)), L"SysListView32");
    EXPECT_EQ(UiRobot::Text(dialog.Get(), IDC_RENAME_MESSAGE), L"msg");
    EXPECT_EQ(UiRobot::Text(dialog.Get(), IDC_DO_NOT_SHOW_AGAIN), L"&Do not show this message again");
    std::wstring shownFace;
    LONG height = 0;
    ASSERT_TRUE(UiRobot::WindowFont(dialog.Get(), shownFace, height));
    if (c.accepted && IsFontInstalled(c.face)) {
        EXPECT_EQ(shownFace, c.face);
    }
}

const FontCase kFontCases[] = {
    {"ShorterFace", L"Arial", 9, true},
    {"SameLengthFace", L"Tahoma", 10, true},
    {"LongerFace", L"Some Much Longer Face Name", 11, true},
    {"ThirtyOneCharacters", std::wstring(31, L'F'), 9, true},
    {"ThirtyTwoCharactersKeepTheFont", std::wstring(32, L'F'), 9, false},
};
INSTANTIATE_TEST_SUITE_P(Cases, TemplateFont, ::testing::ValuesIn(kFontCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- The templates as windows -------------------------------------------------------------

struct ControlSpec {
    int id;
    const wchar_t* className;
    int x, y, cx, cy;  // dialog units
    const wchar_t* text;
    // 64 bits in both builds: kBordered lies above the 32 bits of a window style.
    unsigned long long styleMask;
    unsigned long long style;
};

struct TemplateSpec {
    const char* name;
    UINT id;
    const wchar_t* caption;
    int cx, cy;
    std::vector<ControlSpec> controls;
};

const unsigned long long kButtonType = BS_TYPEMASK;
// A bordered control: the dialog manager turns WS_BORDER into a client edge. (The progress
// bar's border is not checked: the themed control drops its edges itself.)
const unsigned long long kBordered = 1ull << 40;
const TemplateSpec kTemplates[] = {
    {"Progress", IDD_PROGRESS, L"Processing", 286, 84,
     {{IDC_SAVING_TEXT, L"Static", 7, 7, 272, 8, L"Saving...", SS_TYPEMASK, SS_LEFT},
      {IDC_FILE_NAME_TEXT, L"Static", 7, 19, 272, 8, L"Name", SS_TYPEMASK | SS_NOPREFIX, SS_OWNERDRAW | SS_NOPREFIX},
      {IDC_COUNTER_TEXT, L"Static", 7, 31, 272, 8, L"1 / 1", SS_TYPEMASK, SS_LEFT},
      {IDC_PROGRESS_BAR, L"msctls_progress32", 7, 46, 272, 10, L"", PBS_MARQUEE, PBS_MARQUEE},
      {IDCANCEL, L"Button", 229, 63, 50, 14, L"Cancel", kButtonType | WS_TABSTOP, BS_PUSHBUTTON | WS_TABSTOP}}},
    {"Error", IDD_ERROR, L"Error", 264, 83,
     {{IDC_RETRY, L"Button", 17, 59, 70, 17, L"Retry", kButtonType | WS_TABSTOP, BS_PUSHBUTTON | WS_TABSTOP},
      {IDC_ABORT, L"Button", 97, 59, 70, 17, L"Abort", kButtonType | WS_TABSTOP, BS_PUSHBUTTON | WS_TABSTOP},
      {IDC_SETTING, L"Button", 177, 59, 70, 17, L"Setting", kButtonType | WS_TABSTOP, BS_PUSHBUTTON | WS_TABSTOP},
      {IDC_ERROR_MESSAGE, L"Static", 7, 16, 248, 29, L"Msg", SS_TYPEMASK | SS_NOPREFIX, SS_LEFT | SS_NOPREFIX},
      {IDC_ERROR_LINE, L"Static", 7, 49, 248, 1, L"", SS_TYPEMASK, SS_ETCHEDHORZ}}},
    {"RenameWarning", IDD_RENAME_WARNING, L"Nortify", 381, 255,
     {{IDOK, L"Button", 324, 234, 50, 14, L"OK", kButtonType, BS_DEFPUSHBUTTON},
      {IDC_RENAME_LIST, L"SysListView32", 7, 24, 367, 182, L"", LVS_TYPEMASK | WS_TABSTOP | kBordered,
       LVS_REPORT | WS_TABSTOP | kBordered},
      {IDC_RENAME_MESSAGE, L"Static", 7, 7, 367, 8, L"msg", SS_TYPEMASK, SS_LEFT},
      {IDC_DO_NOT_SHOW_AGAIN, L"Button", 7, 216, 367, 10, L"&Do not show this message again",
       kButtonType | WS_TABSTOP, BS_AUTOCHECKBOX | WS_TABSTOP}}},
    {"CommonSetting", IDD_COMMON_SETTING, L"Dialog", 249, 55,
     {{IDOK, L"Button", 192, 34, 50, 14, L"OK", kButtonType, BS_DEFPUSHBUTTON},
      {IDC_SHOW_RENAMES, L"Button", 7, 7, 235, 25, L"Will warning be shown?", kButtonType | WS_TABSTOP,
       BS_AUTOCHECKBOX | WS_TABSTOP}}},
};

class TemplateWindow : public ::testing::TestWithParam<TemplateSpec> {};

// Controls in template order, with their places in dialog units of the run-time font.
TEST_P(TemplateWindow, ShowsTheControlsWhereTheTemplatePutsThem) {
    const TemplateSpec& spec = GetParam();
    TemplateOnlyDialog dialog(spec.id);
    UiRobot robot([&](UiRobot& r) {
        HWND window = r.WaitForWindow(L"#32770", spec.caption);
        if (!window) return;
        std::wstring face;
        LONG height = 0;
        ASSERT_TRUE(r.WindowFont(window, face, height));
        EXPECT_EQ(face, ExpectedFace());
        EXPECT_EQ(height, HeightOfPoints(9));

        RECT client = {};
        ::GetClientRect(window, &client);
        RECT size = {0, 0, spec.cx, spec.cy};
        ::MapDialogRect(window, &size);
        EXPECT_EQ(client.right, size.right);
        EXPECT_EQ(client.bottom, size.bottom);

        HWND child = ::GetWindow(window, GW_CHILD);
        for (const ControlSpec& control : spec.controls) {
            SCOPED_TRACE(control.id);
            ASSERT_TRUE(child);
            EXPECT_EQ(::GetDlgCtrlID(child), control.id);
            EXPECT_EQ(r.ClassName(child), control.className);
            EXPECT_EQ(r.WindowText(child), control.text);
            bool bordered = (r.Style(child) & WS_BORDER) || (r.ExStyle(child) & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
            unsigned long long style = static_cast<DWORD>(r.Style(child)) | (bordered ? kBordered : 0);
            EXPECT_EQ(style & control.styleMask, control.style);
            // The dialog manager converts position and size each on its own.
            RECT expected = {control.x, control.y, control.cx, control.cy};
            ::MapDialogRect(window, &expected);
            RECT shown = r.ChildRect(window, child);
            EXPECT_EQ(shown.left, expected.left);
            EXPECT_EQ(shown.top, expected.top);
            // An etched line keeps its place; the platform sizes its edge itself.
            int slack = (control.style == SS_ETCHEDHORZ) ? 2 : 0;
            EXPECT_NEAR(shown.right - shown.left, expected.right, slack);
            EXPECT_NEAR(shown.bottom - shown.top, expected.bottom, slack);
            child = ::GetWindow(child, GW_HWNDNEXT);
        }
        EXPECT_EQ(child, nullptr) << "more controls than the template names";
        r.Screenshot(std::wstring(L"template-") + std::to_wstring(spec.id), window);
        r.PressKey(window, VK_ESCAPE);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    robot.Join();
}

INSTANTIATE_TEST_SUITE_P(Templates, TemplateWindow, ::testing::ValuesIn(kTemplates),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BaseDialog, TemplateZeroOrMissingGivesMinusOneWithoutAWindow) {
    TemplateOnlyDialog none(0);
    EXPECT_EQ(none.DoModal(), -1);
    TemplateOnlyDialog missing(999);
    EXPECT_EQ(missing.DoModal(), -1);
    EXPECT_FALSE(missing.Create(999, nullptr));
    EXPECT_EQ(missing.GetSafeHwnd(), nullptr);
}

TEST(BaseDialog, CreatesModelessFromTheInMemoryTemplate) {
    TemplateOnlyDialog dialog(0);
    ASSERT_TRUE(dialog.Create(IDD_ERROR, nullptr));
    HWND window = dialog.GetSafeHwnd();
    ASSERT_TRUE(::IsWindow(window));
    EXPECT_EQ(dialog.TemplateId(), UINT(IDD_ERROR));
    EXPECT_EQ(UiRobot::Text(window, IDC_RETRY), L"Retry");
    std::wstring face;
    LONG height = 0;
    ASSERT_TRUE(UiRobot::WindowFont(window, face, height));
    EXPECT_EQ(face, ExpectedFace());
    EXPECT_EQ(UiRobot::ExStyle(window) & WS_EX_LAYOUTRTL, 0);
}

// ---- Font rules ---------------------------------------------------------------------------

TEST(DialogFont, WithoutTranslationsSegoeUiWhenInstalledElseTahomaAtNine) {
    std::wstring face;
    int size = 0;
    ASSERT_TRUE(DialogFontFromLocale(face, size));
    EXPECT_EQ(face, ExpectedFace());
    EXPECT_EQ(size, 9);
}

TEST(DialogFont, IsFontInstalled) {
    ASSERT_FALSE(InstalledFace().empty()) << "no usual face installed";
    EXPECT_TRUE(IsFontInstalled(InstalledFace()));
    EXPECT_FALSE(IsFontInstalled(L"No Such Face Anywhere"));
    EXPECT_FALSE(IsFontInstalled(L""));
    EXPECT_FALSE(IsFontInstalled(std::wstring(31, L'T')));
    EXPECT_FALSE(IsFontInstalled(InstalledFace() + std::wstring(40, L' '))) << "beyond the face-name limit";
}

struct FontTextCase {
    const char* name;
    const wchar_t* fontText;
    const wchar_t* preferred;  // null: a face this machine has
    bool accepted;
    const wchar_t* face;       // null: the installed face
    int size;
};

const FontTextCase kFontTexts[] = {
    {"Default", L"Segoe UI/9", nullptr, true, nullptr, 9},
    {"SizeTenChangesOnlyTheSize", L"Segoe UI/10", nullptr, true, nullptr, 10},
    {"OtherFaceInSizeTextIsNotUsed", L"Courier New/10", nullptr, true, nullptr, 10},
    {"PreferredMissingTakesFallback", L"Segoe UI/9", L"No Such Face Anywhere", true, L"Fallback Face", 9},
    {"TwoSeparatorsAccepted", L"Segoe UI//10", nullptr, true, nullptr, 10},
    {"FurtherTokensIgnored", L"Segoe UI/12/bold", nullptr, true, nullptr, 12},
    {"LeadingSeparatorLeavesOneToken", L"/10", nullptr, false, L"", 0},
    {"BlankBeforeSizeRejected", L"Segoe UI/ 10", nullptr, false, L"", 0},
    {"NoSizeRejected", L"Segoe UI/", nullptr, false, L"", 0},
    {"NoSeparatorRejected", L"Segoe UI 9", nullptr, false, L"", 0},
    {"EmptyRejected", L"", nullptr, false, L"", 0},
    {"LettersInSizeRejected", L"Segoe UI/9pt", nullptr, false, L"", 0},
    {"NegativeSizeRejected", L"Segoe UI/-9", nullptr, false, L"", 0},
    {"SizeBeyondTheTemplateRejected", L"Segoe UI/99999999999", nullptr, false, L"", 0},
};

class FontText : public ::testing::TestWithParam<FontTextCase> {};

TEST_P(FontText, ChoosesFaceAndSize) {
    const FontTextCase& c = GetParam();
    std::wstring face = L"unchanged";
    int size = -7;
    std::wstring preferred = c.preferred ? c.preferred : InstalledFace();
    EXPECT_EQ(DialogFontFromTexts(c.fontText, preferred, L"Fallback Face", face, size), c.accepted);
    EXPECT_EQ(face, !c.accepted ? L"unchanged" : c.face ? std::wstring(c.face) : InstalledFace());
    EXPECT_EQ(size, c.accepted ? c.size : -7);
}

INSTANTIATE_TEST_SUITE_P(Cases, FontText, ::testing::ValuesIn(kFontTexts),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Log lines ----------------------------------------------------------------------------

std::vector<std::string> LogTexts(const std::wstring& file) {
    std::vector<std::string> texts;
    std::istringstream stream(testing_support::ReadFileBytes(file));
    std::string line;
    while (std::getline(stream, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t marker = line.find("] L");
        if (marker != std::string::npos) texts.push_back(line.substr(marker + 3));
    }
    return texts;
}

class BaseDialogLog : public ::testing::Test {
protected:
    void SetUp() override {
        m_file = m_scratch / L"log.txt";
        ::SetEnvironmentVariableW(L"ORVINFOLOG_FILE", m_file.c_str());
        ASSERT_EQ(TheLog().Load((testing_support::StandinFolder() + L"\\orvinfolog.dll").c_str()), 0);
        TheLog().CreateInfoHandle(::GetModuleHandleW(nullptr));
    }
    void TearDown() override {
        TheLog().Unload();
        ::SetEnvironmentVariableW(L"ORVINFOLOG_FILE", nullptr);
    }
    testing_support::ScratchFolder m_scratch;
    std::wstring m_file;
};

TEST_F(BaseDialogLog, DoModalAndCreateWriteTheirLines) {
    TemplateOnlyDialog none(0);
    EXPECT_EQ(none.DoModal(), -1);
    TemplateOnlyDialog dialog(IDD_COMMON_SETTING);
    UiRobot robot([](UiRobot& r) { r.PressKey(r.WaitForWindow(L"#32770", L"Dialog"), VK_ESCAPE); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    robot.Join();
    TemplateOnlyDialog modeless(0);
    EXPECT_FALSE(modeless.Create(999, nullptr));
    EXPECT_TRUE(modeless.Create(IDD_COMMON_SETTING, nullptr));

    const std::vector<std::string> expected = {
        "1 CPluginBaseDialog::DoModal start",
        "3 CPluginBaseDialog::DoModal m_nIDTemplate == 0",
        "1 CPluginBaseDialog::DoModal start",
        "1 CPluginBaseDialog::DoModal end DoModal = 2",
        "1 CPluginBaseDialog::Create start nIDTemplate = 999",
        "3 CreateIndirect Error = 1814",
        "1 CPluginBaseDialog::Create end",
        "1 CPluginBaseDialog::Create start nIDTemplate = 201",
        "1 CPluginBaseDialog::Create end",
    };
    EXPECT_EQ(LogTexts(m_file), expected);
}

}  // namespace
