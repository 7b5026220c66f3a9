#include "ui/PluginProgressDialog.h"

#include "resources/resource.h"
#include "send/PluginErrorTrigger.h"
#include "send/PluginFileManager.h"
#include "send/PluginTarget.h"
#include "send/PluginTargetList.h"
#include "send/WorkerMessages.h"
#include "support/MessageTexts.h"
#include "support/OrvInfoLog.h"
#include "support/ResultCodes.h"
#include "support/Localization.h"
#include "ui/PluginRenameWarning.h"
#include "ui/TextFit.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <cstdio>

namespace {

constexpr UINT_PTR kShowTimerId = 1;

}  // namespace

PluginProgressDialog::PluginProgressDialog(HWND parent)
    : CPluginBaseDialog(IDD_PROGRESS, parent), m_result(result::kNotReady) {}

PluginProgressDialog::~PluginProgressDialog() {
    // The worker uses the file manager and this object: it must never outlive either.
    StopWorker();
}

void PluginProgressDialog::Init(PluginFileManager* fileManager, PluginReader* reader, PluginWriter* writer) {
    if (fileManager && fileManager->IsReady() && reader && writer) {
        m_fileManager = fileManager;
        m_reader = reader;
        m_writer = writer;
        return;
    }
    MessageBox(texts::BadArguments(), std::wstring(), MB_OK);
}

INT_PTR PluginProgressDialog::DoModal() {
    INT_PTR endCode = CPluginBaseDialog::DoModal();
    // The modal loop ends through OnFinishBatch, which has joined the worker. Should it end any
    // other way (a quit message, a foreign EndDialog), stop the batch and wait here, so that the
    // caller may delete what the worker uses as soon as this returns.
    if (m_worker) {
        WriteLog(log_level::kError, L"Error PluginProgressDialog::DoModal, worker still running");
        StopWorker();
    }
    return endCode;
}

void PluginProgressDialog::StopWorker() {
    if (!m_worker) return;
    if (m_fileManager) m_fileManager->RequestCancel();
    // Once the window is gone nobody shows the question of an error trigger, and a worker waiting
    // for its answer would wait forever: answer every such question with Abort until it ends.
    while (::WaitForSingleObject(m_worker.Get(), 100) == WAIT_TIMEOUT) AbortOpenQuestions();
    CloseWorkerHandle();
}

void PluginProgressDialog::AbortOpenQuestions() {
    PluginTargetList* targets = m_fileManager ? m_fileManager->GetTargetList() : nullptr;
    if (!targets) return;
    for (int index = 0; index < targets->GetCount(); ++index) {
        PluginTarget* target = targets->GetAt(index);
        if (target && target->GetKind() == target_kind::kErrorTrigger) {
            static_cast<PluginErrorTrigger*>(target)->AbortWithoutAsking();
        }
    }
}

void PluginProgressDialog::DoDataExchange(DataExchange& dx) {
    dx.Text(IDC_SAVING_TEXT, m_firstLine);
    dx.Text(IDC_FILE_NAME_TEXT, m_fileName);
    dx.Text(IDC_COUNTER_TEXT, m_counter);
}

BOOL PluginProgressDialog::OnInitDialog() {
    CPluginBaseDialog::OnInitDialog();
    WriteLog(log_level::kTrace, L"PluginProgressDialog::OnInitDialog()");
    if (!ConnectWorker()) return TRUE;
    InitControls();
    StartWorkerThread();
    return TRUE;
}

bool PluginProgressDialog::ConnectWorker() {
    if (!m_fileManager) {
        MessageBox(texts::FileCannotBeSaved(), std::wstring(), MB_OK);
        EndDialog(IDABORT);
        return false;
    }
    m_fileManager->AddWindow(GetSafeHwnd());
    return true;
}

