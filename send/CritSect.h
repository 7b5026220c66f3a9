// A platform critical section and a scoped holder for it.
#pragma once

#include <windows.h>

class CCritSect {
public:
    CCritSect() { ::InitializeCriticalSection(&m_section); }
    virtual ~CCritSect() { ::DeleteCriticalSection(&m_section); }
    CCritSect(const CCritSect&) = delete;
    CCritSect& operator=(const CCritSect&) = delete;

    void Enter() { ::EnterCriticalSection(&m_section); }
    void Leave() { ::LeaveCriticalSection(&m_section); }

private:
    CRITICAL_SECTION m_section;
};

class CritSectLock {
public:
    explicit CritSectLock(CCritSect& section) : m_section(section) { m_section.Enter(); }
    ~CritSectLock() { m_section.Leave(); }
    CritSectLock(const CritSectLock&) = delete;
    CritSectLock& operator=(const CritSectLock&) = delete;

private:
    CCritSect& m_section;
};
