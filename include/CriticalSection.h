// A recursive lock (Win32 critical section) and its scope guard.
#pragma once

#include <windows.h>

namespace fx
{

class CCriticalSection
{
  public:
    CCriticalSection() noexcept { ::InitializeCriticalSection(&m_cs); }
    ~CCriticalSection() { ::DeleteCriticalSection(&m_cs); }
    CCriticalSection(const CCriticalSection &) = delete;
    CCriticalSection &operator=(const CCriticalSection &) = delete;

    void Lock() noexcept { ::EnterCriticalSection(&m_cs); }
    void Unlock() noexcept { ::LeaveCriticalSection(&m_cs); }
    // Enters only when no other thread holds the lock; never waits.
    bool TryLock() noexcept { return ::TryEnterCriticalSection(&m_cs) != FALSE; }
    // For the system's condition variables (SleepConditionVariableCS).
    CRITICAL_SECTION *Native() noexcept { return &m_cs; }

  private:
    CRITICAL_SECTION m_cs;
};

// Enters a lock for a scope. A null lock is allowed and does nothing, for
// code that may run before a module's lock exists or after it is gone.
class CSingleLock
{
  public:
    explicit CSingleLock(CCriticalSection *lock) noexcept : m_lock(lock)
    {
        if (m_lock) m_lock->Lock();
    }
    ~CSingleLock()
    {
        if (m_lock) m_lock->Unlock();
    }
    CSingleLock(const CSingleLock &) = delete;
    CSingleLock &operator=(const CSingleLock &) = delete;

  private:
    CCriticalSection *m_lock;
};

} // namespace fx
