// The one exception that travels through the plug-in: a COM failure raised by the XML layer
// (and by string hand-over). CMain catches it and returns its HRESULT.
#pragma once

#include <windows.h>

class ComError {
public:
    explicit ComError(HRESULT hr) : m_hr(hr) {}
    HRESULT Error() const { return m_hr; }

private:
    HRESULT m_hr;
};

// Raises ComError for a failed HRESULT.
inline void ThrowIfFailed(HRESULT hr) {
    if (FAILED(hr)) throw ComError(hr);
}
