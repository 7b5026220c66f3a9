// A job ID: a binary GUID with one text form. Text is never parsed back into a GUID.
#pragma once

#include <windows.h>

#include <string>

class MyGuid {
public:
    MyGuid() : m_guid(GUID{}) {}
    explicit MyGuid(const GUID& guid) : m_guid(guid) {}
    virtual ~MyGuid() = default;

    // Fills the value with a new random GUID; 0 or the platform's status.
    [[nodiscard]] HRESULT Create();
    const GUID& GetGuid() const { return m_guid; }
    // Upper-case 8-4-4-4-12 form; enclosed in braces when braces == 1.
    std::wstring ToString(int braces) const;

private:
    GUID m_guid;
};
