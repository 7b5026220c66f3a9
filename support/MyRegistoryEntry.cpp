#include "support/MyRegistoryEntry.h"

#include <vector>

LSTATUS MyRegistoryEntry::ReadString(std::wstring& text, HKEY root, const wchar_t* valueName,
                                     const wchar_t* subKey) {
    m_key.Reset();
    m_root = root;
    if (subKey) {
        LSTATUS status = ::RegOpenKeyExW(root, subKey, 0, KEY_READ, m_key.Put());
        if (status != ERROR_SUCCESS) return status;
    }
    HKEY key = subKey ? m_key.Get() : root;

    DWORD size = 0;
    LSTATUS status = ::RegQueryValueExW(key, valueName, nullptr, nullptr, nullptr, &size);
    if (status != ERROR_SUCCESS) return status;

    // One spare character so that a value stored without its terminator still ends.
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
    DWORD bytes = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
    status = ::RegQueryValueExW(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &bytes);
    if (status == ERROR_SUCCESS) text = buffer.data();
    return status;
}

LSTATUS ReadLocalMachineString(const wchar_t* subKey, const wchar_t* valueName, wchar_t* buffer, DWORD* size) {
    raii::UniqueKey key;
    DWORD disposition = 0;
    LSTATUS status = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, subKey, 0, nullptr, 0, KEY_READ, nullptr, key.Put(),
                                       &disposition);
    if (status != ERROR_SUCCESS) return status;
    if (disposition == REG_CREATED_NEW_KEY) return ERROR_PATH_NOT_FOUND;

    DWORD type = 0;
    DWORD capacity = *size;
    status = ::RegQueryValueExW(key.Get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), size);
    if (status != ERROR_SUCCESS) return status;
    if (type != REG_SZ) return -1;
    // The registry does not promise a terminator; a value that fills the buffer without one
    // is reported as too long rather than read past its end.
    DWORD chars = *size / sizeof(wchar_t);
    if (chars > 0 && buffer[chars - 1] == L'\0') return ERROR_SUCCESS;
    if ((chars + 1) * sizeof(wchar_t) > capacity) return ERROR_MORE_DATA;
    buffer[chars] = L'\0';
    return ERROR_SUCCESS;
}
