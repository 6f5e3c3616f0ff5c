// Which monitor a window rectangle lies on. MonitorChoice is the EnumDisplayMonitors callback;
// its record is passed through the callback's data argument and must outlive the enumeration.
#pragma once

#include <windows.h>

namespace WinLayer {

struct MonitorChoiceRecord {
    RECT result{};           // in: the rectangle to keep when no monitor is better; out: the chosen monitor
    RECT window{};           // the window rectangle, in screen coordinates
    bool takeFirst = false;  // stop at the first monitor that overlaps the window
    bool found = false;      // out: some monitor overlaps the window with positive area
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

}  // namespace WinLayer
