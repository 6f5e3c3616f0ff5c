#include "WinLayer/WinMonitorChoice.h"

#include <algorithm>
#include <climits>

#include "WinLayer/WinRect.h"

namespace WinLayer {

long long OverlapArea(const RECT& a, const RECT& b) {
    // 64-bit: two edges far apart (a corrupted stored rectangle) must not overflow.
    const long long width = static_cast<long long>(std::min(a.right, b.right)) - std::max(a.left, b.left);
    const long long height = static_cast<long long>(std::min(a.bottom, b.bottom)) - std::max(a.top, b.top);
    return width > 0 && height > 0 ? width * height : 0;
}

BOOL CALLBACK MonitorChoice(HMONITOR monitor, HDC, LPRECT monitorRect, LPARAM data) {
    MonitorChoiceRecord& record = *reinterpret_cast<MonitorChoiceRecord*>(data);
    // Positive area, not just crossing edges: an inverted window rectangle lies on no monitor.
    const long long overlap = OverlapArea(*monitorRect, record.window);
    if (overlap == 0) return TRUE;
    record.found = true;
    if (record.takeFirst) {
        record.result = *monitorRect;
        record.monitor = monitor;
        return FALSE;
    }
    if (OverlapArea(record.window, record.result) < overlap) {
        record.result = *monitorRect;
        record.monitor = monitor;
    }
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

namespace WinLayer {

bool WorkAreaUnder(const RECT& window, RECT* work) {
    MonitorChoiceRecord record = {};
    record.window = window;
    ChooseMonitor(record);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!record.found || !GetMonitorInfoW(record.monitor, &info)) return false;
    *work = info.rcWork;
    return true;
}

RECT PrimaryWorkArea() {
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);  // left empty when it fails
    return work;
}

RECT CentredOnPrimaryWorkArea(SIZE size) { return CentredIn(PrimaryWorkArea(), size); }

void MoveToPrimaryWorkArea(HWND window) {
    if (IsIconic(window) || IsZoomed(window)) ShowWindow(window, SW_RESTORE);
    const RECT work = PrimaryWorkArea();
    RECT rect = {};
    GetWindowRect(window, &rect);
    const RECT centred = CentredIn(work, SizeOf(rect));
    MoveWindow(window, std::max(centred.left, work.left), std::max(centred.top, work.top), Width(rect), Height(rect),
               TRUE);
}

namespace {

LONG Clamped(int64_t value) {
    return static_cast<LONG>(std::max<int64_t>(LONG_MIN, std::min<int64_t>(LONG_MAX, value)));
}

}  // namespace

// In 64 bits: the edges may come from a profile, the sizes from a layout.
RECT KeepReachable(const RECT& rect, const RECT& work, int32_t visible) {
    const int64_t width = std::max<int64_t>(0, int64_t{rect.right} - rect.left);
    const int64_t height = std::max<int64_t>(0, int64_t{rect.bottom} - rect.top);
    const int64_t shownWidth = std::min<int64_t>(visible, width);
    const int64_t shownHeight = std::min<int64_t>(visible, height);
    const int64_t left =
        std::max<int64_t>(work.left - (width - shownWidth), std::min<int64_t>(rect.left, work.right - shownWidth));
    const int64_t top = std::max<int64_t>(work.top, std::min<int64_t>(rect.top, work.bottom - shownHeight));
    return {Clamped(left), Clamped(top), Clamped(left + width), Clamped(top + height)};
}

}  // namespace WinLayer
