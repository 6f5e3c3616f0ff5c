// RawScopedLock: holds one critical section for the length of a scope. It borrows the section,
// which must outlive it; whoever owns the section initialises and deletes it.
// RawScopedSlimLock: the same for a slim reader/writer lock, held exclusively. Bodies that lock
// only around a share count use it: it needs no setup or teardown, where a critical section is
// initialised, deleted and, under some systems, given a debug record from the heap per body.
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

class RawScopedSlimLock {
public:
    explicit RawScopedSlimLock(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~RawScopedSlimLock() { ReleaseSRWLockExclusive(&lock_); }
    RawScopedSlimLock(const RawScopedSlimLock&) = delete;
    RawScopedSlimLock& operator=(const RawScopedSlimLock&) = delete;

private:
    SRWLOCK& lock_;
};

}  // namespace RawLayer