void PluginProgressDialog::InitControls() {
    m_firstLine = texts::Saving();
    SetWindowText(m_firstLine);
    m_fileCount = m_fileManager->GetFileCount();
    SetMarquee(true);
    m_currentIndex = 0;
    FitCancelButton(texts::Cancel());
    ShowItem(0);
    UpdateData(false);
}

void PluginProgressDialog::SetMarquee(bool on) {
    ::SendMessageW(GetDlgItem(IDC_PROGRESS_BAR), PBM_SETMARQUEE, on ? TRUE : FALSE, kMarqueeIntervalMs);
}

// A translation longer than "Cancel" widens the button to the left (its right edge stays where
// the layout put it) and, for a taller font, lowers its bottom edge.
void PluginProgressDialog::FitCancelButton(const std::wstring& text) {
    HWND button = GetDlgItem(IDCANCEL);
    if (!button) return;
    HDC dc = ::GetDC(button);
    if (dc) {
        // The button's own font, not the device context's default, decides the text's size.
        HGDIOBJ font = reinterpret_cast<HGDIOBJ>(::SendMessageW(button, WM_GETFONT, 0, 0));
        HGDIOBJ previousFont = font ? ::SelectObject(dc, font) : nullptr;
        SIZE extent = {};
        BOOL measured = ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        if (previousFont) ::SelectObject(dc, previousFont);
        ::ReleaseDC(button, dc);
        RECT rect = ControlRect(IDCANCEL);
        if (measured) {
            if (extent.cx > rect.right - rect.left) rect.left = rect.right - extent.cx;
            if (extent.cy > rect.bottom - rect.top) rect.bottom = rect.top + extent.cy;
            MoveControl(IDCANCEL, rect);
        }
    }
    ::SetWindowTextW(button, text.c_str());
}

// Only the two changing controls are set: each text set repaints its control at once.
void PluginProgressDialog::ShowItem(int index) {
    SetFileName(index);
    SetCounter(index + 1);
    SetDlgItemText(IDC_FILE_NAME_TEXT, m_fileName);
    SetDlgItemText(IDC_COUNTER_TEXT, m_counter);
    m_shownIndex = index;
    m_shownAt = ::GetTickCount();
}

void PluginProgressDialog::ShowPendingItem() {
    if (m_showTimerSet) {
        ::KillTimer(GetSafeHwnd(), kShowTimerId);
        m_showTimerSet = false;
    }
    if (m_currentIndex != m_shownIndex) ShowItem(m_currentIndex);
}

void PluginProgressDialog::SetFileName(int index) {
    PluginTargetFile* file = m_fileManager ? m_fileManager->GetFileAt(index) : nullptr;
    if (!file) return;
    const std::wstring& source = file->GetSourcePath().GetPath();
    m_fileName = ::PathFindFileNameW(source.c_str());
}

// The name on one line: a long one loses characters in its middle, so that its end, which tells
// the pages apart, stays in view; "&" is drawn as itself.
void PluginProgressDialog::DrawFileName(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT rect = item.rcItem;
    auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(GetSafeHwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                         reinterpret_cast<LPARAM>(item.hwndItem)));
    ::FillRect(dc, &rect, brush ? brush : ::GetSysColorBrush(COLOR_3DFACE));
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(::SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
    HGDIOBJ previousFont = font ? ::SelectObject(dc, font) : nullptr;
    int previousMode = ::SetBkMode(dc, TRANSPARENT);
    std::wstring shown = EllipsizeInTheMiddle(dc, GetDlgItemText(IDC_FILE_NAME_TEXT), rect.right - rect.left);
    UINT format = DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | (IsRightToLeft() ? DT_RTLREADING : 0);
    ::DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &rect, format);
    ::SetBkMode(dc, previousMode);
    if (previousFont) ::SelectObject(dc, previousFont);
}

void PluginProgressDialog::SetCounter(int position) {
    wchar_t counter[32];
    std::swprintf(counter, sizeof counter / sizeof counter[0], L"%d / %d", position, m_fileCount);
    m_counter = counter;
}

