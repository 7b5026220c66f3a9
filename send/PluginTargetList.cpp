#include "send/PluginTargetList.h"

#include "send/PluginErrorTrigger.h"
#include "send/PluginTarget.h"
#include "send/SendStatus.h"

PluginTargetList::~PluginTargetList() { RemoveAll(); }

int PluginTargetList::CreateFileList(const std::wstring& fileListPath) {
    TargetArray read;
    PluginStdioFile file;
    int code = file.ReadFileList(read, fileListPath);
    CritSectLock hold(m_lock);
    for (auto& target : read) m_targets.push_back(std::move(target));
    return code;
}

void PluginTargetList::RemoveAll() {
    TargetArray removed;
    {
        CritSectLock hold(m_lock);
        removed.swap(m_targets);
    }
    for (auto& target : removed) target.reset();  // in list order
}

PluginTarget* PluginTargetList::AtLocked(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= m_targets.size()) return nullptr;
    return m_targets[static_cast<size_t>(index)].get();
}

PluginTarget* PluginTargetList::GetAt(int index) const {
    CritSectLock hold(m_lock);
    return AtLocked(index);
}

PluginTargetFile* PluginTargetList::GetFileAt(int index) const {
    CritSectLock hold(m_lock);
    PluginTarget* target = AtLocked(index);
    if (!target || target->GetKind() != target_kind::kFile) return nullptr;
    return static_cast<PluginTargetFile*>(target);
}

PluginTargetFile* PluginTargetList::Next() {
    CritSectLock hold(m_lock);
    while (m_cursor >= 0 && static_cast<size_t>(m_cursor) < m_targets.size()) {
        PluginTarget* target = m_targets[static_cast<size_t>(m_cursor++)].get();
        if (target && target->GetKind() == target_kind::kFile) return static_cast<PluginTargetFile*>(target);
    }
    return nullptr;
}

void PluginTargetList::ResetCursor() {
    CritSectLock hold(m_lock);
    m_cursor = 0;
}

int PluginTargetList::GetCount() const {
    CritSectLock hold(m_lock);
    return static_cast<int>(m_targets.size());
}

void PluginTargetList::InsertAt(int index, PluginTarget* target) {
    std::unique_ptr<PluginTarget> owned(target);
    CritSectLock hold(m_lock);
    size_t position = index < 0 ? 0 : static_cast<size_t>(index);
    if (position >= m_targets.size()) {
        m_targets.resize(position + 1);
        m_targets[position] = std::move(owned);
    } else {
        m_targets.insert(m_targets.begin() + static_cast<std::ptrdiff_t>(position), std::move(owned));
    }
}

PluginCancelTrigger* PluginTargetList::InsertCancelTrigger(int index) {
    auto* trigger = new PluginCancelTrigger();
    InsertAt(index, trigger);
    return trigger;
}

PluginErrorTrigger* PluginTargetList::InsertErrorTrigger(int index, int errorCode, PluginDestination* destination) {
    PluginErrorAsker* asker;
    {
        CritSectLock hold(m_lock);
        asker = m_errorAsker;
    }
    auto* trigger = new PluginErrorTrigger(errorCode, destination, asker);
    InsertAt(index, trigger);
    return trigger;
}

void PluginTargetList::SetErrorAsker(PluginErrorAsker* asker) {
    CritSectLock hold(m_lock);
    m_errorAsker = asker;
}
