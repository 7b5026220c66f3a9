#include "send/PluginSender.h"

#include "send/PluginErrorReaction.h"
#include "send/SendStatus.h"
#include "support/OrvInfoLog.h"

#include <atomic>
#include <memory>

namespace file_copy {

namespace {

void RemoveFile(const std::wstring& path) {
    std::wstring fileSystemPath = path_text::ForFileSystem(path);
    ::SetFileAttributesW(fileSystemPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(fileSystemPath.c_str());
}

// A name of our own in the target's folder. It is short whatever the target's name, so it
// fits wherever the target's name fits.
std::wstring TemporaryName(const std::wstring& folder) {
    static std::atomic<unsigned> counter{0};
    wchar_t name[48];
    std::swprintf(name, 48, L"~plg%lx_%x.tmp", ::GetCurrentProcessId(), ++counter);
    return path_text::Join(folder, name);
}

}  // namespace

DWORD CopyWithoutReplacing(const std::wstring& source, const std::wstring& target) {
    // A taken name is reported before anything is copied; a missing source is left to the
    // copy, which reports it as the system does.
    std::wstring folder = MyFilePath(target).GetFolder();
    // A target without a folder would land in whatever the process's current folder is.
    if (folder.empty()) return ERROR_PATH_NOT_FOUND;
    if (path_text::Exists(target) && path_text::Exists(source)) return ERROR_FILE_EXISTS;
    std::wstring temporary;
    DWORD error = ERROR_FILE_EXISTS;
    // A temporary name left over by an earlier process is simply passed by.
    for (int attempt = 0; attempt < 16 && error == ERROR_FILE_EXISTS; ++attempt) {
        temporary = TemporaryName(folder);
        bool copied = ::CopyFileW(path_text::ForFileSystem(source).c_str(),
                                  path_text::ForFileSystem(temporary).c_str(), TRUE) != FALSE;
        error = copied ? 0 : ::GetLastError();
    }
    if (error != 0) {
        // Created with fail-if-exists under a name of our own: whatever is there is our partial copy.
        if (error != ERROR_FILE_EXISTS) RemoveFile(temporary);
        return error;
    }
    // Without MOVEFILE_REPLACE_EXISTING the rename refuses a name taken in the meantime.
    if (!::MoveFileExW(path_text::ForFileSystem(temporary).c_str(), path_text::ForFileSystem(target).c_str(), 0)) {
        error = ::GetLastError();
        RemoveFile(temporary);
        return error == ERROR_ALREADY_EXISTS ? ERROR_FILE_EXISTS : error;
    }
    return 0;
}

}  // namespace file_copy

PluginSend2Folder::PluginSend2Folder() : m_destinationFile(std::wstring()), m_status(send_status::kNotSentYet) {}

void PluginSend2Folder::SetFolder(const MyFolderPath& folder) { m_folder.SetPath(folder.GetPath()); }

int PluginSend2Folder::Send(const MyFilePath& source, bool deleteSource) {
    WriteLog(log_level::kTrace, L"PluginSend2Folder::Send");
    MyFilePath destinationFile(path_text::Join(m_folder.GetPath(), source.GetFileName()));
    while (SendCore(source, destinationFile, deleteSource) == retry_request::kCopyAgain) {
    }
    if (deleteSource) ::DeleteFileW(path_text::ForFileSystem(source.GetPath()).c_str());
    return m_status;
}

int PluginSend2Folder::SendCore(const MyFilePath& source, MyFilePath& destinationFile, bool& deleteSource) {
    WriteLog(log_level::kTrace, L"PluginSend2Folder::SendCore, srcFilePath = %s, dstFilePath = %s, deleteFile 0x%08x",
             source.GetPath().c_str(), destinationFile.GetPath().c_str(), deleteSource ? 1u : 0u);
    int retryRequest = retry_request::kNone;
    if (!MyCopyFile(source, destinationFile)) {
        std::unique_ptr<PluginErrorReaction> reaction;
        if (m_status == send_status::kFileExists) {
            reaction = std::make_unique<PluginRenamer>();
        } else {
            reaction = std::make_unique<PluginNotifier>(m_status);
        }
        m_status = reaction->Deal(&source, &destinationFile, deleteSource, retryRequest);
    }
    return retryRequest;
}

bool PluginSend2Folder::MyCopyFile(const MyFilePath& source, const MyFilePath& destinationFile) {
    WriteLog(log_level::kTrace, L"PluginSend2Folder::MyCopyFile");
    DWORD error = file_copy::CopyWithoutReplacing(source.GetPath(), destinationFile.GetPath());
    // A copy after a rename keeps "saved under a new name".
    if (error != 0 || m_status != send_status::kSavedUnderNewName) m_status = static_cast<int>(error);
    m_destinationFile.SetPath(destinationFile.GetPath());
    return error == 0;
}
