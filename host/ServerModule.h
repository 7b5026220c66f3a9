// The COM server module: the lock count that keeps the DLL loaded while objects or locked
// class factories exist, the identifiers of the plug-in's class and type library, and the
// process's global interface table on request.
#pragma once

#include "support/Raii.h"

#include <objidl.h>
#include <windows.h>

class CPluginForBrellixModule {
public:
    CPluginForBrellixModule() = default;
    virtual ~CPluginForBrellixModule() = default;
    CPluginForBrellixModule(const CPluginForBrellixModule&) = delete;
    CPluginForBrellixModule& operator=(const CPluginForBrellixModule&) = delete;

    // Interlocked; each returns the new count.
    virtual LONG Lock();
    virtual LONG Unlock();
    virtual LONG GetLockCount();
    // The process's global interface table, created on first request; a new reference.
    virtual HRESULT GetGITPtr(IGlobalInterfaceTable** table);
    // Drops the global interface table (at unload).
    void Term();

private:
    volatile LONG m_lockCount = 0;
    raii::ComPtr<IGlobalInterfaceTable> m_git;
};

// The one module object of the process.
CPluginForBrellixModule& TheModule();

namespace server_ids {
// The class Main and the plug-in's own type library PluginForBrellixLib 1.0.
const CLSID& ClassMain();
const GUID& LibraryId();
constexpr WORD kLibraryMajor = 1;
constexpr WORD kLibraryMinor = 0;
// The host's type library PLRPluginIF 2.0.
const GUID& HostLibraryId();
constexpr WORD kHostLibraryMajor = 2;
constexpr WORD kHostLibraryMinor = 0;
}  // namespace server_ids
