#include "WinLayer/WinMonitorChoice.h"

#include <gtest/gtest.h>

#include <vector>

using namespace WinLayer;

namespace {

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Feeds monitor rectangles to the callback as an enumeration would; returns how many it saw
// before it asked to stop.
size_t Enumerate(const std::vector<RECT>& monitors, MonitorChoiceRecord& record) {
    size_t seen = 0;
    for (RECT monitor : monitors) {
        ++seen;
        if (!MonitorChoice(nullptr, nullptr, &monitor, reinterpret_cast<LPARAM>(&record))) break;
    }
    return seen;
}

const RECT kUntouched = {-1, -1, -1, -1};
const std::vector<RECT> kThreeMonitors = {{0, 0, 1000, 800}, {1000, 0, 2000, 800}, {-1000, 0, 0, 800}};

}  // namespace

// The largest overlap wins, the earlier monitor on a tie; take-first stops at the first overlap;
// no overlap leaves the result alone and lets the enumeration run on.
TEST(WinMonitorChoice, ChoosesAmongMonitors) {
    const struct {
        RECT window;
        bool takeFirst;
        bool found;
        RECT result;
        size_t seen;
    } cases[] = {
        {{900, 100, 1300, 300}, false, true, kThreeMonitors[1], 3},  // 100 against 300 wide
        {{900, 100, 1100, 300}, false, true, kThreeMonitors[0], 3},  // a tie keeps the first
        {{900, 100, 1300, 300}, true, true, kThreeMonitors[0], 1},
        {{-50, 100, 10, 300}, true, true, kThreeMonitors[0], 1},
        {{-50, 100, 0, 300}, true, true, kThreeMonitors[2], 3},
        {{0, 800, 500, 900}, false, false, kUntouched, 3},  // touching an edge is no overlap
        {{2000, 0, 2100, 800}, true, false, kUntouched, 3},
        {{500, 300, 100, 700}, true, false, kUntouched, 3},   // inverted: no area on any monitor
        {{100, 100, 100, 700}, false, false, kUntouched, 3},  // empty
    };
    for (const auto& item : cases) {
        MonitorChoiceRecord record;
        record.result = kUntouched;
        record.window = item.window;
        record.takeFirst = item.takeFirst;
        EXPECT_EQ(Enumerate(kThreeMonitors, record), item.seen) << item.window.left << "," << item.window.right;
        EXPECT_EQ(record.found, item.found) << item.window.left << "," << item.window.right;
        EXPECT_TRUE(SameRect(record.result, item.result)) << item.window.left << "," << item.window.right;
    }
}

// The real display (one screen under the test's X server): one shared pixel at any corner keeps a
// rectangle on it; a rectangle wholly beside it is on no monitor.
TEST(WinMonitorChoice, TellsWhetherARectangleLiesOnTheScreen) {
    const LONG width = GetSystemMetrics(SM_CXSCREEN);
    const LONG height = GetSystemMetrics(SM_CYSCREEN);
    ASSERT_GT(width, 0);
    const RECT onScreen[] = {{-400, -300, 1, 1},
                             {width - 1, height - 1, width + 400, height + 300},
                             {-400, height - 1, 1, height + 300},
                             {100, 100, 500, 400}};
    for (const RECT& rect : onScreen) EXPECT_TRUE(LiesOnAnyMonitor(rect)) << rect.left << "," << rect.top;
    const RECT offScreen[] = {
        {width, 0, width + 400, 300}, {-400, -300, 0, 0}, {0, height, 400, height + 300}, {-5000, 100, -4000, 400}};
    for (const RECT& rect : offScreen) EXPECT_FALSE(LiesOnAnyMonitor(rect)) << rect.left << "," << rect.top;

    MonitorChoiceRecord record;
    record.result = kUntouched;
    record.window = RECT{width - 10, 10, width + 500, 200};
    ChooseMonitor(record);
    EXPECT_TRUE(record.found);
    EXPECT_TRUE(SameRect(record.result, RECT{0, 0, width, height}));
}
