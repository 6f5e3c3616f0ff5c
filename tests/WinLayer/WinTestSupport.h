// Helpers for window tests: a recording view, message pumping, the foreground and the focus as
// preconditions, and a DC holder.
#pragma once

#include <gtest/gtest.h>
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

// Who a window is, for a failure message: class, text and the process it belongs to.
inline std::string Describe(HWND window) {
    if (!window) return "no window";
    char className[64] = {};
    char text[64] = {};
    GetClassNameA(window, className, sizeof(className));
    GetWindowTextA(window, text, sizeof(text));
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    std::string who = std::string("\"") + className + "\" \"" + text + "\"";
    return process == GetCurrentProcessId() ? who : who + " of process " + std::to_string(process);
}

// Makes window the foreground and the active window of this thread, the precondition of every
// test of focus or activation; the failure names the window that holds the foreground instead.
inline ::testing::AssertionResult InFront(HWND window) {
    for (int tries = 0; tries < 50 && (GetForegroundWindow() != window || GetActiveWindow() != window); ++tries) {
        HWND front = GetForegroundWindow();
        const DWORD frontThread = front ? GetWindowThreadProcessId(front, nullptr) : 0;
        const DWORD ownThread = GetCurrentThreadId();
        // Joined to the foreground thread's input, the system lets this thread take the front.
        const bool attached =
            frontThread && frontThread != ownThread && AttachThreadInput(ownThread, frontThread, TRUE);
        SetForegroundWindow(window);
        SetActiveWindow(window);
        if (attached) AttachThreadInput(ownThread, frontThread, FALSE);
        PumpMessages();
        if (GetForegroundWindow() != window) Sleep(20);
    }
    if (GetForegroundWindow() == window && GetActiveWindow() == window) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << Describe(window) << " is not in front: the foreground is "
                                         << Describe(GetForegroundWindow()) << ", the active window "
                                         << Describe(GetActiveWindow());
}

// Whether the keyboard focus is on window (within: on window or one of its children); the
// failure names the window that holds the focus instead.
inline ::testing::AssertionResult FocusOn(HWND window, bool within = false) {
    HWND focus = GetFocus();
    if (focus == window || (within && focus && IsChild(window, focus))) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the focus is on " << Describe(focus) << ", not "
                                         << (within ? "in " : "on ") << Describe(window) << "; the foreground is "
                                         << Describe(GetForegroundWindow());
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
