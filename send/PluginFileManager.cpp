#include "send/PluginFileManager.h"

#include "destination/PluginDestination.h"
#include "send/PluginErrorTrigger.h"
#include "send/PluginTarget.h"
#include "send/PluginTargetList.h"
#include "send/SendStatus.h"
#include "send/WorkerMessages.h"
#include "support/OrvInfoLog.h"

void PluginFileManager::AddWindow(HWND window) { m_windows.push_back(window); }

int PluginFileManager::Init(PluginDestination* destination, bool deleteSource, PluginTargetList* targetList) {
    if (!destination || !targetList) return result::kBadArguments;
    m_destination = destination;
    m_deleteSource = deleteSource;
    m_targetList = targetList;
    m_ready = true;
    return 0;
}

int PluginFileManager::Send() {
    WriteLog(log_level::kTrace, L"PluginFileManager::Send");
    if (!m_ready) return result::kNotReady;
    Notify(WM_START_BATCH, Self(), 0);
    int status = m_destination->BeginSend();
    if (status == 0) {
        status = SendBatch(m_targetList, m_destination, m_deleteSource);
        (void)m_destination->EndSend();
    }
    Notify(WM_FINISH_BATCH, Self(), 0);
    return status;
}

int PluginFileManager::MapResult(int status) const {
    switch (status) {
    case send_status::kSaved:
    case send_status::kSavedUnderNewName:
    case send_status::kNotSentYet:
    case send_status::kReservedSuccess:
    case send_status::kRetry:
    case send_status::kGoOn:
        return result::kSuccess;
    case send_status::kCancelled:
    case send_status::kAbort:
        return result::kCancelled;
    default:
        return result::kNotSupported;
    }
}

void PluginFileManager::RequestCancel() {
    CritSectLock hold(m_lock);
    m_cancelRequested = true;
}

bool PluginFileManager::TakeCancelRequest() {
    CritSectLock hold(m_lock);
    bool requested = m_cancelRequested;
    m_cancelRequested = false;
    return requested;
}

PluginTargetFile* PluginFileManager::GetFileAt(int index) const {
    return m_targetList ? m_targetList->GetFileAt(index) : nullptr;
}

int PluginFileManager::GetFileCount() const { return m_targetList ? CountFiles() : 0; }

int PluginFileManager::GetSavedCount() const { return m_targetList ? CountSaved() : 0; }

int PluginFileManager::CountFiles() const {
    int count = 0;
    int total = m_targetList->GetCount();
    for (int i = 0; i < total; ++i) {
        if (m_targetList->GetFileAt(i)) ++count;
    }
    return count;
}

int PluginFileManager::CountSaved() const {
    int count = 0;
    int total = m_targetList->GetCount();
    for (int i = 0; i < total; ++i) {
        PluginTargetFile* file = m_targetList->GetFileAt(i);
        if (!file) continue;
        int status = file->GetStatus();
        if (status == send_status::kSaved || status == send_status::kSavedUnderNewName) ++count;
    }
    return count;
}

void PluginFileManager::Notify(UINT message, WPARAM wParam, LPARAM lParam) {
    for (HWND window : m_windows) ::PostMessageW(window, message, wParam, lParam);
}

UINT PluginFileManager::MessageForStatus(int status) const {
    switch (status) {
    case send_status::kSaved: return WM_SEND_A_FILE;
    case send_status::kSavedUnderNewName: return WM_SEND_A_FILE_RENAMED;
    case send_status::kCancelled: return WM_CANCEL_SEND;
    case send_status::kAbort: return WM_ABORT_SEND;
    case send_status::kRetry: return WM_RETRY_SEND;
    case send_status::kGoOn: return WM_GO_TO_NEXT;
    default: return WM_FAIL_SEND;
    }
}

int PluginFileManager::SendBatch(PluginTargetList* targetList, PluginDestination* destination, bool deleteSource) {
    WriteLog(log_level::kTrace, L"PluginFileManager::SendBatch");
    if (targetList->GetCount() < 1) return 0;
    int index = 0;
    for (;;) {
        if (TakeCancelRequest()) (void)targetList->InsertCancelTrigger(index);
        int status = SendATarget(targetList->GetAt(index), index, destination, deleteSource);
        switch (status) {
        case send_status::kCancelled:
        case send_status::kAbort:
            return status;
        case send_status::kRetry:
            --index;  // the failed file in front of its error trigger
            break;
        case send_status::kSaved:
        case send_status::kSavedUnderNewName:
        case send_status::kGoOn:
            ++index;
            break;
        default: {
            std::wstring source;
            std::wstring target;
            ReportFailure(targetList->GetAt(index), status, source, target);
            ++index;
            PluginErrorTrigger* trigger = targetList->InsertErrorTrigger(index, status, destination);
            trigger->SetFailedFile(source, target);
            PluginRequestedProc* procedure = trigger;
            Notify(WM_REQUEST_PROC, Self(), reinterpret_cast<LPARAM>(procedure));
            break;
        }
        }
        if (index >= targetList->GetCount()) return status;
    }
}

// One error line per failed file, with the system's code and both paths, so that a search of
// the log for errors finds every file that was not saved. source and target receive the two
// paths (empty for a target that is no file).
void PluginFileManager::ReportFailure(PluginTarget* failed, int code, std::wstring& source, std::wstring& target) {
    if (failed && failed->GetKind() == target_kind::kFile) {
        auto* file = static_cast<PluginTargetFile*>(failed);
        source = file->GetSourcePath().GetPath();
        target = file->GetSavedPath().GetPath();
    }
    WriteLog(log_level::kError, L"Error PluginFileManager::SendBatch, file not saved: error = %d, source = %s, target = %s",
             code, source.c_str(), target.c_str());
}

int PluginFileManager::SendATarget(PluginTarget* target, int index, PluginDestination* destination,
                                   bool deleteSource) {
    WriteLog(log_level::kTrace, L"PluginFileManager::SendATarget");
    // An empty place in the list (left by an insertion beyond the end) is passed over.
    int status = target ? target->Send(destination, deleteSource) : send_status::kGoOn;
    Notify(MessageForStatus(status), Self(), static_cast<LPARAM>(index));
    return status;
}

int PluginFileManagerFolderEx::SendBatch(PluginTargetList* targetList, PluginDestination* destination,
                                         bool deleteSource) {
    int status = PluginFileManager::SendBatch(targetList, destination, deleteSource);
    if (status != send_status::kCancelled) return status;
    // Moved files exist only as their copies now: removing those would lose the scans.
    if (deleteSource) return status;
    targetList->ResetCursor();
    while (PluginTargetFile* file = targetList->Next()) {
        int fileStatus = file->GetStatus();
        if (fileStatus != send_status::kSaved && fileStatus != send_status::kSavedUnderNewName) continue;
        // The copy is ours; a read-only attribute taken over from its source must not keep it.
        std::wstring copy = path_text::ForFileSystem(file->GetSavedPath().GetPath());
        ::SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(copy.c_str());
    }
    return status;
}
