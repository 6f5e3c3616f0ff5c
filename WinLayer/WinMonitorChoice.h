// Which monitor a window rectangle lies on. MonitorChoice is the EnumDisplayMonitors callback;
// its record is passed through the callback's data argument and must outlive the enumeration.
#pragma once

#include <windows.h>

#include <cstdint>

namespace WinLayer {

struct MonitorChoiceRecord {
    RECT result{};               // in: the rectangle to keep when no monitor is better; out: the chosen monitor
    HMONITOR monitor = nullptr;  // out: the chosen monitor's handle
    RECT window{};               // the window rectangle, in screen coordinates
    bool takeFirst = false;      // stop at the first monitor that overlaps the window
    bool found = false;          // out: some monitor overlaps the window with positive area
};

// For each monitor overlapping the window with positive area: with takeFirst, that monitor is the
// result and the enumeration stops; otherwise the result becomes the monitor whose overlap with
// the window is largest (the earlier one on a tie). data: a MonitorChoiceRecord*.
BOOL CALLBACK MonitorChoice(HMONITOR monitor, HDC dc, LPRECT monitorRect, LPARAM data);

// Runs MonitorChoice over every display monitor; the record's found flag is the answer.
void ChooseMonitor(MonitorChoiceRecord& record);

// True when window overlaps some monitor by at least one pixel.
bool LiesOnAnyMonitor(const RECT& window);

// Area shared by two rectangles; 0 when they do not overlap or either is empty or inverted.
long long OverlapArea(const RECT& a, const RECT& b);

// The work area of the monitor that window overlaps most; false, leaving *work alone, when it
// overlaps none.
bool WorkAreaUnder(const RECT& window, RECT* work);

// The primary monitor's work area (the desktop without the task bar); empty when the platform
// gives none.
RECT PrimaryWorkArea();
// A rectangle of size centred on the primary work area.
RECT CentredOnPrimaryWorkArea(SIZE size);
// Centres window on the primary work area at its size; a window larger than the work area keeps
// its top-left corner inside it. A minimised or maximised window is restored first, so that it
// is the restored window that moves.
void MoveToPrimaryWorkArea(HWND window);

// rect moved, its size kept, so that its top edge lies in work and at least `visible` pixels of
// its width and of its height (all of a smaller side) lie inside work: the caption stays in
// reach. A rectangle larger than work keeps its top-left corner inside it.
RECT KeepReachable(const RECT& rect, const RECT& work, int32_t visible);

}  // namespace WinLayer
