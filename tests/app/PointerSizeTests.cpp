// Values that cross between pointer sizes: window handles the host hands over as 32-bit LONG,
// and pointer-sized values printed in 32-bit "%08x" log fields. Both lanes run these; rows that
// only exist with 64-bit pointers say so.
#include "app/PluginApp.h"
#include "support/OrvInfoLog.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// A real top-level window, destroyed at the end of the test.
class OwnWindow {
public:
    OwnWindow()
        : m_window(::CreateWindowExW(0, L"STATIC", L"pointer size", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                     ::GetModuleHandleW(nullptr), nullptr)) {}
    ~OwnWindow() {
        if (m_window) ::DestroyWindow(m_window);
    }
    OwnWindow(const OwnWindow&) = delete;
    OwnWindow& operator=(const OwnWindow&) = delete;
    HWND Get() const { return m_window; }

private:
    HWND m_window;
};

}  // namespace

TEST(HostWindowHandle, ARealWindowPassedAsLongIsTheSameWindow) {
    OwnWindow window;
    ASSERT_TRUE(window.Get());
    // What the host does: the handle as a 32-bit LONG.
    long fromHost = static_cast<long>(reinterpret_cast<LONG_PTR>(window.Get()));
    EXPECT_EQ(HostWindow(fromHost), window.Get());
    EXPECT_TRUE(::IsWindow(HostWindow(fromHost)));
}

TEST(HostWindowHandle, NullAndSignExtendedValues) {
    // Window handles are 32-bit significant; a 64-bit process sees a value with bit 31 set
    // sign-extended, as Windows does when it widens a handle from a 32-bit process.
    struct Case {
        long fromHost;
        LONG_PTR expected;
    };
    const Case cases[] = {
        {0, 0},
        {0x00010042L, 0x00010042},
        {static_cast<long>(0x80000010u), static_cast<LONG_PTR>(static_cast<int32_t>(0x80000010u))},
        {-1L, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(reinterpret_cast<LONG_PTR>(HostWindow(c.fromHost)), c.expected) << c.fromHost;
    }
}

TEST(LogHexValue, PrintsThePointersLow32Bits) {
    struct Case {
        uintptr_t pointer;
        unsigned int printed;
    };
    const Case cases[] = {
        {0, 0},
        {0x0012FF40u, 0x0012FF40u},
        {0xFFFFFFFFu, 0xFFFFFFFFu},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LogHex(reinterpret_cast<const void*>(c.pointer)), c.printed) << c.pointer;
    }
    int local = 0;
    EXPECT_EQ(LogHex(&local), static_cast<unsigned int>(reinterpret_cast<uintptr_t>(&local) & 0xFFFFFFFFu));
    if (sizeof(void*) == 4) {
        // A 32-bit build prints the whole pointer.
        EXPECT_EQ(LogHex(&local), reinterpret_cast<uintptr_t>(&local));
    }
}

#if UINTPTR_MAX > 0xFFFFFFFFu
// Only 64-bit pointers have bits above 32: the field keeps the low half.
TEST(LogHexValue, A64BitPointerKeepsItsLowHalf) {
    EXPECT_EQ(LogHex(reinterpret_cast<const void*>(uintptr_t{0x00007FF612345678u})), 0x12345678u);
}
#endif
