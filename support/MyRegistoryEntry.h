// One registry string read. The key opened by the last read stays held until the next read
// or until the object is destroyed.
#pragma once

#include "support/Raii.h"

#include <string>

class MyRegistoryEntry {
public:
    MyRegistoryEntry() = default;
    virtual ~MyRegistoryEntry() = default;

    // Reads a string value (type neither checked nor converted). Returns 0 or the system
    // error code of the failed step; text is only changed on success.
    [[nodiscard]] LSTATUS ReadString(std::wstring& text, HKEY root, const wchar_t* valueName,
                                     const wchar_t* subKey);

private:
    HKEY m_root = nullptr;
    raii::UniqueKey m_key;
};

// Reads a plain string value under HKEY_LOCAL_MACHINE into buffer (size in bytes, in and out).
// 0 on success; the open error; 3 when the key did not exist (it is left behind, empty); the
// query's error (234 when the buffer is too small); -1 when the value is not REG_SZ.
// On success the buffer always holds a terminated string.
[[nodiscard]] LSTATUS ReadLocalMachineString(const wchar_t* subKey, const wchar_t* valueName, wchar_t* buffer,
                                             DWORD* size);
