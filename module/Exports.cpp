// The exports of the in-process server.
#include "host/ServerModule.h"
#include "module/ClassFactory.h"
#include "module/PluginForBrellixApp.h"
#include "module/Registration.h"

#include <objbase.h>
#include <windows.h>

extern "C" {

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    TheApp().EnsureStarted();
    if (rclsid != server_ids::ClassMain()) return CLASS_E_CLASSNOTAVAILABLE;
    return MainClassFactory().QueryInterface(riid, ppv);
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() { return TheModule().GetLockCount() == 0 ? S_OK : S_FALSE; }

HRESULT STDAPICALLTYPE DllRegisterServer() {
    TheApp().EnsureStarted();
    return registration::Register();
}

HRESULT STDAPICALLTYPE DllUnregisterServer() {
    TheApp().EnsureStarted();
    return registration::Unregister();
}

// "user" (any case, nothing more) switches to per-user registration for the rest of the
// process. A failed registration is undone.
HRESULT STDAPICALLTYPE DllInstall(BOOL install, LPCWSTR commandLine) {
    TheApp().EnsureStarted();
    if (commandLine && ::CompareStringOrdinal(commandLine, -1, L"user", -1, TRUE) == CSTR_EQUAL) {
        registration::SetPerUser();
    }
    if (!install) return registration::Unregister();
    HRESULT hr = registration::Register();
    if (FAILED(hr)) (void)registration::Unregister();
    return hr;
}

}  // extern "C"
