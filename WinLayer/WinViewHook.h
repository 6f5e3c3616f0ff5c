// Hooks: objects that see a view's messages after the view's own handler. A hook adds itself
// to its view's hook list; the view never deletes it, and the hook must stay alive while the
// view's window can receive messages.
#pragma once

#include <windows.h>

namespace WinLayer {

class WinView;

class WinViewHook {
public:
    virtual ~WinViewHook() = default;
    WinViewHook(const WinViewHook&) = delete;
    WinViewHook& operator=(const WinViewHook&) = delete;

    // NotHandled lets the view's result stand; any other value replaces it.
    virtual LRESULT HookMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

protected:
    WinViewHook() = default;
    // Appends this hook at the end of view's hook list.
    explicit WinViewHook(WinView& view);
};

// Builds, updates and executes the view's system menu. It must be added before the view's
// window is created, since the menu is built at WM_CREATE.
class WinTMenuExecution : public WinViewHook {
public:
    explicit WinTMenuExecution(WinView& view);

    // Always NotHandled.
    LRESULT HookMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    virtual void BuildMenu(HMENU& systemMenu) = 0;
    virtual void UpdateMenu(HMENU& systemMenu) = 0;
    virtual void ExecuteCommand(WPARAM command) = 0;

    WinView& View() const { return *view_; }
    HMENU SystemMenu() const { return systemMenu_; }

private:
    WinView* view_;     // the served view, borrowed
    HMENU systemMenu_;  // owned by the window; null until built
};

}  // namespace WinLayer
