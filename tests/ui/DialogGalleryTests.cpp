// Every dialog of the plug-in over a host window, in English, Japanese, Arabic and German, as a
// user meets it: centred over the host's window and on screen, every control inside the
// dialog, right-to-left reading in Arabic, and a screenshot of each (without a forced redraw)
// into <build>/screenshots/gallery-<dialog>-<locale>.png.
#include "resources/resource.h"
#include "send/PluginErrorTrigger.h"
#include "send/PluginFileManager.h"
#include "send/PluginTarget.h"
#include "send/PluginTargetList.h"
#include "settings/PluginReader.h"
#include "settings/PluginWriter.h"
#include "support/Localization.h"
#include "support/MessageTexts.h"
#include "support/MyGuid.h"
#include "support/Raii.h"
#include "tests/common/TestSupport.h"
#include "tests/common/UiRobot.h"
#include "tests/localization/LocalizationFixtures.h"
#include "tests/send/SendTestSupport.h"
#include "tests/send/TestDestination.h"
#include "ui/DialogPlacement.h"
#include "ui/PluginCommonSettingDialog.h"
#include "ui/PluginErrorDialog.h"
#include "ui/PluginErrorDialogAsker.h"
#include "ui/PluginProgressDialog.h"
#include "ui/PluginRenameWarning.h"
#include "ui/TextFit.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using testing_support::ScratchFolder;
using testing_support::WriteFileBytes;

namespace {

enum class Shown { CommonSetting, Error, RenameWarning, Progress };

struct GalleryCase {
    Shown dialog;
    int locale;
};

const char* DialogName(Shown dialog) {
    switch (dialog) {
    case Shown::CommonSetting: return "common-setting";
    case Shown::Error: return "error";
    case Shown::RenameWarning: return "rename-warning";
    default: return "progress";
    }
}

std::wstring Caption(Shown dialog) {
    switch (dialog) {
    case Shown::CommonSetting: return texts::CommonSettings();
    case Shown::Error: return texts::Error();
    case Shown::RenameWarning: return texts::RenamedFiles();
    default: return texts::Saving();
    }
}

// A long name that ends in what tells the pages apart; "&" must show as itself.
std::wstring LongName(int number) {
    wchar_t page[16];
    std::swprintf(page, 16, L"page %03d.pdf", number);
    return L"Quarterly report of the northern sales region & partners, scanned at the front desk - " + std::wstring(page);
}

// 150 characters: the name the progress dialog shows.
std::wstring ProgressName() {
    std::wstring name = L"Minutes of the annual meeting of the board & the works council, with every appendix "
                        L"and the signatures of all members present - final copy page 77.pdf";
    return name;
}

// Every control lies inside the dialog's client area: nothing is cut by the dialog's edge.
void ExpectControlsInside(HWND dialog) {
    RECT client = {};
    ::GetClientRect(dialog, &client);
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!::IsWindowVisible(child)) continue;
        RECT rect = UiRobot::ChildRect(dialog, child);
        if (rect.left > rect.right) std::swap(rect.left, rect.right);
        EXPECT_GE(rect.left, client.left) << ::GetDlgCtrlID(child);
        EXPECT_GE(rect.top, client.top) << ::GetDlgCtrlID(child);
        EXPECT_LE(rect.right, client.right) << ::GetDlgCtrlID(child);
        EXPECT_LE(rect.bottom, client.bottom) << ::GetDlgCtrlID(child);
    }
}

// The name as the progress dialog draws it into its one line.
std::wstring AsDrawn(HWND control) {
    RECT client = {};
    ::GetClientRect(control, &client);
    HDC dc = ::GetDC(control);
    HGDIOBJ previous = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    std::wstring drawn = EllipsizeInTheMiddle(dc, UiRobot::WindowText(control), client.right);
    ::SelectObject(dc, previous);
    ::ReleaseDC(control, dc);
    return drawn;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM children) {
    reinterpret_cast<std::vector<HWND>*>(children)->push_back(child);
    return TRUE;
}

class DialogGallery : public loc_test::BoundWithShippedFile, public ::testing::WithParamInterface<GalleryCase> {
protected:
    void TearDown() override {
        SetCurrentLocale(1033);
        loc_test::BoundWithShippedFile::TearDown();
    }

    // What every dialog of the gallery must be, then the screenshot of the host with it.
    void Inspect(UiRobot& r, HWND host, HWND dialog, const GalleryCase& c) {
        POINT hostCentre = UiRobot::Centre(host);
        POINT centre = UiRobot::Centre(dialog);
        EXPECT_NEAR(centre.x, hostCentre.x, 1);
        EXPECT_NEAR(centre.y, hostCentre.y, 1);
        EXPECT_TRUE(UiRobot::IsInside(dialog, UiRobot::WorkArea()));
        ExpectControlsInside(dialog);
        bool rightToLeft = c.locale == 1025;
        EXPECT_EQ((UiRobot::ExStyle(dialog) & WS_EX_LAYOUTRTL) != 0, rightToLeft);
        std::vector<HWND> children;
        ::EnumChildWindows(dialog, CollectChild, reinterpret_cast<LPARAM>(&children));
        for (HWND child : children) {
            EXPECT_EQ((UiRobot::ExStyle(child) & WS_EX_RTLREADING) != 0, rightToLeft)
                << send_tests::Narrow(UiRobot::ClassName(child)) << " " << ::GetDlgCtrlID(child);
        }
        std::string name = std::string("gallery-") + DialogName(c.dialog) + "-" + std::to_string(c.locale);
        r.Screenshot(std::wstring(name.begin(), name.end()), host);
    }

