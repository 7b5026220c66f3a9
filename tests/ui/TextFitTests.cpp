// Fitting a file name into one line: whole when it fits, else shortened in the middle with
// more of its end kept.
#include "ui/TextFit.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class TextFit : public ::testing::Test {
protected:
    TextFit() {
        m_dc = ::CreateCompatibleDC(nullptr);
        m_previous = ::SelectObject(m_dc, ::GetStockObject(DEFAULT_GUI_FONT));
    }
    ~TextFit() override {
        ::SelectObject(m_dc, m_previous);
        ::DeleteDC(m_dc);
    }
    int Width(const std::wstring& text) {
        SIZE extent = {};
        ::GetTextExtentPoint32W(m_dc, text.c_str(), static_cast<int>(text.size()), &extent);
        return extent.cx;
    }
    HDC m_dc = nullptr;
    HGDIOBJ m_previous = nullptr;
};

TEST_F(TextFit, KeepsWhatFitsAndShortensTheMiddleOfTheRest) {
    const std::wstring name = L"Quarterly report of the northern sales region & partners - page 077.pdf";
    const struct {
        const char* what;
        int width;
    } cases[] = {{"roomy", Width(name) + 10}, {"exact", Width(name)}, {"half", Width(name) / 2},
                 {"a quarter", Width(name) / 4}, {"tiny", 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::wstring fitted = EllipsizeInTheMiddle(m_dc, name, c.width);
        if (Width(name) <= c.width) {
            EXPECT_EQ(fitted, name);
            continue;
        }
        size_t ellipsis = fitted.find(L'\u2026');
        ASSERT_NE(ellipsis, std::wstring::npos);
        std::wstring head = fitted.substr(0, ellipsis);
        std::wstring tail = fitted.substr(ellipsis + 1);
        EXPECT_EQ(name.rfind(head, 0), 0u) << "the beginning is kept";
        EXPECT_EQ(name.substr(name.size() - tail.size()), tail) << "the end is kept";
        EXPECT_GE(tail.size(), head.size()) << "more of the end than of the beginning";
        if (c.width > Width(L"\u2026")) {
            EXPECT_LE(Width(fitted), c.width);
        }
    }
    std::wstring half = EllipsizeInTheMiddle(m_dc, name, Width(name) / 2);
    EXPECT_EQ(half.substr(0, 9), L"Quarterly");
    EXPECT_EQ(half.substr(half.size() - 8), std::wstring(L" 077.pdf")) << "the page number stays";
}

}  // namespace
