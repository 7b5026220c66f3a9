// Senders save one file into a destination; PluginSend2Folder copies it into a folder, never
// replacing anything, and saves a colliding name under the next free numbered name.
#pragma once

#include "support/MyPath.h"

#include <string>

class PluginSender {
public:
    virtual ~PluginSender() = default;
    // Saves the source; the source file is deleted afterwards only when deleteSource is set
    // and the file was saved. Answers the send status.
    [[nodiscard]] virtual int Send(const MyFilePath& source, bool deleteSource) = 0;
    virtual int GetStatus() const = 0;
    // The path of the latest copy attempt: after a save, the name the file was saved under.
    virtual const MyFilePath& GetDestinationFilePath() const = 0;
};

class PluginSend2Folder : public PluginSender {
public:
    PluginSend2Folder();

    [[nodiscard]] int Send(const MyFilePath& source, bool deleteSource) override;
    int GetStatus() const override { return m_status; }
    const MyFilePath& GetDestinationFilePath() const override { return m_destinationFile; }
    virtual void SetFolder(const MyFolderPath& folder);

protected:
    // One copy attempt and, when it failed, the reaction to it. Answers the retry request:
    // 1 to copy again (the destination path may have been changed), anything else to stop.
    int SendCore(const MyFilePath& source, MyFilePath& destinationFile, bool& deleteSource);
    bool MyCopyFile(const MyFilePath& source, const MyFilePath& destinationFile);

private:
    MyFilePath m_destinationFile;
    int m_status;
    MyFolderPath m_folder;
};

namespace file_copy {

// Copies source to target without ever replacing anything at target and without a partial
// file ever appearing under the target's name: the bytes go to a temporary file in the
// target's folder, which is renamed into place only when complete and removed when the copy
// fails. 0 on success; 80 (ERROR_FILE_EXISTS) when something exists at target; otherwise the
// system's error code.
[[nodiscard]] DWORD CopyWithoutReplacing(const std::wstring& source, const std::wstring& target);

}  // namespace file_copy
