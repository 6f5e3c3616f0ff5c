// A stand-in for a dialog in control tests: a top-level window whose view routes WM_COMMAND and
// WM_DRAWITEM to its children as a dialog does, and records what its children tell it.
#pragma once

#include <windows.h>

#include <vector>

#include "WinLayer/WinView.h"
#include "WinLayer/WinViewList.h"
#include "WinPixelSupport.h"

namespace WinLayerTest {

class ControlHost : public WinLayer::WinView {
public:
    struct ChildNotice {
        WinView* child;
        int code;
    };
    struct Navigation {
        WPARAM sender;
        LPARAM backwards;
    };

    ControlHost() {
        static const ATOM registered = [] {
            WNDCLASSEXW record = {};
            record.cbSize = sizeof(record);
            record.style = CS_DBLCLKS;
            record.lpfnWndProc = DefWindowProcW;
            record.hInstance = GetModuleHandleW(nullptr);
            record.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
            record.lpszClassName = L"KairodexControlHost";
            return RegisterClassExW(&record);
        }();
        (void)registered;
        Property().className = "KairodexControlHost";
        Property().kind = WinLayer::kViewSubclassed;
        Property().style = WS_POPUP;  // hidden: showing a window under Wine waits for the X server
        viewRect = {0, 0, 400, 200};
        Create(nullptr);
    }
    ~ControlHost() override {
        if (Window()) DestroyWindow(Window());
    }

    // Numbers the child, then creates its window at rect.
    HWND Add(WinView& child, RECT rect) {
        children.Add(&child);
        child.viewRect = rect;
        return child.Create(this);
    }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
            case WM_COMMAND: {
                WinView* child = children.FindByIdentifier(LOWORD(wParam));
                return child ? child->OnCommand(HIWORD(wParam)) : OnCommand(HIWORD(wParam));
            }
            case WM_DRAWITEM: {
                WinView* child = children.FindByIdentifier(static_cast<int32_t>(wParam));
                if (child) child->HandleMessage(message, wParam, lParam);
                return 1;
            }
            case WinLayer::TabNavigate:
                navigations.push_back({wParam, lParam});
                return 0;
            default:
                return WinView::HandleMessage(message, wParam, lParam);
        }
    }
    LRESULT OnChildNotify(WinView* child, int code) override {
        notices.push_back({child, code});
        return 0;
    }
    int CountNotices(int code) const {
        int count = 0;
        for (const ChildNotice& notice : notices) count += notice.code == code ? 1 : 0;
        return count;
    }

    WinLayer::WinViewList children{2500};
    std::vector<ChildNotice> notices;
    std::vector<Navigation> navigations;
};

// Draws a control as its dialog would ask it to: WM_DRAWITEM into the canvas, item rectangle
// the whole canvas.
inline void DrawInto(WinLayer::WinView& control, UINT itemState, PixelCanvas& canvas) {
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_BUTTON;
    item.CtlID = static_cast<UINT>(control.Property().identifier);
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = itemState;
    item.hwndItem = control.Window();
    item.hDC = canvas.Get();
    item.rcItem = {0, 0, canvas.Width(), canvas.Height()};
    control.HandleMessage(WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
}

}  // namespace WinLayerTest
