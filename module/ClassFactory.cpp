#include "module/ClassFactory.h"

#include "host/CMain.h"
#include "host/ServerModule.h"

HRESULT CMainClassFactory::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
    AddRef();
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
}

// The first reference beyond the module's own locks the module, the last one unlocks it, so a
// client holding the factory keeps the DLL loaded.
ULONG CMainClassFactory::AddRef() {
    LONG count = ::InterlockedIncrement(&m_refCount);
    if (count == 2) TheModule().Lock();
    return static_cast<ULONG>(count);
}

ULONG CMainClassFactory::Release() {
    LONG count = ::InterlockedDecrement(&m_refCount);
    if (count == 1) TheModule().Unlock();
    return static_cast<ULONG>(count);
}

HRESULT CMainClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
    return CMain::CreateInstance(outer, riid, object);
}

HRESULT CMainClassFactory::LockServer(BOOL lock) {
    if (lock) {
        TheModule().Lock();
    } else {
        TheModule().Unlock();
    }
    return S_OK;
}

CMainClassFactory& MainClassFactory() {
    static CMainClassFactory factory;
    return factory;
}
