// RawScopedLock: holds one critical section for the length of a scope. It borrows the section,
// which must outlive it; whoever owns the section initialises and deletes it.
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

}  // namespace RawLayer
