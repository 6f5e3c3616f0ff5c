// WinDropHandle: owner of the handle that one WM_DROPFILES delivers. The drop is finished
// (DragFinish, which frees the shell's memory block) when the owner goes out of scope, on
// every path, whether or not its names were read.
#pragma once

#include <windows.h>
#include <shellapi.h>

namespace WinLayer {

class WinDropHandle {
public:
    explicit WinDropHandle(HDROP drop) : drop_(drop) {}
    ~WinDropHandle() {
        if (drop_) DragFinish(drop_);
    }
    WinDropHandle(const WinDropHandle&) = delete;
    WinDropHandle& operator=(const WinDropHandle&) = delete;
    HDROP Get() const { return drop_; }

private:
    HDROP drop_;
};

}  // namespace WinLayer
