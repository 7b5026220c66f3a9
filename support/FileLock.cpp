#include "support/FileLock.h"

#include "support/MyPath.h"

#include <cstdint>
#include <cstdio>

std::wstring FileLock::NameFor(const std::wstring& path) {
    std::wstring full = path_text::FullPath(path);
    if (full.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        full = L"\\\\" + full.substr(8);
    } else if (full.rfind(L"\\\\?\\", 0) == 0) {
        full = full.substr(4);
    }
    // Folded the way the file system compares names: invariant upper case.
    std::wstring folded = full;
    if (!folded.empty()) {
        int length = ::LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, full.c_str(), static_cast<int>(full.size()),
                                    &folded[0], static_cast<int>(folded.size()));
        if (length != static_cast<int>(full.size())) folded = full;
    }
    // A path can be longer than a kernel object name may be and holds backslashes, which a
    // name may not: the name carries a 64-bit FNV-1a hash of the folded path instead.
    uint64_t hash = 0xcbf29ce484222325ull;
    for (wchar_t unit : folded) {
        for (int shift = 0; shift < 16; shift += 8) {
            hash ^= (static_cast<uint32_t>(unit) >> shift) & 0xFFu;
            hash *= 0x100000001b3ull;
        }
    }
    wchar_t name[64];
    std::swprintf(name, 64, L"Local\\PluginForBrellix.FileLock.%08lx%08lx", static_cast<unsigned long>(hash >> 32),
                  static_cast<unsigned long>(hash & 0xFFFFFFFFu));
    return name;
}

DWORD FileLock::Acquire(const std::wstring& path, DWORD timeoutMs) {
    Release();
    m_mutex.Reset(::CreateMutexW(nullptr, FALSE, NameFor(path).c_str()));
    if (!m_mutex) return ::GetLastError();
    DWORD waited = ::WaitForSingleObject(m_mutex.Get(), timeoutMs);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
        m_held = true;
        return 0;
    }
    DWORD error = waited == WAIT_TIMEOUT ? ERROR_TIMEOUT : ::GetLastError();
    m_mutex.Reset();
    return error;
}

void FileLock::Release() {
    if (m_held) ::ReleaseMutex(m_mutex.Get());
    m_held = false;
    m_mutex.Reset();
}
