#include "host/CMain.h"

#include "host/ServerModule.h"
#include "support/ComError.h"
#include "support/MyGuid.h"
#include "support/MyModule.h"
#include "support/OrvInfoLog.h"

#include <new>

namespace {

HRESULT TypeInfoOf(ITypeLib* library, REFIID iid, ITypeInfo** info) {
    raii::ComPtr<ITypeLib> owned = raii::ComPtr<ITypeLib>::Attach(library);
    return owned->GetTypeInfoOfGuid(iid, info);
}

// A new BSTR holding text; the host owns and frees it.
BSTR NewBstr(const std::wstring& text) {
    BSTR copy = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!copy) throw ComError(E_OUTOFMEMORY);
    return copy;
}

// The text of a BSTR argument for a "%s" field; a null BSTR prints as empty.
const wchar_t* LogText(BSTR text) { return text ? text : L""; }

std::wstring GuidText(const GUID& guid) { return MyGuid(guid).ToString(0); }

// VARIANT_BOOL printed with "%08x" or "%d" is the value sign-extended to 32 bits.
unsigned int FlagBits(VARIANT_BOOL flag) { return static_cast<unsigned int>(static_cast<int>(flag)); }

}  // namespace

HRESULT LoadMainTypeInfo(ITypeInfo** info) {
    ITypeLib* library = nullptr;
    HRESULT hr = ::LoadRegTypeLib(server_ids::LibraryId(), server_ids::kLibraryMajor, server_ids::kLibraryMinor,
                                  LOCALE_NEUTRAL, &library);
    if (FAILED(hr)) {
        std::wstring codeFile = MyModule::FileNameOf(MyModule::CodeModule());
        hr = ::LoadTypeLibEx(codeFile.c_str(), REGKIND_NONE, &library);
    }
    if (FAILED(hr)) return hr;
    return TypeInfoOf(library, IID_IMain, info);
}

HRESULT LoadPluginTypeInfo(ITypeInfo** info) {
    ITypeLib* library = nullptr;
    HRESULT hr = ::LoadRegTypeLib(server_ids::HostLibraryId(), server_ids::kHostLibraryMajor,
                                  server_ids::kHostLibraryMinor, LOCALE_NEUTRAL, &library);
    if (FAILED(hr)) return hr;
    return TypeInfoOf(library, IID_IPLRPlugin2, info);
}

HRESULT HResultFromPluginResult(int code) {
    if (code > 0) return static_cast<HRESULT>(0x80070000u | (static_cast<unsigned int>(code) & 0xFFFFu));
    return static_cast<HRESULT>(code);
}

// ---- object life -------------------------------------------------------------------------

CMain::CMain(IUnknown* outer) : CMain(m_plugin, outer) {}

CMain::CMain(PluginApp& plugin, IUnknown* outer) : m_app(plugin), m_outer(outer), m_inner(*this) {
    TheModule().Lock();
}

CMain::~CMain() { TheModule().Unlock(); }

HRESULT CMain::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer && riid != IID_IUnknown) return CLASS_E_NOAGGREGATION;
    CMain* created = nullptr;
    try {
        created = new CMain(outer);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    // Hold a reference across the query so that a refused interface frees the object.
    created->InternalAddRef();
    HRESULT hr = created->InternalQueryInterface(riid, object);
    created->InternalRelease();
    return hr;
}

HRESULT CMain::InternalQueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    IUnknown* face = nullptr;
    if (riid == IID_IUnknown) {
        face = m_outer ? static_cast<IUnknown*>(&m_inner) : static_cast<IMain*>(this);
    } else if (riid == IID_IMain) {
        face = static_cast<IMain*>(this);
    } else if (riid == IID_IDispatch || riid == IID_IPLRPlugin2) {
        // A host that asks for IDispatch gets the dispatch half of IPLRPlugin2.
        face = static_cast<IPLRPlugin2*>(this);
    } else {
        return E_NOINTERFACE;
    }
    face->AddRef();
    *object = face;
    return S_OK;
}

// Apartment-threaded: calls arrive one at a time on one thread, so the count is plain.
ULONG CMain::InternalAddRef() { return ++m_refCount; }

ULONG CMain::InternalRelease() {
    ULONG count = --m_refCount;
    if (count == 0) delete this;
    return count;
}

HRESULT CMain::QueryInterface(REFIID riid, void** object) {
    return m_outer ? m_outer->QueryInterface(riid, object) : InternalQueryInterface(riid, object);
}
ULONG CMain::AddRef() { return m_outer ? m_outer->AddRef() : InternalAddRef(); }
ULONG CMain::Release() { return m_outer ? m_outer->Release() : InternalRelease(); }

