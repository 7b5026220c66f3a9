#include "send/PluginSender.h"

#include "send/PluginErrorReaction.h"
#include "send/SendStatus.h"
#include "support/OrvInfoLog.h"

#include <memory>

PluginSend2Folder::PluginSend2Folder() : m_destinationFile(std::wstring()), m_status(send_status::kNotSentYet) {}

void PluginSend2Folder::SetFolder(const MyFolderPath& folder) { m_folder.SetPath(folder.GetPath()); }

int PluginSend2Folder::Send(const MyFilePath& source, bool deleteSource) {
    WriteLog(log_level::kTrace, L"PluginSend2Folder::Send");
    // A copy whose source stays needs no flush: until the system writes it out, the scan is
    // still safe in its source. A move deletes the only other copy, so the new file's data and
    // its name must be on the disk before that.
    m_durable = deleteSource;
    m_nextNumber = 1;
    MyFilePath destinationFile(path_text::Join(m_folder.GetPath(), source.GetFileName()));
    while (SendCore(source, destinationFile, deleteSource) == retry_request::kCopyAgain) {
    }
    // A copy that got no name goes; a sender outlives its send (its target keeps it).
    m_copy.reset();
    if (deleteSource) ::DeleteFileW(path_text::ForFileSystem(source.GetPath()).c_str());
    return m_status;
}

int PluginSend2Folder::SendCore(const MyFilePath& source, MyFilePath& destinationFile, bool& deleteSource) {
    WriteLog(log_level::kTrace, L"PluginSend2Folder::SendCore, srcFilePath = %s, dstFilePath = %s, deleteFile 0x%08x",
             source.GetPath().c_str(), destinationFile.GetPath().c_str(), deleteSource ? 1u : 0u);
    int retryRequest = retry_request::kNone;
    if (!MyCopyFile(source, destinationFile)) {
        if (m_status == send_status::kFileExists) {
            PluginRenamer renamer(m_nextNumber);
            m_status = renamer.Deal(&source, &destinationFile, deleteSource, retryRequest);
            // A name that is lost to another writer before we claim it is passed by next time.
            if (retryRequest == retry_request::kCopyAgain) m_nextNumber = renamer.GetNumber() + 1;
        } else {
            PluginNotifier notifier(m_status);
            m_status = notifier.Deal(&source, &destinationFile, deleteSource, retryRequest);
        }
    }
    return retryRequest;
}

bool PluginSend2Folder::MyCopyFile(const MyFilePath& source, const MyFilePath& destinationFile) {
    WriteLog(log_level::kTrace, L"PluginSend2Folder::MyCopyFile");
    m_destinationFile.SetPath(destinationFile.GetPath());
    std::wstring folder = destinationFile.GetFolder();
    DWORD error = 0;
    // A target without a folder would land in whatever the process's current folder is.
    if (folder.empty()) error = ERROR_PATH_NOT_FOUND;
    if (error == 0 && !m_copy) {
        auto copy = std::make_unique<file_copy::TemporaryCopy>();
        error = copy->CopyFrom(source.GetPath(), folder);
        if (error == 0 && m_durable) error = copy->Flush();
        if (error == 0) m_copy = std::move(copy);
    }
    if (error == 0) error = m_copy->ClaimName(destinationFile.GetPath(), m_durable);
    // A non-collision failure ends the send: its copy goes at once.
    if (error != 0 && error != ERROR_FILE_EXISTS) m_copy.reset();
    // A copy after a rename keeps "saved under a new name".
    if (error != 0 || m_status != send_status::kSavedUnderNewName) m_status = static_cast<int>(error);
    return error == 0;
}
