#include "tests/common/UiRobot.h"

#include "support/Raii.h"

#include <gtest/gtest.h>
#include <commctrl.h>

#include <string>

namespace {

constexpr DWORD kSendTimeoutMs = 5000;
constexpr DWORD kPollMs = 20;
constexpr DWORD kLeftOpenGraceMs = 5000;
constexpr DWORD kSettleMs = 150;

// A message to a window of another thread that cannot hang the robot.
LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_BLOCK | SMTO_ABORTIFHUNG, kSendTimeoutMs,
                               &result)) {
        return 0;
    }
    return static_cast<LRESULT>(result);
}

struct WindowSearch {
    const wchar_t* className;
    const wchar_t* caption;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<WindowSearch*>(data);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process != ::GetCurrentProcessId() || !::IsWindowVisible(window)) return TRUE;
    if (search->className && UiRobot::ClassName(window) != search->className) return TRUE;
    if (search->caption && UiRobot::WindowText(window) != search->caption) return TRUE;
    search->found = window;
    return FALSE;
}

const wchar_t kTestHostClass[] = L"TestHostWindow";

// The visible windows a test's modal call shows; a test's stand-in host window is the test's own
// and stays.
BOOL CALLBACK CollectVisible(HWND window, LPARAM data) {
    wchar_t className[32] = {};
    ::GetClassNameW(window, className, 32);
    if (::IsWindowVisible(window) && std::wstring(className) != kTestHostClass) {
        reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
    }
    return TRUE;
}

std::vector<HWND> VisibleWindowsOfThread(DWORD threadId) {
    std::vector<HWND> windows;
    ::EnumThreadWindows(threadId, CollectVisible, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text) narrow += (c < 0x80 && c != L'\'') ? static_cast<char>(c) : '_';
    return narrow;
}

std::string CurrentTestName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    if (!info) return "unknown";
    std::string name = std::string(info->test_suite_name()) + "-" + info->name();
    for (char& c : name) {
        if (c == '/') c = '-';
    }
    return name;
}

}  // namespace

UiRobot::UiRobot(std::function<void(UiRobot&)> script)
    : m_script(std::move(script)), m_uiThreadId(::GetCurrentThreadId()), m_thread([this] { Run(); }) {}

UiRobot::~UiRobot() { Join(); }

void UiRobot::Join() {
    if (m_thread.joinable()) m_thread.join();
}

void UiRobot::Run() {
    m_script(*this);
    bool failed = m_failed || ::testing::Test::HasFailure();
    if (!failed) {
        // Closing is posted: give the UI thread a moment to take the windows down. The thread
        // must stay without windows for a short while: closing one window is often followed by
        // the next one (a message box after a picker), which another robot may be answering.
        DWORD start = ::GetTickCount();
        DWORD emptySince = 0;
        bool empty = false;
        while (::GetTickCount() - start < kLeftOpenGraceMs) {
            if (!VisibleWindowsOfThread(m_uiThreadId).empty()) {
                empty = false;
            } else if (!empty) {
                empty = true;
                emptySince = ::GetTickCount();
            } else if (::GetTickCount() - emptySince >= kSettleMs) {
                break;
            }
            ::Sleep(kPollMs);
        }
        std::vector<HWND> open = VisibleWindowsOfThread(m_uiThreadId);
        if (!open.empty()) {
            std::wstring captions;
            for (HWND window : open) captions += L" \"" + WindowText(window) + L"\"";
            ADD_FAILURE() << "the robot's script left windows open:" << Narrow(captions);
            failed = true;
        }
    }
    if (failed) {
        std::string testName = CurrentTestName();
        Screenshot(L"failed-" + std::wstring(testName.begin(), testName.end()));
        Rescue();
    }
}

// Cancels and closes every window of the UI thread until none is left, so that its modal call
// returns and the test ends with its failures instead of hanging.
void UiRobot::Rescue() {
    for (int round = 0; round < 50; ++round) {
        std::vector<HWND> open = VisibleWindowsOfThread(m_uiThreadId);
        if (open.empty()) return;
        for (HWND window : open) {
            ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            ::PostMessageW(window, WM_CLOSE, 0, 0);
        }
        ::Sleep(200);
    }
    ADD_FAILURE() << "the robot could not close the test's windows";
}

