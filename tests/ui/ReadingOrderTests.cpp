// Reading order of the texts in a mirrored (Arabic) dialog, checked by pictures: a text of the
// dialog, printed by its own control, against references drawn the same way with and without
// right-to-left reading.
#include "resources/resource.h"
#include "support/Localization.h"
#include "support/MessageTexts.h"
#include "support/Raii.h"
#include "tests/common/UiRobot.h"
#include "tests/localization/LocalizationFixtures.h"
#include "tests/send/TestDestination.h"
#include "ui/PluginErrorDialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A 32-bit top-down picture of a size, drawn into through a memory device context.
class Picture {
public:
    Picture(int width, int height) : m_width(width), m_height(height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        m_dc = ::CreateCompatibleDC(nullptr);
        m_bitmap = ::CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
        m_previous = ::SelectObject(m_dc, m_bitmap);
    }
    ~Picture() {
        ::SelectObject(m_dc, m_previous);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(m_dc);
    }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    HDC Dc() const { return m_dc; }
    std::vector<DWORD> Pixels() const {
        ::GdiFlush();
        return std::vector<DWORD>(m_bits, m_bits + static_cast<size_t>(m_width) * m_height);
    }

private:
    int m_width;
    int m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
    DWORD* m_bits = nullptr;
};

// The text as a mirrored static control of this size draws it, with or without right-to-left
// reading: the control's font and colours, its background, word breaks, no prefixes.
std::vector<DWORD> Reference(HWND control, const std::wstring& text, bool rightToLeftReading) {
    RECT client = {};
    ::GetClientRect(control, &client);
    Picture picture(client.right, client.bottom);
    ::SetLayout(picture.Dc(), LAYOUT_RTL);
    HWND dialog = ::GetParent(control);
    auto brush = reinterpret_cast<HBRUSH>(
        ::SendMessageW(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(picture.Dc()), reinterpret_cast<LPARAM>(control)));
    ::FillRect(picture.Dc(), &client, brush ? brush : ::GetSysColorBrush(COLOR_3DFACE));
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0));
    HGDIOBJ previous = ::SelectObject(picture.Dc(), font);
    UINT format = DT_LEFT | DT_EXPANDTABS | DT_WORDBREAK | DT_NOPREFIX | (rightToLeftReading ? DT_RTLREADING : 0);
    ::DrawTextW(picture.Dc(), text.c_str(), -1, &client, format);
    ::SelectObject(picture.Dc(), previous);
    return picture.Pixels();
}

// What the control prints of itself (its own painting, into a mirrored context as on screen).
std::vector<DWORD> Printed(HWND control) {
    RECT client = {};
    ::GetClientRect(control, &client);
    Picture picture(client.right, client.bottom);
    ::SetLayout(picture.Dc(), LAYOUT_RTL);
    ::SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(picture.Dc()), PRF_CLIENT | PRF_ERASEBKGND);
    return picture.Pixels();
}

class ReadingOrder : public loc_test::BoundWithShippedFile {
protected:
    void TearDown() override {
        SetCurrentLocale(1033);
        loc_test::BoundWithShippedFile::TearDown();
    }
};

// The error dialog's message in Arabic ends in a full stop, which right-to-left reading puts at
// the left end of the line.
TEST_F(ReadingOrder, ArabicMessageReadsRightToLeftLikeItsReference) {
    SetCurrentLocale(1025);
    std::wstring message = texts::FileCannotBeSaved();
    ASSERT_EQ(message, L"لا يمكن حفظ الملف.");
    testing_support::ScratchFolder folder;
    TestDestination destination(folder.Path());
    PluginErrorDialog dialog(nullptr);
    ASSERT_EQ(dialog.SetMessage(message, &destination), 0);
    UiRobot robot([&](UiRobot& r) {
        HWND window = r.WaitForWindow(L"#32770", texts::Error().c_str());
        HWND text = ::GetDlgItem(window, IDC_ERROR_MESSAGE);
        EXPECT_NE(UiRobot::ExStyle(text) & WS_EX_RTLREADING, 0);
        std::vector<DWORD> printed = Printed(text);
        std::vector<DWORD> rightToLeft = Reference(text, message, true);
        std::vector<DWORD> leftToRight = Reference(text, message, false);
        EXPECT_NE(rightToLeft, leftToRight) << "the two reading orders draw differently";
        EXPECT_TRUE(printed == rightToLeft) << "the message is drawn in right-to-left reading order";
        EXPECT_FALSE(printed == leftToRight);
        r.Screenshot(L"reading-order-error-ar", window);
        r.PressKey(window, VK_ESCAPE);
        r.WaitForClose(window);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    robot.Join();
}

}  // namespace
