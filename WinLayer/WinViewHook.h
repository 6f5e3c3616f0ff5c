// Hooks: objects that see a view's messages after the view's own handler. A hook adds itself
// to its view's hook list and removes itself when destroyed; the view never deletes it. The
// view must outlive the hook, and the hook must stay alive while the view's window can receive
// messages.
#pragma once

#include <windows.h>

namespace WinLayer {

class WinView;

class WinViewHook {
public:
    virtual ~WinViewHook();
    WinViewHook(const WinViewHook&) = delete;
    WinViewHook& operator=(const WinViewHook&) = delete;

    // NotHandled lets the view's result stand; any other value replaces it.
    virtual LRESULT HookMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

protected:
    WinViewHook() = default;
    // Appends this hook at the end of view's hook list.
    explicit WinViewHook(WinView& view);

private:
    WinView* hooked_ = nullptr;  // the view whose list holds this hook, borrowed; null: none
};

}  // namespace WinLayer
