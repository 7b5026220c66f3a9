#include "host/ServerModule.h"

#include "PLRPluginIF.h"
#include "PluginForBrellix.h"

#include <mutex>

LONG CPluginForBrellixModule::Lock() { return ::InterlockedIncrement(&m_lockCount); }
LONG CPluginForBrellixModule::Unlock() { return ::InterlockedDecrement(&m_lockCount); }
LONG CPluginForBrellixModule::GetLockCount() { return m_lockCount; }

HRESULT CPluginForBrellixModule::GetGITPtr(IGlobalInterfaceTable** table) {
    if (!table) return E_POINTER;
    *table = nullptr;
    static std::mutex guard;
    std::lock_guard<std::mutex> lock(guard);
    if (!m_git) {
        HRESULT hr = ::CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_IGlobalInterfaceTable, m_git.PutVoid());
        if (FAILED(hr)) return hr;
    }
    m_git->AddRef();
    *table = m_git.Get();
    return S_OK;
}

void CPluginForBrellixModule::Term() { m_git.Reset(); }

CPluginForBrellixModule& TheModule() {
    static CPluginForBrellixModule module;
    return module;
}

namespace server_ids {
const CLSID& ClassMain() { return CLSID_Main; }
const GUID& LibraryId() { return LIBID_PluginForBrellixLib; }
const GUID& HostLibraryId() { return LIBID_PLRPluginIF; }
}  // namespace server_ids
