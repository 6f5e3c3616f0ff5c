#include "AppLayer/GuiTimeBox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AppLayer/FileTimeTestSupport.h"
#include "RawLayer/RawTimeText.h"
#include "SystemTimeMaker.h"
#include "WinLayer/WinControlHost.h"
#include "WinLayer/WinEditTestSupport.h"

using namespace AppLayer;
using namespace WinLayerTest;
using RawLayer::RawString;
using TestSupport::Time;

namespace {

ControlHost& SharedHost() {
    static ControlHost* host = [] {
        auto* made = new ControlHost;  // lives as long as the process, like its window
        SetWindowPos(made->Window(), nullptr, 40, 40, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(made->Window(), SW_SHOW);
        LoopViews() = &made->children;
        return made;
    }();
    return *host;
}

struct TimeBoxWindow {
    ControlHost& host = SharedHost();
    GuiTimeBox box;

    explicit TimeBoxWindow(uint16_t kind, const char* text = "") {
        box.kind = kind;
        box.SetText(text);
        host.Add(box, {10, 10, 150, 34});
        PumpWide();
        host.notices.clear();
        host.navigations.clear();
    }
    ~TimeBoxWindow() {
        DestroyWindow(box.Window());
        host.children.Remove(&box);
        PumpWide();
    }
    std::wstring Text() const { return WideOf(box.Property().text); }
    std::wstring WindowText() const {
        wchar_t text[64] = {};
        GetWindowTextW(box.Window(), text, 64);
        return text;
    }
    void Drop(HDROP drop) {
        PostMessageW(box.Window(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
        PumpWide();
    }
};

FileTimeValue UtcValue(const SYSTEMTIME& time) {
    FileTimeValue value;
    EXPECT_TRUE(value.StoreUtc(time));
    return value;
}

}  // namespace

TEST(GuiTimeBoxShow, EachKindShowsItsPartOfTheValue) {
    struct Case {
        uint16_t kind;
        SYSTEMTIME time;
        const wchar_t* shown;
    } cases[] = {
        {kTimeBoxDate, Time(2024, 9, 7, 8, 5, 3, 7), L"2024/09/07"},
        {kTimeBoxTime, Time(2024, 9, 7, 8, 5, 3, 7), L"08:05:03"},
        {kTimeBoxMSec, Time(2024, 9, 7, 8, 5, 3, 7), L"007"},
        {kTimeBoxMSec, Time(2024, 9, 7, 8, 5, 3, 0), L"000"},
        {kTimeBoxMSec, Time(2024, 9, 7, 8, 5, 3, 999), L"999"},
        {kTimeBoxDate, Time(12345, 6, 7), L"12345/06/07"},  // a fifth year digit stays
        {kTimeBoxDate, Time(1601, 1, 1), L"1601/01/01"},
        {kTimeBoxDate | kTimeBoxTime, Time(2024, 9, 7, 8, 5, 3), L"2024/09/07"},  // the date wins
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        TimeBoxWindow window(c.kind, "old");
        window.box.ShowValue(UtcValue(c.time));
        EXPECT_EQ(window.Text(), c.shown);
        EXPECT_EQ(window.WindowText(), c.shown);
    }
    TimeBoxWindow none(0, "kept");
    none.box.ShowValue(UtcValue(Time(2024, 9, 7)));
    EXPECT_EQ(none.Text(), L"kept");
}

// The box shows the value as its zone has it: the local time when the value shows local time.
TEST(GuiTimeBoxShow, TimeInTheZoneOfTheValue) {
    FileTimeValue value = UtcValue(Time(2024, 7, 1, 10, 30, 0));
    ASSERT_TRUE(value.ShowAsLocal());
    TimeBoxWindow window(kTimeBoxTime);
    window.box.ShowValue(value);
    const int offset = FileTimeTest::OffsetMinutes(Time(2024, 7, 1, 10, 30, 0));
    wchar_t expected[16];
    swprintf(expected, 16, L"%02d:%02d:00", 10 + (30 + offset) / 60, (30 + offset) % 60);
    if (FileTimeTest::TestZone() != FileTimeTest::Zone::Unknown) {
        EXPECT_EQ(window.Text(), expected);
    }
    EXPECT_EQ(window.Text(), WideOf(RawLayer::FormatTime(value.brokenDown, ':')));
    ASSERT_TRUE(value.ShowAsUtc());
    window.box.ShowValue(value);
    EXPECT_EQ(window.Text(), L"10:30:00");
}

TEST(GuiTimeBoxDrop, KeepsTheFirstNameWholeAndNotifiesOnce) {
    TimeBoxWindow window(kTimeBoxDate, "2024/09/07");
    const std::wstring longName = L"C:\\" + std::wstring(300, L'n') + L".txt";
    HDROP drop = MakeDrop({longName, L"C:\\second.txt", L"C:\\third"});
    window.Drop(drop);
    EXPECT_EQ(WideOf(window.box.droppedName), longName);
    EXPECT_EQ(window.Text(), L"2024/09/07");
    EXPECT_EQ(window.host.CountNotices(WinLayer::NotifyDropped), 1);
    EXPECT_EQ(window.host.CountNotices(WinLayer::NotifyChanged), 0);
    EXPECT_TRUE(IsFinished(drop));

    HDROP second = MakeDrop({L"C:\\Z\x00fcrich.txt"});
    window.Drop(second);
    EXPECT_EQ(WideOf(window.box.droppedName), L"C:\\Z\x00fcrich.txt");
    EXPECT_EQ(window.host.CountNotices(WinLayer::NotifyDropped), 2);
    EXPECT_TRUE(IsFinished(second));

    // Nothing readable: finished all the same, and nothing to tell.
    HDROP empty = MakeDrop({});
    window.Drop(empty);
    EXPECT_TRUE(IsFinished(empty));
    EXPECT_EQ(window.host.CountNotices(WinLayer::NotifyDropped), 2);
    EXPECT_TRUE(window.box.droppedName.IsEmpty());
}

// Tab moves on to the next control instead of putting a tab into the date.
TEST(GuiTimeBoxKeys, TabLeavesTheBoxAndTypingIsTheEditBoxs) {
    TimeBoxWindow window(kTimeBoxDate, "2024/09/07");
    PressKey(window.box.Window(), VK_TAB);
    PressKey(window.box.Window(), VK_TAB, kShift);
    EXPECT_EQ(window.Text(), L"2024/09/07");
    ASSERT_EQ(window.host.navigations.size(), 2u);
    EXPECT_EQ(window.host.navigations[0].backwards, 0);
    EXPECT_EQ(window.host.navigations[1].backwards, 1);

    PressKey(window.box.Window(), 'A', kControl);
    TypeUnits(window.box.Window(), L"2023-1-2");
    EXPECT_EQ(window.Text(), L"2023-1-2");  // judged by the dialog, not by the box
}

// The main dialog fits its time boxes before their windows exist.
TEST(GuiTimeBoxFit, FittedBeforeCreationAsAfter) {
    GuiTimeBox box;
    box.kind = kTimeBoxDate;
    box.SetText("0000/00/00");
    box.FitToText();
    const int32_t width = box.outerWidth;
    const int32_t height = box.outerHeight;
    EXPECT_GT(width, 0);
    EXPECT_GT(height, 0);
    ControlHost& host = SharedHost();
    host.Add(box, {10, 40, 10 + width, 40 + height});
    box.FitToText();
    EXPECT_EQ(box.outerWidth, width);
    EXPECT_EQ(box.outerHeight, height);
    DestroyWindow(box.Window());
    host.children.Remove(&box);
}