HWND UiRobot::FindWindowOfProcess(const wchar_t* className, const wchar_t* caption) {
    WindowSearch search{className, caption, nullptr};
    ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND UiRobot::WaitForWindow(const wchar_t* className, const wchar_t* caption, DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    do {
        if (HWND found = FindWindowOfProcess(className, caption)) return found;
        ::Sleep(kPollMs);
    } while (::GetTickCount() - start < timeoutMs);
    m_failed = true;
    ADD_FAILURE() << "no window of class \"" << Narrow(className ? className : L"*") << "\" and caption \""
                  << Narrow(caption ? caption : L"*") << "\" appeared within " << timeoutMs << " ms";
    return nullptr;
}

bool UiRobot::WaitForClose(HWND window, DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    while (window && ::IsWindow(window) && ::IsWindowVisible(window)) {
        if (::GetTickCount() - start >= timeoutMs) {
            m_failed = true;
            ADD_FAILURE() << "window \"" << Narrow(WindowText(window)) << "\" did not close within " << timeoutMs
                          << " ms";
            return false;
        }
        ::Sleep(kPollMs);
    }
    return true;
}

std::wstring UiRobot::WindowText(HWND window) {
    if (!window) return std::wstring();
    LRESULT length = Send(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(copied));
    return text;
}

std::wstring UiRobot::ClassName(HWND window) {
    wchar_t name[256] = {};
    if (window) ::GetClassNameW(window, name, 256);
    return name;
}

std::wstring UiRobot::Text(HWND dialog, int controlId) {
    return dialog ? WindowText(::GetDlgItem(dialog, controlId)) : std::wstring();
}

int UiRobot::CheckState(HWND dialog, int controlId) {
    HWND control = dialog ? ::GetDlgItem(dialog, controlId) : nullptr;
    return control ? static_cast<int>(Send(control, BM_GETCHECK, 0, 0)) : -1;
}

LONG_PTR UiRobot::Style(HWND window) { return window ? ::GetWindowLongPtrW(window, GWL_STYLE) : 0; }
LONG_PTR UiRobot::ExStyle(HWND window) { return window ? ::GetWindowLongPtrW(window, GWL_EXSTYLE) : 0; }

std::vector<std::vector<std::wstring>> UiRobot::ListViewRows(HWND listView) {
    std::vector<std::vector<std::wstring>> rows;
    if (!listView) return rows;
    HWND header = reinterpret_cast<HWND>(Send(listView, LVM_GETHEADER, 0, 0));
    int columns = header ? static_cast<int>(Send(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
    int count = static_cast<int>(Send(listView, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        std::vector<std::wstring> cells;
        for (int column = 0; column < columns; ++column) {
            wchar_t buffer[1024] = {};
            LVITEMW item = {};
            item.iSubItem = column;
            item.pszText = buffer;
            item.cchTextMax = 1024;
            Send(listView, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
            cells.emplace_back(buffer);
        }
        rows.push_back(cells);
    }
    return rows;
}

RECT UiRobot::ChildRect(HWND parent, HWND child) {
    RECT rect = {};
    if (!parent || !child) return rect;
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool UiRobot::WindowFont(HWND window, std::wstring& face, LONG& height) {
    HFONT font = window ? reinterpret_cast<HFONT>(Send(window, WM_GETFONT, 0, 0)) : nullptr;
    LOGFONTW description = {};
    if (!font || !::GetObjectW(font, sizeof description, &description)) return false;
    face = description.lfFaceName;
    height = description.lfHeight;
    return true;
}

void UiRobot::Click(HWND dialog, int controlId) {
    if (!dialog) return;
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, controlId)));
}

void UiRobot::PressButton(HWND dialog, int controlId) {
    if (HWND control = dialog ? ::GetDlgItem(dialog, controlId) : nullptr) ::PostMessageW(control, BM_CLICK, 0, 0);
}

void UiRobot::PressKey(HWND window, UINT virtualKey) {
    if (!window) return;
    // A key reaches the window's focused control. Just after a message box or another owned
    // window closed, the window may still be disabled or the focus elsewhere: wait (briefly)
    // until the focus is back inside the window, so the key is not lost.
    HWND target = window;
    for (int attempt = 0; attempt < 200; ++attempt) {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        bool ready = ::IsWindowEnabled(window) &&
                     ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) && info.hwndFocus &&
                     (info.hwndFocus == window || ::IsChild(window, info.hwndFocus));
        if (ready) {
            target = info.hwndFocus;
            break;
        }
        ::Sleep(10);
    }
    LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)) << 16;
    ::PostMessageW(target, WM_KEYDOWN, virtualKey, scan | 1);
    ::PostMessageW(target, WM_KEYUP, virtualKey, scan | 1 | 0xC0000000);
}

