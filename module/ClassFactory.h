// The class factory of the class Main: made once, on the first request, and kept for the life
// of the module. References held by clients and LockServer keep the module loaded.
#pragma once

#include <unknwn.h>
#include <windows.h>

class CMainClassFactory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    volatile LONG m_refCount = 1;  // the module's own reference, never released
};

// The factory; the first call creates it (function-local statics are made once, under a guard).
CMainClassFactory& MainClassFactory();
