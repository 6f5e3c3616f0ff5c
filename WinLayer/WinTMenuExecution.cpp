#include "WinLayer/WinTMenuExecution.h"

#include "WinLayer/WinView.h"

namespace WinLayer {

WinTMenuExecution::WinTMenuExecution(WinView& view) : WinViewHook(view), view_(&view), systemMenu_(nullptr) {}

LRESULT WinTMenuExecution::HookMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_CREATE:
            if (view_->Property().style & WS_SYSMENU) {
                systemMenu_ = GetSystemMenu(view_->Window(), FALSE);
                BuildMenu(systemMenu_);
            }
            break;
        case WM_SYSCOMMAND:
            ExecuteCommand(wParam);
            break;
        case WM_INITMENUPOPUP:
            if (systemMenu_ && reinterpret_cast<HMENU>(wParam) == systemMenu_) UpdateMenu(systemMenu_);
            break;
        default:
            break;
    }
    return NotHandled;
}

}  // namespace WinLayer