    raii::ComApartment m_apartment;
};

TEST_P(DialogGallery, CentredOverTheHostPaintedAndReadable) {
    const GalleryCase& c = GetParam();
    SetCurrentLocale(static_cast<LANGID>(c.locale));
    TestHostWindow host(RECT{160, 120, 1060, 820});
    ASSERT_TRUE(host.Get());
    HostWindowScope placement(host.Get());
    std::wstring caption = Caption(c.dialog);
    auto script = [&](std::function<void(UiRobot&, HWND)> close) {
        return [&, close](UiRobot& r) {
            HWND dialog = r.WaitForWindow(L"#32770", caption.c_str());
            if (!dialog) return;
            Inspect(r, host.Get(), dialog, c);
            close(r, dialog);
        };
    };
    auto escape = [](UiRobot& r, HWND dialog) {
        r.PressKey(dialog, VK_ESCAPE);
        r.WaitForClose(dialog);
    };

    ScratchFolder sources;
    ScratchFolder destinationFolder;
    TestDestination destination(destinationFolder.Path());
    switch (c.dialog) {
    case Shown::CommonSetting: {
        PluginCommonSettingDialog dialog(nullptr);
        (void)dialog.SetValue(true);
        UiRobot robot(script(escape));
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        robot.Join();
        break;
    }
    case Shown::Error: {
        PluginErrorDialog dialog(nullptr);
        std::wstring source = sources / ProgressName();
        std::wstring target = destinationFolder / (L"a folder whose name is long as well\\" + ProgressName());
        ASSERT_EQ(dialog.SetMessage(PluginErrorTrigger::MessageFor(ERROR_PATH_NOT_FOUND, source, target), &destination), 0);
        UiRobot robot(script(escape));
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        robot.Join();
        break;
    }
    case Shown::RenameWarning: {
        // 50 long names, all taken in the destination: every one saved as "..._001.pdf".
        std::wstring list = L"\xFEFF";
        for (int n = 1; n <= 50; ++n) {
            WriteFileBytes(sources / LongName(n), "scan");
            WriteFileBytes(destinationFolder / LongName(n), "taken");
            list += sources / LongName(n) + L"\r\n";
        }
        WriteFileBytes(sources / L"files.txt", send_tests::Utf16Bytes(list));
        PluginTargetList targets;
        ASSERT_EQ(targets.CreateFileList(sources / L"files.txt"), 0);
        for (int i = 0; i < targets.GetCount(); ++i) (void)targets.GetFileAt(i)->Send(&destination, false);
        PluginRenameWarningDialog dialog(nullptr);
        ASSERT_EQ(dialog.SetList(&targets), 0);
        UiRobot robot(script(escape));
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        robot.Join();
        break;
    }
    case Shown::Progress: {
        std::wstring name = ProgressName();
        ASSERT_EQ(name.size(), 150u);
        WriteFileBytes(sources / name, "scan");
        WriteFileBytes(sources / L"files.txt", send_tests::Utf16Bytes(L"\xFEFF" + (sources / name)));
        PluginTargetList targets;
        ASSERT_EQ(targets.CreateFileList(sources / L"files.txt"), 0);
        // The batch waits at its first file until the robot has looked at the dialog.
        raii::UniqueHandle looked(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        destination.beforeSender = [&](int) { ::WaitForSingleObject(looked.Get(), 30000); };
        PluginFileManagerFolderEx fileManager;
        ASSERT_EQ(fileManager.Init(&destination, false, &targets), 0);
        PluginErrorDialogAsker asker;
        targets.SetErrorAsker(&asker);
        MyGuid job;
        ScratchFolder settings;
        PluginReaderXMLBrellix reader(job, settings.Path());
        PluginWriterXMLBrellix writer(job, settings.Path());
        PluginProgressDialogFolderEx dialog(nullptr);
        dialog.Init(&fileManager, &reader, &writer);
        UiRobot robot(script([&](UiRobot& r, HWND shown) {
            EXPECT_EQ(r.Text(shown, IDC_FILE_NAME_TEXT), name);
            // One line whose ellipsis keeps the end of the name, and "&" as itself.
            HWND text = ::GetDlgItem(shown, IDC_FILE_NAME_TEXT);
            EXPECT_EQ(UiRobot::Style(text) & (SS_TYPEMASK | SS_NOPREFIX), SS_OWNERDRAW | SS_NOPREFIX);
            std::wstring drawn = AsDrawn(text);
            EXPECT_LT(drawn.size(), name.size()) << "the name is longer than the line";
            EXPECT_EQ(drawn.substr(0, 7), L"Minutes");
            EXPECT_EQ(drawn.substr(drawn.size() - 40), name.substr(name.size() - 40)) << send_tests::Narrow(drawn);
            ::SetEvent(looked.Get());
            r.WaitForClose(shown);
        }));
        EXPECT_EQ(dialog.DoModal(), IDOK);
        robot.Join();
        break;
    }
    }
}

std::vector<GalleryCase> AllCases() {
    std::vector<GalleryCase> cases;
    for (Shown dialog : {Shown::CommonSetting, Shown::Error, Shown::RenameWarning, Shown::Progress}) {
        for (int locale : {1033, 1041, 1025, 1031}) cases.push_back({dialog, locale});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Dialogs, DialogGallery, ::testing::ValuesIn(AllCases()), [](const auto& info) {
    std::string name = DialogName(info.param.dialog);
    for (char& letter : name) {
        if (letter == '-') letter = '_';
    }
    return name + "_" + std::to_string(info.param.locale);
});

}  // namespace