// ---- the frame of every host call -----------------------------------------------------------

// Runs body (entry line, call, *pRetVal, result line) and turns its result code into the
// HRESULT; a non-zero code is logged with errorLabel. COM errors and lack of memory raised
// inside become their HRESULT; nothing may escape into the host.
template <typename Body>
HRESULT CMain::Frame(const wchar_t* errorLabel, Body&& body) {
    HRESULT hr = S_OK;
    try {
        int code = body();
        if (code != 0) {
            hr = HResultFromPluginResult(code);
            WriteLog(log_level::kError, L"%s: error = %08X", errorLabel, static_cast<unsigned int>(hr));
        }
    } catch (const ComError& error) {
        hr = error.Error();
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    } catch (...) {
        hr = E_UNEXPECTED;
    }
    return hr;
}

HRESULT CMain::TextGetter(const wchar_t* entryLine, std::wstring (PluginApp::*getter)(), BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return Frame(L"", [&] {
        WriteLog(log_level::kHost, entryLine);
        std::wstring text = (m_app.*getter)();
        WriteLog(log_level::kHost, L"_text = %s", text.c_str());
        *out = NewBstr(text);
        return 0;
    });
}

HRESULT CMain::FlagGetter(const wchar_t* entryLine, VARIANT_BOOL (PluginApp::*getter)(), VARIANT_BOOL* out) {
    if (!out) return E_POINTER;
    return Frame(L"", [&] {
        WriteLog(log_level::kHost, entryLine);
        *out = (m_app.*getter)();
        WriteLog(log_level::kHost, L"*pRetVal = 0x%08x", FlagBits(*out));
        return 0;
    });
}

HRESULT CMain::SimpleCall(const wchar_t* entryLine, const wchar_t* errorLabel, int (PluginApp::*call)(),
                          LONG* pRetVal) {
    if (!pRetVal) return E_POINTER;
    return Frame(errorLabel, [&] {
        WriteLog(log_level::kHost, entryLine);
        int code = (m_app.*call)();
        *pRetVal = code;
        WriteLog(log_level::kHost, L"*pRetVal = 0x%08x", static_cast<unsigned int>(code));
        return code;
    });
}

// ---- IPLRPlugin2 ------------------------------------------------------------------------------

HRESULT CMain::get_Name(BSTR* pVal) { return TextGetter(L"CMain::get_Name", &PluginApp::get_Name, pVal); }
HRESULT CMain::get_Title(BSTR* pVal) { return TextGetter(L"CMain::get_Title", &PluginApp::get_Title, pVal); }
HRESULT CMain::get_Description(BSTR* pVal) {
    return TextGetter(L"CMain::get_Description", &PluginApp::get_Description, pVal);
}
HRESULT CMain::get_Version(BSTR* pVal) { return TextGetter(L"CMain::get_Version", &PluginApp::get_Version, pVal); }
HRESULT CMain::get_Icon(BSTR* pVal) { return TextGetter(L"CMain::get_Icon", &PluginApp::get_Icon, pVal); }

HRESULT CMain::get_ShowSettingButton(VARIANT_BOOL* pRetVal) {
    return FlagGetter(L"CMain::get_ShowSettingButton", &PluginApp::get_ShowSettingButton, pRetVal);
}
HRESULT CMain::get_ShowCommonSettingButton(VARIANT_BOOL* pRetVal) {
    return FlagGetter(L"CMain::get_ShowCommonSettingButton", &PluginApp::get_ShowCommonSettingButton, pRetVal);
}
HRESULT CMain::get_IsExecutable(VARIANT_BOOL* pRetVal) {
    return FlagGetter(L"CMain::get_IsExecutable", &PluginApp::get_IsExecutable, pRetVal);
}
HRESULT CMain::get_ShowSettingsSummary(VARIANT_BOOL* pRetVal) {
    return FlagGetter(L"CMain::get_ShowSettingsSummary", &PluginApp::get_ShowSettingsSummary, pRetVal);
}
HRESULT CMain::get_ShowFileNameSetting(VARIANT_BOOL* pRetVal) {
    return FlagGetter(L"CMain::get_ShowFileNameSetting", &PluginApp::get_ShowFileNameSetting, pRetVal);
}
HRESULT CMain::get_ShowFileTypeSetting(VARIANT_BOOL* pRetVal) {
    return FlagGetter(L"CMain::get_ShowFileTypeSetting", &PluginApp::get_ShowFileTypeSetting, pRetVal);
}

