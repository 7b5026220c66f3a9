#include "module/Registration.h"

#include "host/ServerModule.h"
#include "support/MyGuid.h"
#include "support/MyModule.h"
#include "support/Raii.h"

#include "Version.h"

#include <oleauto.h>

#include <cwchar>
#include <string>

// Present in oleaut32 but not declared by the MinGW headers.
extern "C" HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* library, OLECHAR* fullPath, OLECHAR* helpDir);
extern "C" HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID libraryId, WORD major, WORD minor, LCID lcid,
                                                   SYSKIND syskind);

namespace registration {

namespace {

bool g_perUser = false;

const wchar_t kProgId[] = L"PluginForBrellix.Main.1";
const wchar_t kIndependentProgId[] = L"PluginForBrellix.Main";
const wchar_t kClassName[] = L"Main Class";

// Sets the thread locale to the system default for the life of the object.
class SystemThreadLocale {
public:
    SystemThreadLocale() : m_previous(::GetThreadLocale()) { ::SetThreadLocale(LOCALE_SYSTEM_DEFAULT); }
    ~SystemThreadLocale() { ::SetThreadLocale(m_previous); }
    SystemThreadLocale(const SystemThreadLocale&) = delete;
    SystemThreadLocale& operator=(const SystemThreadLocale&) = delete;

private:
    LCID m_previous;
};

HRESULT FromStatus(LSTATUS status) { return HRESULT_FROM_WIN32(static_cast<DWORD>(status)); }

// The root of class registration: HKEY_CLASSES_ROOT, or the user's own classes.
HRESULT OpenClassesRoot(raii::UniqueKey& root) {
    if (!g_perUser) {
        return FromStatus(::RegOpenKeyExW(HKEY_CLASSES_ROOT, nullptr, 0, KEY_ALL_ACCESS, root.Put()));
    }
    return FromStatus(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS,
                                        nullptr, root.Put(), nullptr));
}

// Creates (or opens) parent\subKey and sets its default value when one is given.
HRESULT WriteKey(HKEY parent, const std::wstring& subKey, const wchar_t* defaultValue, raii::UniqueKey* opened = nullptr) {
    raii::UniqueKey key;
    LSTATUS status =
        ::RegCreateKeyExW(parent, subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Put(), nullptr);
    if (status != ERROR_SUCCESS) return FromStatus(status);
    if (defaultValue) {
        status = ::RegSetValueExW(key.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(defaultValue),
                                  static_cast<DWORD>((wcslen(defaultValue) + 1) * sizeof(wchar_t)));
        if (status != ERROR_SUCCESS) return FromStatus(status);
    }
    if (opened) *opened = std::move(key);
    return S_OK;
}

HRESULT WriteValue(HKEY key, const wchar_t* name, const std::wstring& value) {
    return FromStatus(::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))));
}

// Removes a key with everything below it; a missing key is not an error.
HRESULT RemoveTree(HKEY parent, const std::wstring& subKey) {
    LSTATUS status = ::RegDeleteTreeW(parent, subKey.c_str());
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) return S_OK;
    return FromStatus(status);
}

std::wstring Braced(const GUID& guid) { return MyGuid(guid).ToString(1); }
std::wstring ClassKey() { return L"CLSID\\" + Braced(server_ids::ClassMain()); }
std::wstring ModulePath() { return MyModule::FileNameOf(MyModule::CodeModule()); }

HRESULT WriteProgIds(HKEY root) {
    raii::UniqueKey progId;
    HRESULT hr = WriteKey(root, kProgId, kClassName, &progId);
    if (SUCCEEDED(hr)) hr = WriteKey(progId.Get(), L"CLSID", Braced(server_ids::ClassMain()).c_str());
    raii::UniqueKey independent;
    if (SUCCEEDED(hr)) hr = WriteKey(root, kIndependentProgId, kClassName, &independent);
    if (SUCCEEDED(hr)) hr = WriteKey(independent.Get(), L"CurVer", kProgId);
    // Not every COM runtime follows CurVer (Wine's does not): the class is named directly too,
    // so that creation by the version-independent ProgID works everywhere.
    if (SUCCEEDED(hr)) hr = WriteKey(independent.Get(), L"CLSID", Braced(server_ids::ClassMain()).c_str());
    return hr;
}