void UiRobot::CloseBox(HWND window) {
    if (window) ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void UiRobot::SetCheck(HWND dialog, int controlId, int state) {
    if (HWND control = dialog ? ::GetDlgItem(dialog, controlId) : nullptr) {
        Send(control, BM_SETCHECK, static_cast<WPARAM>(state), 0);
    }
}

UiRobot::MessageBoxSeen UiRobot::AnswerMessageBox(const wchar_t* caption, int buttonId, DWORD timeoutMs) {
    MessageBoxSeen seen;
    seen.window = WaitForWindow(L"#32770", caption, timeoutMs);
    if (!seen.window) return seen;
    seen.exStyle = ExStyle(seen.window);
    // The text control of a message box has the ID 0xFFFF.
    HWND text = ::GetDlgItem(seen.window, 0xFFFF);
    seen.text = WindowText(text);
    seen.textExStyle = ExStyle(text);
    Click(seen.window, buttonId);
    WaitForClose(seen.window);
    return seen;
}

std::wstring UiRobot::ScreenshotFolder() {
    std::wstring folder = L"Z:";
    for (const char* p = TEST_BINARY_DIR "/screenshots"; *p; ++p) folder += (*p == '/') ? L'\\' : wchar_t(*p);
    return folder;
}

bool UiRobot::Screenshot(const std::wstring& name, HWND window) {
    std::string crop;
    if (window) {
        // No redraw is forced: the picture shows what the window painted by itself. The bounded
        // round trip only waits until its thread has handled what was queued before.
        Send(window, WM_NULL, 0, 0);
        RECT rect = {};
        if (::GetWindowRect(window, &rect)) {
            constexpr int kMargin = 8;
            LONG left = rect.left > kMargin ? rect.left - kMargin : 0;
            LONG top = rect.top > kMargin ? rect.top - kMargin : 0;
            crop = " -crop " + std::to_string(rect.right + kMargin - left) + "x" +
                   std::to_string(rect.bottom + kMargin - top) + "+" + std::to_string(left) + "+" +
                   std::to_string(top) + " +repage";
        }
    }
    ::Sleep(300);  // let the UI thread paint and the X server take it

    // The screen belongs to Xvfb: take it with the Linux tools, started through Wine. Wine gives
    // no usable handle for a Linux process, so the picture is written under a temporary name and
    // renamed when complete; the robot waits for the final name.
    std::string folder = TEST_BINARY_DIR "/screenshots";
    std::string file = folder + "/" + Narrow(name) + ".png";
    std::wstring windowsFile = ScreenshotFolder() + L"\\" + std::wstring(file.begin() + folder.size() + 1, file.end());
    ::DeleteFileW(windowsFile.c_str());
    std::string command = "Z:\\bin\\sh -c \"mkdir -p '" + folder + "' && xwd -root -silent | convert xwd:-" + crop +
                          " '" + file + ".part.png' && mv '" + file + ".part.png' '" + file + "'\"";
    std::wstring wideCommand(command.begin(), command.end());
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(nullptr, &wideCommand[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        ADD_FAILURE() << "screenshot: cannot start the shell, error " << ::GetLastError();
        return false;
    }
    if (process.hProcess) ::CloseHandle(process.hProcess);
    if (process.hThread) ::CloseHandle(process.hThread);
    DWORD start = ::GetTickCount();
    while (::GetFileAttributesW(windowsFile.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (::GetTickCount() - start > 30000) {
            ADD_FAILURE() << "screenshot " << file << " was not made within 30 s";
            return false;
        }
        ::Sleep(kPollMs);
    }
    return true;
}

namespace {

LRESULT CALLBACK TestHostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

TestHostWindow::TestHostWindow(const RECT& placement) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = TestHostWindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    windowClass.lpszClassName = kTestHostClass;
    ::RegisterClassW(&windowClass);  // fails harmlessly when a first host registered it
    m_window = ::CreateWindowExW(0, kTestHostClass, L"Test host", WS_OVERLAPPEDWINDOW, placement.left,
                                 placement.top, placement.right - placement.left, placement.bottom - placement.top,
                                 nullptr, nullptr, windowClass.hInstance, nullptr);
    if (m_window) {
        ::ShowWindow(m_window, SW_SHOW);
        ::UpdateWindow(m_window);
    }
}

TestHostWindow::~TestHostWindow() {
    if (m_window) ::DestroyWindow(m_window);
}

POINT UiRobot::Centre(HWND window) {
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

bool UiRobot::IsInside(HWND window, const RECT& area) {
    RECT rect = {};
    return ::GetWindowRect(window, &rect) && rect.left >= area.left && rect.top >= area.top &&
           rect.right <= area.right && rect.bottom <= area.bottom;
}

RECT UiRobot::WorkArea() {
    RECT area = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}
