// The hand-over of a failed file from the worker to the UI thread: the error trigger sits in
// the target list right after the failed file; its procedure asks the user on the UI thread
// while the worker waits in the trigger's Send for the decision.
#pragma once

#include "send/PluginTarget.h"
#include "send/SendStatus.h"
#include "support/Raii.h"

#include <windows.h>

#include <atomic>
#include <string>

class PluginDestination;

// Work the worker asks the UI thread to do (lParam of WM_REQUEST_PROC).
class PluginRequestedProc {
public:
    virtual ~PluginRequestedProc() = default;
    [[nodiscard]] virtual int Run(HWND owner) = 0;
};

// Asks the user what to do about a file that cannot be saved: shows the error dialog with the
// message and the destination (for its Setting button) and answers the dialog's end code
// (4 retry, 3 abort, 2 closed, 5 no message, -1 not created), or 160 when the dialog could
// not be prepared.
class PluginErrorAsker {
public:
    virtual ~PluginErrorAsker() = default;
    virtual int AskUser(HWND owner, const std::wstring& message, PluginDestination* destination) = 0;
};

class PluginErrorTrigger : public PluginTarget, public PluginRequestedProc {
public:
    // asker is not owned; without one the user is told that an error occurred and the batch
    // is aborted.
    PluginErrorTrigger(int errorCode, PluginDestination* destination, PluginErrorAsker* asker);

    [[nodiscard]] int Send(PluginDestination* destination, bool deleteSource) override;
    int GetStatus() const override;
    int GetKind() const override;
    [[nodiscard]] int Run(HWND owner) override;

    int GetErrorCode() const { return m_errorCode; }
    // Answers Abort without asking, for a batch whose window is gone and can ask no more.
    void AbortWithoutAsking() { Decide(send_status::kAbort); }
    // The file that failed (its source path) and the path it was to be saved under; they are
    // named in the question. Set by the worker before it posts the question.
    void SetFailedFile(const std::wstring& source, const std::wstring& target);
    // "The file cannot be saved." followed by the system's description of the code, then, each
    // on a line of its own when given, the file's name and the destination folder.
    static std::wstring MessageFor(int errorCode, const std::wstring& source = std::wstring(),
                                   const std::wstring& target = std::wstring());

private:
    void Decide(int decision);

    raii::UniqueHandle m_event;
    int m_errorCode;
    std::atomic<int> m_decision;
    PluginDestination* m_destination;
    PluginErrorAsker* m_asker;
    bool m_answered = false;  // worker thread only
    std::wstring m_source;    // written before the question is posted, read by the UI thread
    std::wstring m_target;
};
