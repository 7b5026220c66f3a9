// The ordered targets of one batch, read from the host's file list. The worker inserts
// triggers while the UI thread reads targets by index: every access to the array goes
// through the list's lock, and targets never move in memory (only their pointers do), so a
// target handed out stays valid until the list is emptied.
#pragma once

#include "send/CritSect.h"
#include "send/PluginStdioFile.h"

#include <string>

class PluginTarget;
class PluginTargetFile;
class PluginCancelTrigger;
class PluginErrorTrigger;
class PluginErrorAsker;
class PluginDestination;

class PluginTargetList {
public:
    PluginTargetList() = default;
    virtual ~PluginTargetList();
    PluginTargetList(const PluginTargetList&) = delete;
    PluginTargetList& operator=(const PluginTargetList&) = delete;

    // Appends one file target per listed path. 0, or the reader's cause code.
    [[nodiscard]] virtual int CreateFileList(const std::wstring& fileListPath);
    virtual void RemoveAll();
    virtual PluginTarget* GetAt(int index) const;
    virtual PluginTargetFile* GetFileAt(int index) const;
    // The next file target from the cursor on, or none at the end.
    virtual PluginTargetFile* Next();
    virtual void ResetCursor();
    virtual int GetCount() const;
    // Takes ownership. An index at or beyond the end places the target at that index, with
    // empty places between; a negative index inserts at the front.
    virtual void InsertAt(int index, PluginTarget* target);
    virtual PluginCancelTrigger* InsertCancelTrigger(int index);
    virtual PluginErrorTrigger* InsertErrorTrigger(int index, int errorCode, PluginDestination* destination);

    // How error triggers made from now on ask the user (not owned).
    void SetErrorAsker(PluginErrorAsker* asker);

private:
    PluginTarget* AtLocked(int index) const;

    TargetArray m_targets;
    int m_cursor = 0;
    PluginErrorAsker* m_errorAsker = nullptr;
    mutable CCritSect m_lock;
};
