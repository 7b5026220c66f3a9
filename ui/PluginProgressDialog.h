// The modal dialog behind which a batch is saved. Once its window exists it starts the worker
// thread that runs the file manager's batch; the worker talks to it only through posted
// messages. The dialog shows the file being saved, turns Cancel into a cancel request, runs
// the procedures the worker asks for (the error dialog) on the UI thread and, after the
// batch, joins the worker and closes with IDOK. The mapped batch result is read afterwards.
#pragma once

#include "support/Raii.h"
#include "ui/CPluginBaseDialog.h"

#include <windows.h>

#include <string>

class PluginFileManager;
class PluginReader;
class PluginWriter;
class PluginRequestedProc;

class PluginProgressDialog : public CPluginBaseDialog {
public:
    static constexpr unsigned kCancelArrived = 0x08;
    static constexpr unsigned kFileRenamed = 0x20;
    // The worker waits this long before the batch so that the dialog is on screen first, and
    // the dialog stays this long after a batch without renamed files.
    static constexpr DWORD kStartDelayMs = 500;
    static constexpr DWORD kCloseDelayMs = 100;
    static constexpr UINT kMarqueeIntervalMs = 30;
    // The file name and counter change at most this often; a step arriving sooner is shown
    // by a timer once the interval has passed (or before an error dialog, or at the end).
    static constexpr DWORD kShowIntervalMs = 50;

    explicit PluginProgressDialog(HWND parent);
    ~PluginProgressDialog() override;

    // None of the three is owned; they are kept only when the file manager is ready and the
    // reader and writer exist ("Bad arguments." otherwise).
    virtual void Init(PluginFileManager* fileManager, PluginReader* reader, PluginWriter* writer);
    // 1 (IDOK) after a batch, 3 (IDABORT) when the worker could not be started. Never returns
    // while the worker still runs.
    INT_PTR DoModal() override;
    // The file manager's mapped result (0, 1223 or 50), or 21 when the worker never ran.
    virtual int GetResult() const { return m_result; }
    // Event bits seen so far (kCancelArrived, kFileRenamed).
    unsigned GetEvents() const { return m_events; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;
    void OnCancel() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

    // False (and the dialog ended with IDABORT) without a file manager.
    virtual bool ConnectWorker();
    virtual void InitControls();
    virtual void SetCounter(int position);
    void DrawFileName(const DRAWITEMSTRUCT& item);
    virtual void SetFileName(int index);
    virtual void ShowItem(int index);
    virtual void OnProgress(int index);
    // Shows the newest step the worker reported, if it is not on show yet.
    void ShowPendingItem();
    virtual void RequestedProcCore(PluginRequestedProc* procedure);
    virtual void ShowRenameWarning();
    virtual bool StartWorkerThread();
    // Runs on the worker thread: the batch and its mapped result, nothing else.
    virtual DWORD WorkerThread();
    // Waits for the worker's end and closes the handle.
    virtual void DeleteWorkerThread();
    // Cancels the batch and waits for the worker, answering with Abort any error question that
    // no window will show any more. For a dialog that ends other than through its batch's end.
    void StopWorker();
    void AbortOpenQuestions();
    virtual void CloseWorkerHandle();

    virtual void OnStartBatch();
    virtual void OnSendAFile(int index);
    virtual void OnFinishBatch();
    virtual void OnCancelSend();
    virtual void OnFailSend();
    virtual void OnSendAFileRenamed(int index);
    virtual void OnRequestProc(PluginRequestedProc* procedure);
    virtual void OnGoToNext();
    virtual void OnAbortSend();
    virtual void OnRetrySend();
    virtual void OnBnClickedCancel();

    void FitCancelButton(const std::wstring& text);
    void SetMarquee(bool on);

    PluginFileManager* m_fileManager = nullptr;
    PluginReader* m_reader = nullptr;
    PluginWriter* m_writer = nullptr;

private:
    static DWORD WINAPI ThreadEntry(void* self);

    std::wstring m_firstLine;
    std::wstring m_fileName;
    std::wstring m_counter;
    int m_fileCount = 0;
    int m_currentIndex = 0;
    int m_shownIndex = -1;
    DWORD m_shownAt = 0;
    bool m_showTimerSet = false;
    // Written by the worker before it ends; read only after the worker has been joined.
    int m_result;
    raii::UniqueHandle m_worker;
    unsigned m_events = 0;
    bool m_cancelRequested = false;
};

// The progress dialog of folder saving: before it closes it lists the files that were saved
// under new names, unless the batch was cancelled.
class PluginProgressDialogFolderEx : public PluginProgressDialog {
public:
    explicit PluginProgressDialogFolderEx(HWND parent) : PluginProgressDialog(parent) {}
    ~PluginProgressDialogFolderEx() override;

protected:
    void ShowRenameWarning() override;
};
