// RawWorkerThread: one thread running one function, and its handle. The owner joins it: the
// destructor waits for the thread, so nothing it borrows can go before it has stopped.
#pragma once

#include "RawLayer/RawHandleOwner.h"

namespace RawLayer {

class RawWorkerThread {
public:
    RawWorkerThread() = default;
    ~RawWorkerThread() { Join(); }
    RawWorkerThread(const RawWorkerThread&) = delete;
    RawWorkerThread& operator=(const RawWorkerThread&) = delete;

    // Runs work(context) on a new thread; context must outlive it. False when a thread is
    // held already or none could be made.
    bool Start(void (*work)(void* context), void* context);
    // True from a successful Start until Join.
    bool Started() const { return handle_.IsValid(); }
    // Waits for the thread to end and lets its handle go; nothing without a thread.
    void Join();

private:
    struct Launch {
        void (*work)(void*);
        void* context;
    };
    static DWORD WINAPI Entry(LPVOID launch);

    Launch launch_ = {};
    KernelHandle handle_;
};

}  // namespace RawLayer
