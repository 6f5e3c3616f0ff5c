#include "RawLayer/RawWorkerThread.h"

namespace RawLayer {

bool RawWorkerThread::Start(void (*work)(void* context), void* context) {
    if (Started() || !work) return false;
    launch_ = Launch{work, context};
    handle_.Reset(CreateThread(nullptr, 0, &RawWorkerThread::Entry, &launch_, 0, nullptr));
    return Started();
}

void RawWorkerThread::Join() {
    if (!Started()) return;
    WaitForSingleObject(handle_.Get(), INFINITE);
    handle_.Reset();
}

DWORD WINAPI RawWorkerThread::Entry(LPVOID launch) {
    const Launch& run = *static_cast<const Launch*>(launch);
    run.work(run.context);
    return 0;
}

}  // namespace RawLayer
