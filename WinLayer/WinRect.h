// Rectangle arithmetic the views and dialogs share: sizes, margins taken off, centring.
#pragma once

#include <windows.h>

namespace WinLayer {

inline int Width(const RECT& rect) { return rect.right - rect.left; }
inline int Height(const RECT& rect) { return rect.bottom - rect.top; }
inline SIZE SizeOf(const RECT& rect) { return {Width(rect), Height(rect)}; }

// rect with margins (left, top, right, bottom) taken off the matching edges.
inline RECT Inset(const RECT& rect, const RECT& margins) {
    return {rect.left + margins.left, rect.top + margins.top, rect.right - margins.right, rect.bottom - margins.bottom};
}

// A rectangle of size with area's centre; one larger than area overhangs it on both sides.
inline RECT CentredIn(const RECT& area, SIZE size) {
    const LONG left = area.left + (Width(area) - size.cx) / 2;
    const LONG top = area.top + (Height(area) - size.cy) / 2;
    return {left, top, left + size.cx, top + size.cy};
}

// rect moved, its size kept, edge by edge (left, top, right, bottom) until that edge lies in area:
// one larger than area ends with its right and bottom edges on area's.
inline RECT ShiftedInto(RECT rect, const RECT& area) {
    if (rect.left < area.left) OffsetRect(&rect, area.left - rect.left, 0);
    if (rect.top < area.top) OffsetRect(&rect, 0, area.top - rect.top);
    if (rect.right > area.right) OffsetRect(&rect, area.right - rect.right, 0);
    if (rect.bottom > area.bottom) OffsetRect(&rect, 0, area.bottom - rect.bottom);
    return rect;
}

}  // namespace WinLayer
