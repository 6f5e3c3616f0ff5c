// WinTMenuExecution: the hook that builds, updates and executes a view's system menu. The menu
// belongs to the view's window; the hook borrows the view, which must outlive it.
#pragma once

#include <windows.h>

#include "WinLayer/WinViewHook.h"

namespace WinLayer {

// It must be added before the view's window is created, since the menu is built at WM_CREATE.
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
