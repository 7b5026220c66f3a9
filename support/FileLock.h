// A lock that every process of the user's session takes before it changes one file: a named
// mutex whose name is derived from the file's full path, case-folded, so that every spelling
// of the path (relative, `..`, other letter case) meets the same lock.
#pragma once

#include "support/Raii.h"

#include <windows.h>

#include <string>

class FileLock {
public:
    FileLock() = default;
    ~FileLock() { Release(); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Waits up to timeoutMs for the lock of the file at path. 0 when held (also when its last
    // holder ended without releasing it: the file it guards is then as that holder left it);
    // ERROR_TIMEOUT when another holder kept it all that time; or the error of making the
    // mutex. A thread that holds the lock may take it again; each Acquire has its own Release.
    [[nodiscard]] DWORD Acquire(const std::wstring& path, DWORD timeoutMs);
    void Release();
    bool IsHeld() const { return m_held; }

    // The kernel object name of the lock for path (exposed for tests).
    static std::wstring NameFor(const std::wstring& path);

private:
    raii::UniqueHandle m_mutex;
    bool m_held = false;
};
