// A UI test robot: drives real windows of this test program from a thread of its own while the
// test thread sits in a modal call (DoModal, SHBrowseForFolderW, MessageBoxW).
//
//   UiRobot robot([](UiRobot& r) {
//       HWND dialog = r.WaitForWindow(L"#32770", L"Common settings");
//       EXPECT_EQ(r.Text(dialog, IDC_SHOW_RENAMES), L"&Confirm the file name when saving the file.");
//       r.Click(dialog, IDOK);
//   });
//   INT_PTR endCode = dialog.DoModal();   // the test thread runs the dialog
//   robot.Join();                         // always; checks that every window was closed
//
// Nothing hangs: every wait has a time-out that fails the test, every call into the UI thread
// is bounded, and when the script fails (or leaves windows open) the robot saves a screenshot
// "failed-<suite>-<test>.png" into <build>/screenshots/ and closes whatever the test thread
// still shows, so that its modal call returns. Functions given a null window do nothing and
// return empty values, so a script can go on after a failed wait.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

class UiRobot {
public:
    static constexpr DWORD kDefaultTimeoutMs = 15000;

    // Starts the script on the robot thread. The thread that constructs the robot is the UI
    // thread whose windows the robot closes when something goes wrong.
    explicit UiRobot(std::function<void(UiRobot&)> script);
    // Joins (see Join) if the test did not.
    ~UiRobot();
    UiRobot(const UiRobot&) = delete;
    UiRobot& operator=(const UiRobot&) = delete;

    // Waits for the script to end. Call it after the modal call has returned.
    void Join();

    // --- Finding windows -------------------------------------------------------------------
    // A visible top-level window of this process with that class ("#32770" for dialogs and
    // message boxes) and caption (null: any caption). Fails the test after the time-out.
    HWND WaitForWindow(const wchar_t* className, const wchar_t* caption, DWORD timeoutMs = kDefaultTimeoutMs);
    // Same, without waiting and without failing: null when there is none.
    static HWND FindWindowOfProcess(const wchar_t* className, const wchar_t* caption);
    // Waits until the window is gone (destroyed or hidden). Fails the test after the time-out.
    bool WaitForClose(HWND window, DWORD timeoutMs = kDefaultTimeoutMs);

    // --- Reading ---------------------------------------------------------------------------
    static std::wstring WindowText(HWND window);
    static std::wstring ClassName(HWND window);
    // Text of the control with that ID (WM_GETTEXT).
    static std::wstring Text(HWND dialog, int controlId);
    // BST_UNCHECKED (0), BST_CHECKED (1) or BST_INDETERMINATE (2); -1 without the control.
    static int CheckState(HWND dialog, int controlId);
    static LONG_PTR Style(HWND window);
    static LONG_PTR ExStyle(HWND window);
    // Every row of a list view, each with the texts of all its columns.
    static std::vector<std::vector<std::wstring>> ListViewRows(HWND listView);
    // Rectangle of a child in the parent's client coordinates.
    static RECT ChildRect(HWND parent, HWND child);
    // The face name and height (LOGFONT lfHeight) of the font a window uses (WM_GETFONT).
    static bool WindowFont(HWND window, std::wstring& face, LONG& height);

    // --- Acting (all posted, so a handler that opens another modal window cannot block) ----
    // WM_COMMAND with BN_CLICKED for the control, as a click of a push button gives.
    static void Click(HWND dialog, int controlId);
    // BM_CLICK to the control itself: the button reacts as to a mouse click (a check box toggles).
    static void PressButton(HWND dialog, int controlId);
    // A key down and up to the window that has the keyboard focus on the window's thread (the
    // dialog manager turns Esc into IDCANCEL, Enter into the default button).
    static void PressKey(HWND window, UINT virtualKey);
    // The close box (WM_SYSCOMMAND SC_CLOSE).
    static void CloseBox(HWND window);
    static void SetCheck(HWND dialog, int controlId, int state);

    // --- Message boxes ---------------------------------------------------------------------
    struct MessageBoxSeen {
        HWND window = nullptr;
        std::wstring text;
        LONG_PTR exStyle = 0;      // of the box
        LONG_PTR textExStyle = 0;  // of its text control
    };
    // Waits for a message box with that caption, reads it and presses the button buttonId
    // (IDOK, IDYES, ...).
    MessageBoxSeen AnswerMessageBox(const wchar_t* caption, int buttonId, DWORD timeoutMs = kDefaultTimeoutMs);

    // --- Placement -------------------------------------------------------------------------
    // The centre of a window's rectangle on the screen.
    static POINT Centre(HWND window);
    // True when the window lies wholly inside the area (screen coordinates).
    static bool IsInside(HWND window, const RECT& area);
    // The primary monitor's work area.
    static RECT WorkArea();

    // --- Screenshots -----------------------------------------------------------------------
    // Saves the Xvfb screen as <build>/screenshots/<name>.png (name in ASCII); with a window,
    // keeps only its rectangle and a small margin. No redraw is forced: the picture shows what
    // the window painted by itself. False (and a test
    // failure) when the picture could not be made within 30 s.
    static bool Screenshot(const std::wstring& name, HWND window = nullptr);
    // Folder (Windows form) where screenshots go.
    static std::wstring ScreenshotFolder();

private:
    void Run();
    void Rescue();

    std::function<void(UiRobot&)> m_script;
    DWORD m_uiThreadId;
    bool m_failed = false;
    std::thread m_thread;
};

// A plain top-level window standing in for the host's main window, shown at a place on the
// screen for the life of the object. Create it on the thread that will show the dialogs.
class TestHostWindow {
public:
    explicit TestHostWindow(const RECT& placement);
    ~TestHostWindow();
    TestHostWindow(const TestHostWindow&) = delete;
    TestHostWindow& operator=(const TestHostWindow&) = delete;

    HWND Get() const { return m_window; }

private:
    HWND m_window = nullptr;
};