HRESULT WriteClassKey(HKEY root, const std::wstring& modulePath) {
    // The container stays for good; the class's own key is written afresh.
    HRESULT hr = WriteKey(root, L"CLSID", nullptr);
    if (SUCCEEDED(hr)) hr = RemoveTree(root, ClassKey());
    raii::UniqueKey classKey;
    if (SUCCEEDED(hr)) hr = WriteKey(root, ClassKey(), kClassName, &classKey);
    if (SUCCEEDED(hr)) hr = WriteKey(classKey.Get(), L"ProgID", kProgId);
    if (SUCCEEDED(hr)) hr = WriteKey(classKey.Get(), L"VersionIndependentProgID", kIndependentProgId);
    if (SUCCEEDED(hr)) hr = WriteKey(classKey.Get(), L"Programmable", nullptr);
    raii::UniqueKey server;
    if (SUCCEEDED(hr)) hr = WriteKey(classKey.Get(), L"InprocServer32", modulePath.c_str(), &server);
    if (SUCCEEDED(hr)) hr = WriteValue(server.Get(), L"ThreadingModel", L"Apartment");
    if (SUCCEEDED(hr)) hr = WriteKey(classKey.Get(), L"TypeLib", Braced(server_ids::LibraryId()).c_str());
    if (SUCCEEDED(hr)) hr = WriteKey(classKey.Get(), L"Version", PLUGIN_TYPELIB_VERSION_TEXT);
    return hr;
}

HRESULT LoadOwnTypeLibrary(const std::wstring& modulePath, raii::ComPtr<ITypeLib>& library) {
    return ::LoadTypeLibEx(modulePath.c_str(), REGKIND_NONE, library.Put());
}

HRESULT RegisterOwnTypeLibrary(const std::wstring& modulePath) {
    raii::ComPtr<ITypeLib> library;
    HRESULT hr = LoadOwnTypeLibrary(modulePath, library);
    if (FAILED(hr)) return hr;
    std::wstring path = modulePath;
    return g_perUser ? ::RegisterTypeLibForUser(library.Get(), path.data(), nullptr)
                     : ::RegisterTypeLib(library.Get(), path.data(), nullptr);
}

HRESULT UnregisterOwnTypeLibrary(const std::wstring& modulePath) {
    raii::ComPtr<ITypeLib> library;
    HRESULT hr = LoadOwnTypeLibrary(modulePath, library);
    if (FAILED(hr)) return hr;
    TLIBATTR* attributes = nullptr;
    hr = library->GetLibAttr(&attributes);
    if (FAILED(hr)) return hr;
    TLIBATTR copy = *attributes;
    library->ReleaseTLibAttr(attributes);
    // Unregistering what is not registered leaves the wanted state; runtimes differ in the
    // error they give for it, so look first.
    wchar_t version[32];
    swprintf(version, 32, L"\\%x.%x", copy.wMajorVerNum, copy.wMinorVerNum);
    raii::UniqueKey registered;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, (L"TypeLib\\" + Braced(copy.guid) + version).c_str(), 0, KEY_READ,
                        registered.Put()) != ERROR_SUCCESS) {
        return S_OK;
    }
    registered.Reset();
    hr = g_perUser ? ::UnRegisterTypeLibForUser(copy.guid, copy.wMajorVerNum, copy.wMinorVerNum, copy.lcid,
                                                copy.syskind)
                   : ::UnRegisterTypeLib(copy.guid, copy.wMajorVerNum, copy.wMinorVerNum, copy.lcid, copy.syskind);
    return hr;
}

}  // namespace

void SetPerUser() { g_perUser = true; }
bool IsPerUser() { return g_perUser; }

HRESULT Register() {
    SystemThreadLocale locale;
    std::wstring modulePath = ModulePath();
    if (modulePath.empty()) return HRESULT_FROM_WIN32(::GetLastError());
    raii::UniqueKey root;
    HRESULT hr = OpenClassesRoot(root);
    if (SUCCEEDED(hr)) hr = WriteProgIds(root.Get());
    if (SUCCEEDED(hr)) hr = WriteClassKey(root.Get(), modulePath);
    if (SUCCEEDED(hr)) hr = RegisterOwnTypeLibrary(modulePath);
    return hr;
}

HRESULT Unregister() {
    SystemThreadLocale locale;
    raii::UniqueKey root;
    HRESULT hr = OpenClassesRoot(root);
    if (FAILED(hr)) return hr;
    // Every step runs; the first failure is reported.
    HRESULT steps[] = {
        RemoveTree(root.Get(), ClassKey()),
        RemoveTree(root.Get(), kProgId),
        RemoveTree(root.Get(), kIndependentProgId),
        UnregisterOwnTypeLibrary(ModulePath()),
    };
    for (HRESULT step : steps) {
        if (FAILED(step)) return step;
    }
    return S_OK;
}

}  // namespace registration