HRESULT CMain::Connect(LONG* pRetVal) {
    return SimpleCall(L"CMain::Connect", L"m_plugin.Connect", &PluginApp::Connect, pRetVal);
}
HRESULT CMain::Disconnect(LONG* pRetVal) {
    return SimpleCall(L"CMain::Disconnect", L"m_plugin.Disconnect", &PluginApp::Disconnect, pRetVal);
}

HRESULT CMain::SetLanguageID(unsigned short LanguageID, LONG* pRetVal) {
    if (!pRetVal) return E_POINTER;
    return Frame(L"m_plugin.SetLanguageID", [&] {
        WriteLog(log_level::kHost, L"CMain::SetLanguageID, LanguageID = %d", static_cast<int>(LanguageID));
        int code = m_app.SetLanguageID(LanguageID);
        *pRetVal = code;
        WriteLog(log_level::kHost, L"*pRetVal = 0x%08x", static_cast<unsigned int>(code));
        return code;
    });
}

HRESULT CMain::CreateID(GUID* newID, LONG* pRetVal) {
    if (!newID || !pRetVal) return E_POINTER;
    return Frame(L"m_plugin.CreateID", [&] {
        WriteLog(log_level::kHost, L"CMain::CreateID, &newID = 0x%08x", LogHex(newID));
        int code = m_app.CreateID(newID);
        *pRetVal = code;
        WriteLog(log_level::kHost, L"*pRetVal = 0x%08x, newid = %s", static_cast<unsigned int>(code),
                 GuidText(*newID).c_str());
        return code;
    });
}

HRESULT CMain::DeleteID(GUID id, LONG* pRetVal) {
    if (!pRetVal) return E_POINTER;
    return Frame(L"m_plugin.DeleteID", [&] {
        WriteLog(log_level::kHost, L"CMain::DeleteID, id = %s", GuidText(id).c_str());
        int code = m_app.DeleteID(&id);
        *pRetVal = code;
        WriteLog(log_level::kHost, L"*pRetVal = 0x%08x", static_cast<unsigned int>(code));
        return code;
    });
}

HRESULT CMain::CopyID(GUID srcid, GUID* dstid, LONG* pRetVal) {
    if (!dstid || !pRetVal) return E_POINTER;
    return Frame(L"m_plugin.CopyID", [&] {
        WriteLog(log_level::kHost, L"CMain::CopyID, &dstid = 0x%08x, srcid = %s", LogHex(dstid),
                 GuidText(srcid).c_str());
        int code = m_app.CopyID(&srcid, dstid);
        *pRetVal = code;
        WriteLog(log_level::kHost, L"*pRetVal = 0x%08x, dstid = %s", static_cast<unsigned int>(code),
                 GuidText(*dstid).c_str());
        return code;
    });
}

HRESULT CMain::ShowSetting(GUID id, LONG hWindow, LONG* pRetVal) {
    if (!pRetVal) return E_POINTER;
    return Frame(L"m_plugin.ShowSetting", [&] {
        WriteLog(log_level::kHost, L"CMain::ShowSetting, hWindow = 0x%08x, id = %s",
                 static_cast<unsigned int>(hWindow), GuidText(id).c_str());
        int code = m_app.ShowSetting(&id, hWindow);
        *pRetVal = code;
        WriteLog(log_level::kHost, L"*pRetVal = 0x%08x", static_cast<unsigned int>(code));
        return code;
    });
}

HRESULT CMain::ShowCommonSetting(LONG hWindow, LONG* pRetVal) {
    if (!pRetVal) return E_POINTER;
    return Frame(L"m_plugin.ShowCommonSetting", [&] {
        WriteLog(log_level::kHost, L"CMain::ShowCommonSetting, hWindow = 0x%08x", static_cast<unsigned int>(hWindow));
        int code = m_app.ShowCommonSetting(hWindow);
        *pRetVal = code;
        WriteLog(log_level::kHost, L"*pRetVal = 0x%08x", static_cast<unsigned int>(code));
        return code;
    });
}

HRESULT CMain::IsSupportedFileType(BSTR Extention, VARIANT_BOOL* bEnable, LONG* pRetVal) {
    if (!bEnable || !pRetVal) return E_POINTER;
    return Frame(L"m_plugin.IsSupportedFileType", [&] {
        WriteLog(log_level::kHost, L"CMain::IsSupportedFileType, Extention = %s, &bEnable = 0x%08x",
                 LogText(Extention), LogHex(bEnable));
        int code = m_app.IsSupportedFileType(&Extention, bEnable);
        *pRetVal = code;
        WriteLog(log_level::kHost, L"*pRetVal = 0x%08x, bEnable = 0x%08x", static_cast<unsigned int>(code),
                 FlagBits(*bEnable));
        return code;
    });
}

