#include "send/PluginTarget.h"

#include "destination/PluginDestination.h"
#include "send/PluginSender.h"
#include "send/SendStatus.h"

PluginTargetFile::PluginTargetFile(std::wstring source) : m_source(std::move(source)) {}

PluginTargetFile::~PluginTargetFile() = default;

int PluginTargetFile::Send(PluginDestination* destination, bool deleteSource) {
    if (!destination) return send_status::kNoDestination;
    // Each send gets a new sender, so it saves into the destination's folder as it is now.
    std::unique_ptr<PluginSender> sender(destination->CreateSender());
    if (!sender) return send_status::kNoSender;
    int status = sender->Send(m_source, deleteSource);
    CritSectLock hold(m_senderLock);
    m_sender = std::move(sender);
    return status;
}

int PluginTargetFile::GetStatus() const {
    CritSectLock hold(m_senderLock);
    return m_sender ? m_sender->GetStatus() : send_status::kNoSender;
}

int PluginTargetFile::GetKind() const { return target_kind::kFile; }

MyFilePath PluginTargetFile::GetSavedPath() const {
    CritSectLock hold(m_senderLock);
    return MyFilePath(m_sender ? m_sender->GetDestinationFilePath().GetPath() : std::wstring());
}

int PluginCancelTrigger::Send(PluginDestination* /*destination*/, bool /*deleteSource*/) {
    return send_status::kCancelled;
}

int PluginCancelTrigger::GetStatus() const { return send_status::kCancelled; }

int PluginCancelTrigger::GetKind() const { return target_kind::kCancelTrigger; }
