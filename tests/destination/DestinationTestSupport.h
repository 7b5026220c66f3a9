// Fixtures of the destination tests: the cloud application's registry entries and its
// fallback folder put into a known state and restored afterwards, and a thread that answers
// the next message box of this process.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace destination_testing {

// Moves the cloud application's keys ("Software\Quontel" and "Software\Brellix" under
// HKEY_CURRENT_USER) aside for the life of the object, so a test starts with none of them, and
// puts the originals back at the end whatever the test created.
class CloudRegistryState {
public:
    CloudRegistryState();
    ~CloudRegistryState();
    CloudRegistryState(const CloudRegistryState&) = delete;
    CloudRegistryState& operator=(const CloudRegistryState&) = delete;

    // Sets the sync-folder value (creating the keys).
    void SetSyncFolder(const std::wstring& path);
    // Creates an empty key below HKEY_CURRENT_USER.
    void CreateKey(const std::wstring& subKey);

private:
    std::wstring m_backupKey;
};

// Moves a "My Brellix" folder of the documents folder aside for the life of the object and
// removes whatever a test left there.
class FallbackFolderState {
public:
    FallbackFolderState();
    ~FallbackFolderState();
    FallbackFolderState(const FallbackFolderState&) = delete;
    FallbackFolderState& operator=(const FallbackFolderState&) = delete;

    const std::wstring& Path() const { return m_path; }
    void Create();

private:
    std::wstring m_path;
    std::wstring m_savedPath;
};

// Waits on its own thread for a "#32770" window of this process, notes its caption, its
// message text and which of the buttons Yes, No and OK it has, and presses the given button.
class MessageBoxAnswerer {
public:
    explicit MessageBoxAnswerer(int button);
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

    // Joins the thread; true when a window was found and answered.
    bool Finish();
    std::wstring caption;
    std::wstring text;
    bool hasYes = false;
    bool hasNo = false;
    bool hasOk = false;

private:
    void Run(int button);
    std::atomic<bool> m_stop{false};
    bool m_answered = false;
    std::thread m_thread;
};

// Waits on its own thread for a "#32770" window of this process and runs an action on it
// (from that thread: read controls, set them, post the closing command).
class DialogDriver {
public:
    explicit DialogDriver(std::function<void(HWND)> action);
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    // Joins the thread; true when a window was found and the action ran.
    bool Finish();

private:
    std::atomic<bool> m_stop{false};
    bool m_ran = false;
    std::thread m_thread;
};

// Finds the first top-level "#32770" window of this process that is visible; null when none.
HWND FindDialogOfThisProcess();
std::wstring WindowText(HWND window);

}  // namespace destination_testing