HRESULT CMain::Execute(GUID id, BSTR filelist, VARIANT_BOOL bfiledelete, LONG hWindow, LONG* pRetVal) {
    if (!pRetVal) return E_POINTER;
    return Frame(L"m_plugin.Execute", [&] {
        WriteLog(log_level::kHost, L"CMain::Execute, filelist = %s, bfiledelete = 0x%08x, hWindow = 0x%08x",
                 LogText(filelist), FlagBits(bfiledelete), static_cast<unsigned int>(hWindow));
        int code = m_app.Execute(&id, &filelist, bfiledelete, hWindow);
        *pRetVal = code;
        WriteLog(log_level::kHost, L"*pRetVal = 0x%08x", static_cast<unsigned int>(code));
        return code;
    });
}

HRESULT CMain::SettingsSummary(GUID id, BSTR* Text, LONG* pRetVal) {
    if (!Text || !pRetVal) return E_POINTER;
    *Text = nullptr;
    return Frame(L"m_plugin.SettingSummary", [&] {
        WriteLog(log_level::kHost, L"CMain::SettingsSummary, id = %s, &Text = 0x%08x", GuidText(id).c_str(),
                 LogHex(Text));
        std::wstring text;
        int code = m_app.SettingSummary(&id, text);
        *pRetVal = code;
        WriteLog(log_level::kHost, L"*pRetVal = %08x, _text = %s", static_cast<unsigned int>(code), text.c_str());
        *Text = NewBstr(text);  // handed over before the result is tested: the host always gets a string
        return code;
    });
}

HRESULT CMain::Import(BSTR FolderPath, LONG* pRetVal) {
    if (!pRetVal) return E_POINTER;
    return Frame(L"m_plugin.Import", [&] {
        WriteLog(log_level::kHost, L"CMain::Import, FolderPath = %s", LogText(FolderPath));
        int code = m_app.Import(FolderPath);
        *pRetVal = code;
        WriteLog(log_level::kHost, L"*pRetVal = 0x%08x", static_cast<unsigned int>(code));
        return code;
    });
}

HRESULT CMain::Export(BSTR FolderPath, LONG* pRetVal) {
    if (!pRetVal) return E_POINTER;
    return Frame(L"m_plugin.Export", [&] {
        WriteLog(log_level::kHost, L"CMain::Export, FolderPath = %s", LogText(FolderPath));
        int code = m_app.Export(FolderPath);
        *pRetVal = code;
        WriteLog(log_level::kHost, L"*pRetVal = 0x%08x", static_cast<unsigned int>(code));
        return code;
    });
}

HRESULT CMain::ShowLinkButton(GUID id, VARIANT_BOOL* bShow, LONG* pRetVal) {
    if (!bShow || !pRetVal) return E_POINTER;
    return Frame(L"m_plugin.ShowLinkButton", [&] {
        WriteLog(log_level::kHost, L"CMain::ShowLinkButton, id = %s", GuidText(id).c_str());
        int code = m_app.ShowLinkButton(&id, bShow);
        *pRetVal = code;
        WriteLog(log_level::kHost, L"*pRetVal = 0x%08x, bShow = %d", static_cast<unsigned int>(code),
                 static_cast<int>(*bShow));
        return code;
    });
}

HRESULT CMain::LinkLabel(GUID id, BSTR* Text, LONG* pRetVal) {
    if (!Text || !pRetVal) return E_POINTER;
    *Text = nullptr;
    return Frame(L"m_plugin.LinkLabel", [&] {
        WriteLog(log_level::kHost, L"CMain::LinkLabel, id = %s, Text = 0x%08x", GuidText(id).c_str(), LogHex(Text));
        std::wstring text;
        int code = m_app.LinkLabel(&id, text);
        *pRetVal = code;
        WriteLog(log_level::kHost, L"*pRetVal = 0x%08x, _text = %s", static_cast<unsigned int>(code), text.c_str());
        *Text = NewBstr(text);  // handed over before the result is tested: the host always gets a string
        return code;
    });
}

HRESULT CMain::ClickedLinkButton(GUID id, LONG* pRetVal) {
    if (!pRetVal) return E_POINTER;
    return Frame(L"m_plugin.ClickedLinkButton", [&] {
        WriteLog(log_level::kHost, L"CMain::ClickedLinkButton, id = %s", GuidText(id).c_str());
        int code = m_app.ClickedLinkButton(&id);
        *pRetVal = code;
        WriteLog(log_level::kHost, L"*pRetVal = 0x%08x", static_cast<unsigned int>(code));
        return code;
    });
}
