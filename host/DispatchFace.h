// IDispatch of one dual interface, served from that interface's type information: one type
// information (index 0, else DISP_E_BADINDEX), names and invocation through it. The type
// information is loaded on first use and held by the object, so nothing global outlives it.
#pragma once

#include "support/Raii.h"

#include <oaidl.h>
#include <windows.h>

// Loads the type information of one interface; S_OK or the failure.
using TypeInfoLoader = HRESULT (*)(ITypeInfo** info);

template <typename Interface, TypeInfoLoader Loader>
class DispatchFace : public Interface {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        HRESULT hr = EnsureTypeInfo();
        if (FAILED(hr)) return hr;
        m_typeInfo->AddRef();
        *info = m_typeInfo.Get();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        HRESULT hr = EnsureTypeInfo();
        if (FAILED(hr)) return hr;
        return ::DispGetIDsOfNames(m_typeInfo.Get(), names, count, ids);
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID riid, LCID, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override {
        if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        HRESULT hr = EnsureTypeInfo();
        if (FAILED(hr)) return hr;
        // The vtable that the type information describes is this face's own.
        return ::DispInvoke(static_cast<Interface*>(this), m_typeInfo.Get(), member, flags, parameters, result,
                            exception, argumentError);
    }

private:
    HRESULT EnsureTypeInfo() {
        if (m_typeInfo) return S_OK;
        return Loader(m_typeInfo.Put());
    }

    raii::ComPtr<ITypeInfo> m_typeInfo;
};
