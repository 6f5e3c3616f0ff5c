// Helpers for window tests: a recording view, message pumping and a DC holder.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "WinLayer/WinView.h"

namespace WinLayerTest {

// Runs every queued message of this thread through its window procedure.
inline void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

struct Notice {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A view that records what reaches it and answers with a set result.
class RecordingView : public WinLayer::WinView {
public:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (log) log->push_back("view");
        received.push_back({message, wParam, lParam});
        LRESULT base = WinView::HandleMessage(message, wParam, lParam);
        return answer == WinLayer::NotHandled ? base : answer;
    }
    LRESULT OnChildNotify(WinView* child, int code) override {
        notifications.push_back({child, code});
        return 0;
    }
    bool Received(UINT message, WPARAM wParam, LPARAM lParam) const {
        for (const Notice& notice : received) {
            if (notice.message == message && notice.wParam == wParam && notice.lParam == lParam) return true;
        }
        return false;
    }

    struct ChildNotice {
        WinView* child;
        int code;
    };
    std::vector<std::string>* log = nullptr;
    LRESULT answer = WinLayer::NotHandled;
    std::vector<Notice> received;
    std::vector<ChildNotice> notifications;
};

class ScreenDC {
public:
    ScreenDC() : dc_(GetDC(nullptr)) {}
    ~ScreenDC() { ReleaseDC(nullptr, dc_); }
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

}  // namespace WinLayerTest