void PluginProgressDialog::OnProgress(int index) {
    m_currentIndex = index;
    if (index >= m_fileCount - 1 || index < 0) {
        SetMarquee(false);
        return;
    }
    m_currentIndex = index + 1;
    // A batch of small files reports far more steps than anyone can read; showing each one
    // would keep the UI thread repainting while the worker waits for a core.
    if (::GetTickCount() - m_shownAt >= kShowIntervalMs) {
        ShowPendingItem();
    } else if (!m_showTimerSet) {
        m_showTimerSet = ::SetTimer(GetSafeHwnd(), kShowTimerId, kShowIntervalMs, nullptr) != 0;
        if (!m_showTimerSet) ShowPendingItem();
    }
}

bool PluginProgressDialog::StartWorkerThread() {
    HANDLE created = ::CreateThread(nullptr, 0, ThreadEntry, this, CREATE_SUSPENDED, nullptr);
    raii::UniqueHandle thread(created);
    bool started = false;
    if (thread) {
        // The dialog keeps a handle of its own, with which it joins the worker at the end.
        HANDLE process = ::GetCurrentProcess();
        if (::DuplicateHandle(process, thread.Get(), process, m_worker.Put(), THREAD_ALL_ACCESS, FALSE, 0)) {
            started = ::ResumeThread(thread.Get()) == 1;
        }
    }
    if (!started) {
        // A thread that was made but never resumed is ended here, before its handle goes.
        if (thread) {
            ::TerminateThread(thread.Get(), result::kNotReady);
        }
        CloseWorkerHandle();
        WriteLog(log_level::kError, L"Error PluginProgressDialog::StartWorkerThread = %d",
                 static_cast<int>(::GetLastError()));
        MessageBox(texts::FileCannotBeSaved(), std::wstring(), MB_OK);
        EndDialog(IDABORT);
    }
    return started;
}

DWORD WINAPI PluginProgressDialog::ThreadEntry(void* self) {
    return static_cast<PluginProgressDialog*>(self)->WorkerThread();
}

DWORD PluginProgressDialog::WorkerThread() {
    WriteLog(log_level::kTrace, L"PluginProgressDialog::WorkerThread()");
    ::Sleep(kStartDelayMs);
    int status = m_fileManager->Send();
    int mapped = m_fileManager->MapResult(status);
    m_result = mapped;
    return static_cast<DWORD>(mapped);
}

void PluginProgressDialog::DeleteWorkerThread() {
    WriteLog(log_level::kTrace, L"PluginProgressDialog::DeleteWorkerThread()");
    if (!m_worker) return;
    WriteLog(log_level::kTrace, L"PluginProgressDialog::WorkerThread(), WaitForSingleObject");
    ::WaitForSingleObject(m_worker.Get(), INFINITE);
    CloseWorkerHandle();
    WriteLog(log_level::kTrace, L"PluginProgressDialog::WorkerThread(), return");
}

void PluginProgressDialog::CloseWorkerHandle() { m_worker.Reset(); }

bool PluginProgressDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    int index = static_cast<int>(lParam);
    switch (message) {
    case WM_START_BATCH: OnStartBatch(); break;
    case WM_SEND_A_FILE: OnSendAFile(index); break;
    case WM_FINISH_BATCH: OnFinishBatch(); break;
    case WM_CANCEL_SEND: OnCancelSend(); break;
    case WM_FAIL_SEND: OnFailSend(); break;
    case WM_SEND_A_FILE_RENAMED: OnSendAFileRenamed(index); break;
    case WM_REQUEST_PROC: OnRequestProc(reinterpret_cast<PluginRequestedProc*>(lParam)); break;
    case WM_GO_TO_NEXT: OnGoToNext(); break;
    case WM_ABORT_SEND: OnAbortSend(); break;
    case WM_RETRY_SEND: OnRetrySend(); break;
    case WM_DRAWITEM:
        if (wParam != IDC_FILE_NAME_TEXT) return false;
        DrawFileName(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        result = TRUE;
        return true;
    case WM_TIMER:
        if (wParam != kShowTimerId) return false;
        ShowPendingItem();
        break;
    default: return false;
    }
    result = 0;
    return true;
}

