// The plug-in's one COM class. The host talks to it through the dual interface IPLRPlugin2;
// IMain, the module's own empty dual interface, is its primary face. Each method is a thin
// adapter: it logs the call, hands the arguments to the application object, stores the
// plug-in's result code in *pRetVal and turns a non-zero code into a failure HRESULT.
#pragma once

#include "app/PluginAppBrellix.h"
#include "host/DispatchFace.h"

#include "PLRPluginIF.h"
#include "PluginForBrellix.h"

#include <windows.h>

// Type information of the two faces: IMain from the module's own type library (registered,
// or else the one embedded in the code module), IPLRPlugin2 from the host's registered one.
HRESULT LoadMainTypeInfo(ITypeInfo** info);
HRESULT LoadPluginTypeInfo(ITypeInfo** info);

// The host's HRESULT for a plug-in result code: 0 is S_OK, a positive code c becomes
// 0x80070000 | (c & 0xFFFF), a negative code is already an HRESULT.
HRESULT HResultFromPluginResult(int code);

class CMain : public DispatchFace<IMain, LoadMainTypeInfo>, public DispatchFace<IPLRPlugin2, LoadPluginTypeInfo> {
public:
    // Creates an instance, aggregated when outer is given (then riid must be IID_IUnknown).
    static HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object);

    // IUnknown, delegated to the outer object when aggregated.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IPLRPlugin2
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE get_Title(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE get_Description(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE get_Version(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE get_Icon(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE get_ShowSettingButton(VARIANT_BOOL* pRetVal) override;
    HRESULT STDMETHODCALLTYPE get_ShowCommonSettingButton(VARIANT_BOOL* pRetVal) override;
    HRESULT STDMETHODCALLTYPE get_IsExecutable(VARIANT_BOOL* pRetVal) override;
    HRESULT STDMETHODCALLTYPE get_ShowSettingsSummary(VARIANT_BOOL* pRetVal) override;
    HRESULT STDMETHODCALLTYPE get_ShowFileNameSetting(VARIANT_BOOL* pRetVal) override;
    HRESULT STDMETHODCALLTYPE get_ShowFileTypeSetting(VARIANT_BOOL* pRetVal) override;
    HRESULT STDMETHODCALLTYPE Connect(LONG* pRetVal) override;
    HRESULT STDMETHODCALLTYPE Disconnect(LONG* pRetVal) override;
    HRESULT STDMETHODCALLTYPE SetLanguageID(unsigned short LanguageID, LONG* pRetVal) override;
    HRESULT STDMETHODCALLTYPE CreateID(GUID* newID, LONG* pRetVal) override;
    HRESULT STDMETHODCALLTYPE DeleteID(GUID id, LONG* pRetVal) override;
    HRESULT STDMETHODCALLTYPE CopyID(GUID srcid, GUID* dstid, LONG* pRetVal) override;
    HRESULT STDMETHODCALLTYPE ShowSetting(GUID id, LONG hWindow, LONG* pRetVal) override;
    HRESULT STDMETHODCALLTYPE ShowCommonSetting(LONG hWindow, LONG* pRetVal) override;
    HRESULT STDMETHODCALLTYPE IsSupportedFileType(BSTR Extention, VARIANT_BOOL* bEnable, LONG* pRetVal) override;
    HRESULT STDMETHODCALLTYPE Execute(GUID id, BSTR filelist, VARIANT_BOOL bfiledelete, LONG hWindow,
                                      LONG* pRetVal) override;
    HRESULT STDMETHODCALLTYPE SettingsSummary(GUID id, BSTR* Text, LONG* pRetVal) override;
    HRESULT STDMETHODCALLTYPE Import(BSTR FolderPath, LONG* pRetVal) override;
    HRESULT STDMETHODCALLTYPE Export(BSTR FolderPath, LONG* pRetVal) override;
    HRESULT STDMETHODCALLTYPE ShowLinkButton(GUID id, VARIANT_BOOL* bShow, LONG* pRetVal) override;
    HRESULT STDMETHODCALLTYPE LinkLabel(GUID id, BSTR* Text, LONG* pRetVal) override;
    HRESULT STDMETHODCALLTYPE ClickedLinkButton(GUID id, LONG* pRetVal) override;

protected:
    explicit CMain(IUnknown* outer);
    // Serves another application object (test programs); plugin must outlive the object.
    CMain(PluginApp& plugin, IUnknown* outer);
    virtual ~CMain();

    CMain(const CMain&) = delete;
    CMain& operator=(const CMain&) = delete;

private:
    // The non-delegating IUnknown that the outer object holds when aggregated.
    class InnerUnknown : public IUnknown {
    public:
        explicit InnerUnknown(CMain& owner) : m_owner(owner) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
            return m_owner.InternalQueryInterface(riid, object);
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return m_owner.InternalAddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return m_owner.InternalRelease(); }

    private:
        CMain& m_owner;
    };

    HRESULT InternalQueryInterface(REFIID riid, void** object);
    ULONG InternalAddRef();
    ULONG InternalRelease();

    template <typename Body>
    HRESULT Frame(const wchar_t* errorLabel, Body&& body);
    HRESULT TextGetter(const wchar_t* entryLine, std::wstring (PluginApp::*getter)(), BSTR* out);
    HRESULT FlagGetter(const wchar_t* entryLine, VARIANT_BOOL (PluginApp::*getter)(), VARIANT_BOOL* out);
    HRESULT SimpleCall(const wchar_t* entryLine, const wchar_t* errorLabel, int (PluginApp::*call)(), LONG* pRetVal);

    ULONG m_refCount = 0;
    PluginAppBrellix m_plugin;
    PluginApp& m_app;  // m_plugin, or the application object a test program serves
    IUnknown* m_outer;  // the controlling object when aggregated, not referenced
    InnerUnknown m_inner;
};
