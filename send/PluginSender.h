// Senders save one file into a destination; PluginSend2Folder copies it into a folder, never
// replacing anything, and saves a colliding name under the next free numbered name.
#pragma once

#include "send/TemporaryCopy.h"
#include "support/MyPath.h"

#include <memory>
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
    // One attempt to save under destinationFile and, when it failed, the reaction to it.
    // Answers the retry request: 1 to try again (the destination path may have been changed),
    // anything else to stop.
    int SendCore(const MyFilePath& source, MyFilePath& destinationFile, bool& deleteSource);
    // Copies the source's data once per send, under a temporary name, and then claims
    // destinationFile for it; a later attempt after a collision claims another name for the
    // same copy.
    bool MyCopyFile(const MyFilePath& source, const MyFilePath& destinationFile);

private:
    MyFilePath m_destinationFile;
    int m_status;
    MyFolderPath m_folder;
    // Set for a send that deletes its source: the copy must then be on the disk first.
    bool m_durable = false;
    // The lowest number the next numbered name may have: numbers below it were found taken.
    int m_nextNumber = 1;
    std::unique_ptr<file_copy::TemporaryCopy> m_copy;
};
