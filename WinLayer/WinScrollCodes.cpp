#include "WinLayer/WinScrollCodes.h"

namespace WinLayer {

int32_t TrackPosition(HWND window, int bar) {
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_TRACKPOS;
    return window && GetScrollInfo(window, bar, &info) ? info.nTrackPos : 0;
}

int32_t ScrollTarget(HWND window, int bar, int code, int32_t current, int32_t content, int32_t visible, int32_t step) {
    switch (code) {
        case SB_LINEUP:
            return current - step;
        case SB_LINEDOWN:
            return current + step;
        case SB_PAGEUP:
            return current - visible / 2;
        case SB_PAGEDOWN:
            return current + visible / 2;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK:
            return TrackPosition(window, bar);
        case SB_TOP:
            return 0;
        case SB_BOTTOM:
            return content - visible;
        default:
            return current;
    }
}

}  // namespace WinLayer