void PluginProgressDialog::OnStartBatch() { WriteLog(log_level::kTrace, L"PluginProgressDialog::OnStartBatch"); }

void PluginProgressDialog::OnSendAFile(int index) {
    WriteLog(log_level::kTrace, L"PluginProgressDialog::OnSendAFile");
    OnProgress(index);
}

void PluginProgressDialog::OnFinishBatch() {
    WriteLog(log_level::kTrace, L"PluginProgressDialog::OnFinishBatch");
    DeleteWorkerThread();
    ShowPendingItem();
    if (m_events & kFileRenamed) {
        ShowRenameWarning();
    } else {
        ::Sleep(kCloseDelayMs);
    }
    WriteLog(log_level::kTrace, L"PluginProgressDialog::OnFinishBatch, EndDialog(IDOK)");
    EndDialog(IDOK);
}

void PluginProgressDialog::OnCancelSend() {
    WriteLog(log_level::kTrace, L"PluginProgressDialog::OnCancelSend");
    m_events |= kCancelArrived;
}

void PluginProgressDialog::OnFailSend() { WriteLog(log_level::kTrace, L"PluginProgressDialog::OnFailSend"); }

void PluginProgressDialog::OnSendAFileRenamed(int index) {
    WriteLog(log_level::kTrace, L"PluginProgressDialog::OnSendAFileRenamed");
    m_events |= kFileRenamed;
    OnProgress(index);
}

void PluginProgressDialog::OnRequestProc(PluginRequestedProc* procedure) {
    WriteLog(log_level::kTrace, L"PluginProgressDialog::OnRequestProc");
    RequestedProcCore(procedure);
}

void PluginProgressDialog::OnGoToNext() { WriteLog(log_level::kTrace, L"PluginProgressDialog::OnGoToNext"); }
void PluginProgressDialog::OnAbortSend() { WriteLog(log_level::kTrace, L"PluginProgressDialog::OnAbortSend"); }
void PluginProgressDialog::OnRetrySend() { WriteLog(log_level::kTrace, L"PluginProgressDialog::OnRetrySend"); }

// The Cancel button, the Esc key and the close box all arrive here. The dialog stays open: the
// file manager stops before its next target and the dialog closes through OnFinishBatch.
void PluginProgressDialog::OnCancel() { OnBnClickedCancel(); }

void PluginProgressDialog::OnBnClickedCancel() {
    WriteLog(log_level::kTrace, L"PluginProgressDialog::OnBnClickedCancel");
    if (HWND button = GetDlgItem(IDCANCEL)) ::EnableWindow(button, FALSE);
    // One request is enough; Esc after the button greyed out asks nothing more.
    if (m_fileManager && m_worker && !m_cancelRequested) {
        m_cancelRequested = true;
        m_fileManager->RequestCancel();
    }
}

void PluginProgressDialog::RequestedProcCore(PluginRequestedProc* procedure) {
    WriteLog(log_level::kTrace, L"PluginProgressDialog::RequestedProcCore()");
    ShowPendingItem();  // the file in question is on show behind the question
    if (!procedure) {
        MessageBox(texts::ErrorOccured(), std::wstring(), MB_OK);
        return;
    }
    (void)procedure->Run(GetSafeHwnd());
}

void PluginProgressDialog::ShowRenameWarning() {}

PluginProgressDialogFolderEx::~PluginProgressDialogFolderEx() = default;

void PluginProgressDialogFolderEx::ShowRenameWarning() {
    if (GetEvents() & kCancelArrived) return;
    PluginRenameWarning().Warning(m_reader, m_writer, m_fileManager->GetTargetList());
}
