#include "WinLayer/WinMonitorChoice.h"

#include <algorithm>

namespace WinLayer {

long long OverlapArea(const RECT& a, const RECT& b) {
    // 64-bit: two edges far apart (a corrupted stored rectangle) must not overflow.
    const long long width = static_cast<long long>(std::min(a.right, b.right)) - std::max(a.left, b.left);
    const long long height = static_cast<long long>(std::min(a.bottom, b.bottom)) - std::max(a.top, b.top);
    return width > 0 && height > 0 ? width * height : 0;
}

BOOL CALLBACK MonitorChoice(HMONITOR, HDC, LPRECT monitorRect, LPARAM data) {
    MonitorChoiceRecord& record = *reinterpret_cast<MonitorChoiceRecord*>(data);
    // Positive area, not just crossing edges: an inverted window rectangle lies on no monitor.
    const long long overlap = OverlapArea(*monitorRect, record.window);
    if (overlap == 0) return TRUE;
    record.found = true;
    if (record.takeFirst) {
        record.result = *monitorRect;
        return FALSE;
    }
    if (OverlapArea(record.window, record.result) < overlap) record.result = *monitorRect;
    return TRUE;
}

void ChooseMonitor(MonitorChoiceRecord& record) {
    record.found = false;
    EnumDisplayMonitors(nullptr, nullptr, MonitorChoice, reinterpret_cast<LPARAM>(&record));
}

bool LiesOnAnyMonitor(const RECT& window) {
    MonitorChoiceRecord record = {};
    record.window = window;
    record.takeFirst = true;
    ChooseMonitor(record);
    return record.found;
}

}  // namespace WinLayer
