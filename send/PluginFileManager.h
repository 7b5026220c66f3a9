// Runs one batch on the worker thread: sends each target of the list into the destination,
// tells the registered windows about every step by posted messages, turns a failed file into
// an error trigger after it and the user's Cancel into a cancel trigger before the next one.
#pragma once

#include "send/CritSect.h"

#include <windows.h>

#include <string>
#include <vector>

class PluginDestination;
class PluginTarget;
class PluginTargetFile;
class PluginTargetList;

class PluginFileManager {
public:
    PluginFileManager() = default;
    virtual ~PluginFileManager() = default;
    PluginFileManager(const PluginFileManager&) = delete;
    PluginFileManager& operator=(const PluginFileManager&) = delete;

    virtual void AddWindow(HWND window);
    // 160 without a destination or a list; the three are not owned.
    [[nodiscard]] virtual int Init(PluginDestination* destination, bool deleteSource, PluginTargetList* targetList);
    // The whole batch; 21 before Init. Called once, on the worker thread.
    [[nodiscard]] virtual int Send();
    // 0 for success, 1223 for cancelled or aborted, 50 otherwise.
    [[nodiscard]] virtual int MapResult(int status) const;
    // Called on the UI thread; the batch stops before its next target.
    virtual void RequestCancel();
    virtual PluginTargetFile* GetFileAt(int index) const;
    virtual int GetFileCount() const;
    virtual int GetSavedCount() const;
    virtual bool IsReady() const { return m_ready; }
    virtual PluginTargetList* GetTargetList() const { return m_targetList; }

protected:
    virtual void Notify(UINT message, WPARAM wParam, LPARAM lParam);
    [[nodiscard]] virtual int SendBatch(PluginTargetList* targetList, PluginDestination* destination,
                                        bool deleteSource);
    [[nodiscard]] virtual int SendATarget(PluginTarget* target, int index, PluginDestination* destination,
                                          bool deleteSource);
    virtual bool TakeCancelRequest();
    virtual int CountFiles() const;
    virtual int CountSaved() const;
    virtual UINT MessageForStatus(int status) const;

    WPARAM Self() { return reinterpret_cast<WPARAM>(this); }

private:
    static void ReportFailure(PluginTarget* failed, int code, std::wstring& source, std::wstring& target);

    std::vector<HWND> m_windows;
    PluginTargetList* m_targetList = nullptr;
    PluginDestination* m_destination = nullptr;
    bool m_deleteSource = false;
    bool m_ready = false;
    bool m_cancelRequested = false;
    CCritSect m_lock;
};

// The folder variant: a cancelled batch removes the copies it saved, unless it moved its
// sources, in which case the copies are the only ones left and stay.
class PluginFileManagerFolderEx : public PluginFileManager {
public:
    ~PluginFileManagerFolderEx() override = default;

protected:
    [[nodiscard]] int SendBatch(PluginTargetList* targetList, PluginDestination* destination,
                                bool deleteSource) override;
};
