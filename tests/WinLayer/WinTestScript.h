// Runs test steps, one per tick of a thread timer, inside whichever message loop is running: a
// step may open a modal dialog, and the next steps then run inside its loop. A loop that does not
// end after the last step is a failure and is ended.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

namespace WinLayerTest {

class Script {
public:
    static constexpr UINT kTickMilliseconds = 20;
    static constexpr int kIdleTicksAllowed = 250;

    explicit Script(std::vector<std::function<void()>> steps) : steps_(std::move(steps)) {
        active_ = this;
        timer_ = SetTimer(nullptr, 0, kTickMilliseconds, &Script::Tick);
    }
    ~Script() {
        KillTimer(nullptr, timer_);
        active_ = nullptr;
    }
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;
    bool Finished() const { return next_ == steps_.size(); }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        Script* script = active_;
        if (!script) return;
        if (script->next_ < script->steps_.size()) {
            script->steps_[script->next_++]();
        } else if (++script->idleTicks_ > kIdleTicksAllowed) {
            ADD_FAILURE() << "a message loop did not end";
            PostQuitMessage(0);
        }
    }

    static inline Script* active_ = nullptr;
    std::vector<std::function<void()>> steps_;
    size_t next_ = 0;
    int idleTicks_ = 0;
    UINT_PTR timer_ = 0;
};

}  // namespace WinLayerTest
