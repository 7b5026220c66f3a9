#include "tests/app/MessageBoxWatcher.h"

#include <algorithm>

namespace app_testing {

namespace {

constexpr int kMessageTextId = 0xFFFF;  // the static control that holds a message box's text

std::wstring WindowText(HWND window) {
    int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

BOOL CALLBACK CollectDialogs(HWND window, LPARAM found) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    wchar_t className[32] = {};
    ::GetClassNameW(window, className, 32);
    if (process == ::GetCurrentProcessId() && std::wstring(className) == L"#32770" && ::IsWindowVisible(window)) {
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    }
    return TRUE;
}

}  // namespace

MessageBoxWatcher::MessageBoxWatcher() : m_thread([this] { Watch(); }) {}

MessageBoxWatcher::~MessageBoxWatcher() {
    m_stop = true;
    m_thread.join();
}

std::vector<SeenMessageBox> MessageBoxWatcher::Seen() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_seen;
}

void MessageBoxWatcher::Watch() {
    while (!m_stop) {
        std::vector<HWND> boxes;
        ::EnumWindows(CollectDialogs, reinterpret_cast<LPARAM>(&boxes));
        for (HWND box : boxes) {
            HWND textControl = ::GetDlgItem(box, kMessageTextId);
            if (!textControl) continue;  // not a message box (or not built yet)
            std::lock_guard<std::mutex> lock(m_mutex);
            if (std::find(m_answered.begin(), m_answered.end(), box) == m_answered.end()) {
                m_answered.push_back(box);
                m_seen.push_back({WindowText(box), WindowText(textControl), ::GetWindow(box, GW_OWNER) != nullptr});
            }
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
        ::Sleep(20);
    }
}

}  // namespace app_testing
