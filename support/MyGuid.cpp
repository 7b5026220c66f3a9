#include "support/MyGuid.h"

#include <objbase.h>

#include <cstdio>

HRESULT MyGuid::Create() {
    GUID fresh{};
    HRESULT hr = ::CoCreateGuid(&fresh);
    if (SUCCEEDED(hr)) m_guid = fresh;
    return hr;
}

std::wstring MyGuid::ToString(int braces) const {
    wchar_t text[40] = {};
    std::swprintf(text, 40, L"%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X",
                  static_cast<unsigned long>(m_guid.Data1), m_guid.Data2, m_guid.Data3, m_guid.Data4[0],
                  m_guid.Data4[1], m_guid.Data4[2], m_guid.Data4[3], m_guid.Data4[4], m_guid.Data4[5],
                  m_guid.Data4[6], m_guid.Data4[7]);
    if (braces == 1) return L"{" + std::wstring(text) + L"}";
    return text;
}
