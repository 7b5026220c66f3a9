// A thread that answers the plug-in's message boxes while a call runs: it records each box
// ("#32770" windows of this process) and presses its OK button.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace app_testing {

struct SeenMessageBox {
    std::wstring caption;
    std::wstring text;
    bool owned = false;  // it has an owner window
};

class MessageBoxWatcher {
public:
    MessageBoxWatcher();
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    std::vector<SeenMessageBox> Seen();

private:
    void Watch();

    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<SeenMessageBox> m_seen;
    std::vector<HWND> m_answered;
    std::thread m_thread;
};

}  // namespace app_testing
