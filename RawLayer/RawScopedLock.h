// RawScopedLock: holds one critical section for the length of a scope. It borrows the section,
// which must outlive it; whoever owns the section initialises and deletes it.
// RawScopedSpinLock: the same for a spin lock, a LONG that is 0 when free. For locks held a few
// instructions, as around a share count: taking and giving it back are one interlocked
// operation each, where a critical section or a slim lock costs calls into the system (and a
// critical section a setup, a teardown and, under some systems, a debug record per lock).
#pragma once

#include <windows.h>

namespace RawLayer {

class RawScopedLock {
public:
    explicit RawScopedLock(CRITICAL_SECTION& section) : section_(section) { EnterCriticalSection(&section_); }
    ~RawScopedLock() { LeaveCriticalSection(&section_); }
    RawScopedLock(const RawScopedLock&) = delete;
    RawScopedLock& operator=(const RawScopedLock&) = delete;

private:
    CRITICAL_SECTION& section_;
};

class RawScopedSpinLock {
public:
    explicit RawScopedSpinLock(volatile LONG& lock) : lock_(lock) {
        for (int spins = 0; InterlockedCompareExchange(&lock_, 1, 0) != 0; ++spins) {
            // A holder that lost its processor gets it back sooner when this thread gives way.
            if (spins < 64) {
                YieldProcessor();
            } else {
                SwitchToThread();
            }
        }
    }
    ~RawScopedSpinLock() { InterlockedExchange(&lock_, 0); }
    RawScopedSpinLock(const RawScopedSpinLock&) = delete;
    RawScopedSpinLock& operator=(const RawScopedSpinLock&) = delete;

private:
    volatile LONG& lock_;
};

}  // namespace RawLayer
