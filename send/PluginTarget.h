// Targets of a batch: a file to save, or a marker the file manager inserts (cancel trigger,
// error trigger). Each answers a send status and its kind.
#pragma once

#include "send/CritSect.h"
#include "support/MyPath.h"

#include <memory>
#include <string>

class PluginDestination;
class PluginSender;

class PluginTarget {
public:
    virtual ~PluginTarget() = default;
    [[nodiscard]] virtual int Send(PluginDestination* destination, bool deleteSource) = 0;
    virtual int GetStatus() const = 0;
    virtual int GetKind() const = 0;
};

// One listed file. It keeps the sender of its latest send so that the outcome and the saved
// name can be asked for afterwards, also from the UI thread while the batch runs: the sender
// is swapped under a lock only once its send is complete.
class PluginTargetFile : public PluginTarget {
public:
    explicit PluginTargetFile(std::wstring source);
    ~PluginTargetFile() override;

    [[nodiscard]] int Send(PluginDestination* destination, bool deleteSource) override;
    int GetStatus() const override;
    int GetKind() const override;
    virtual const MyFilePath& GetSourcePath() const { return m_source; }
    // The path the file was saved under (renamed or not); empty before the first send.
    virtual MyFilePath GetSavedPath() const;

private:
    MyFilePath m_source;
    std::unique_ptr<PluginSender> m_sender;
    mutable CCritSect m_senderLock;
};

class PluginCancelTrigger : public PluginTarget {
public:
    [[nodiscard]] int Send(PluginDestination* destination, bool deleteSource) override;
    int GetStatus() const override;
    int GetKind() const override;
};
