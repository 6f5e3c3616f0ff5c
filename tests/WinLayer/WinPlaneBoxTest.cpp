#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "WinControlHost.h"
#include "WinLayer/WinDrawContext.h"
#include "WinLayer/WinDrawing.h"
#include "WinLayer/WinGdiObjects.h"
#include "WinLayer/WinPlaneBox.h"
#include "WinPixelSupport.h"
#include "WinTestSupport.h"

using namespace WinLayer;
using WinLayerTest::PixelCanvas;

namespace {

constexpr COLORREF kStripeA = RGB(0, 160, 0);
constexpr COLORREF kStripeB = RGB(240, 200, 0);
constexpr int kStripe = 10;
constexpr COLORREF kEmptyFrame = 0xCBC0FF;
constexpr COLORREF kFocusMark = 0xFF0000;

COLORREF Face() { return SystemColours().face; }

// Content of a settable size: horizontal stripes 10 pixels high in two colours, so that a pixel
// tells which content row is shown where.
class TestPlane : public WinPlaneBox {
public:
    SIZE MeasureContent(HDC dc, const RECT& rect) override {
        ++measured;
        measuredWithFont = GetCurrentObject(dc, OBJ_FONT) == ResolvedFont().Handle();
        measuredRect = rect;
        return size;
    }
    void DrawContent(OffscreenSurface& surface, const RECT&, const RECT& content, POINT scroll) override {
        ++drawn;
        drawnScroll = scroll;
        WinDrawContext dc(surface.Get());
        const LONG left = content.left - scroll.x;
        const LONG top = content.top - scroll.y;
        for (LONG y = 0; y < size.cy; y += kStripe) {
            const RECT stripe = {left, top + y, left + size.cx, top + std::min<LONG>(y + kStripe, size.cy)};
            FillSolid(dc, stripe, (y / kStripe) % 2 ? kStripeB : kStripeA);
        }
    }
    void OnContentMeasured() override { ++measuredNotices; }

    SIZE size = {};
    int measured = 0;
    int measuredNotices = 0;
    bool measuredWithFont = false;
    RECT measuredRect = {};
    int drawn = 0;
    POINT drawnScroll = {};
};

// One visible host for all tests (Wine takes a while to map and unmap a top-level window; its
// children are quick), so that the boxes really paint and take the focus.
WinLayerTest::ControlHost& SharedHost() {
    static WinLayerTest::ControlHost* host = [] {
        auto* made = new WinLayerTest::ControlHost;  // lives as long as the process, like its window
        SetWindowPos(made->Window(), nullptr, 50, 50, 600, 700, SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(made->Window(), SW_SHOW);
        return made;
    }();
    return *host;
}

// A plane box of 100 x 80 pixels (plus any scroll bars) in the shared host.
struct PlaneWindow {
    WinLayerTest::ControlHost& host = SharedHost();
    TestPlane plane;

    explicit PlaneWindow(SIZE content, DWORD bars = 0, uint16_t alignment = 0x11) {
        plane.size = content;
        plane.alignment = alignment;
        plane.Property().style |= bars;
        const int barWidth = GetSystemMetrics(SM_CXVSCROLL);
        const int barHeight = GetSystemMetrics(SM_CYHSCROLL);
        host.notices.clear();
        host.Add(plane, {10, 10, 110 + (bars & WS_VSCROLL ? barWidth : 0), 90 + (bars & WS_HSCROLL ? barHeight : 0)});
    }
    ~PlaneWindow() {
        DestroyWindow(plane.Window());
        host.children.Remove(&plane);
    }

    HWND Window() const { return plane.Window(); }
    // Paints through the button's own painting, as WM_PAINT does, into the canvas.
    void PrintInto(const PixelCanvas& canvas) {
        SendMessageW(Window(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Get()), PRF_CLIENT);
    }
    void Paint() {
        InvalidateRect(Window(), nullptr, FALSE);
        UpdateWindow(Window());
    }
    void Resize(int width, int height) {
        SetWindowPos(Window(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    LRESULT Wheel(int delta, WORD keys = 0) {
        return SendMessageW(Window(), WM_MOUSEWHEEL, MAKEWPARAM(keys, static_cast<WORD>(delta)), 0);
    }
    void Scroll(UINT message, int code) { SendMessageW(Window(), message, MAKEWPARAM(code, 0), 0); }
};

SCROLLINFO BarInfo(HWND window, int bar) {
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    GetScrollInfo(window, bar, &info);
    return info;
}

}  // namespace

// Content smaller than the view sits where the alignment says, through negative positions.
TEST(WinPlaneBoxAlignment, SmallContentIsPlacedAsConfigured) {
    // Visible 96 x 76 inside the 2-pixel margins; content 40 x 30.
    struct Case {
        uint16_t alignment;
        int32_t x;
        int32_t y;
    } cases[] = {
        {0x11, 0, 0}, {0x21, 0, -46}, {0x41, 0, -23}, {0x12, -56, 0}, {0x14, -28, 0}, {0x24, -28, -46}, {0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.alignment);
        PlaneWindow window({40, 30}, 0, c.alignment);
        PixelCanvas canvas(100, 80);
        window.PrintInto(canvas);
        EXPECT_EQ(window.plane.scrollX, c.x);
        EXPECT_EQ(window.plane.scrollY, c.y);
        EXPECT_EQ(window.plane.drawnScroll.x, c.x);
        EXPECT_EQ(window.plane.drawnScroll.y, c.y);
        // The content's corners, and the face just outside them.
        const int left = 2 - c.x;
        const int top = 2 - c.y;
        EXPECT_EQ(canvas.Pixel(left, top), kStripeA);
        EXPECT_EQ(canvas.Pixel(left + 39, top + 15), kStripeB);
        EXPECT_EQ(canvas.Pixel(left + 39, top + 29), kStripeA);
        if (left > 2) {
            EXPECT_EQ(canvas.Pixel(left - 1, top), Face());
        }
        if (top > 2) {
            EXPECT_EQ(canvas.Pixel(left, top - 1), Face());
        }
        EXPECT_EQ(canvas.Pixel(left + 40, top + 29), Face());
        EXPECT_EQ(canvas.Pixel(left, top + 30), Face());
    }
}

TEST(WinPlaneBoxMeasure, MeasuresWithTheFontAndTheContentRectangle) {
    PlaneWindow window({40, 30});
    window.plane.Remeasure(true);
    EXPECT_TRUE(window.plane.measuredWithFont);
    EXPECT_EQ(window.plane.measuredRect.left, 2);
    EXPECT_EQ(window.plane.measuredRect.top, 2);
    EXPECT_EQ(window.plane.measuredRect.right, 98);
    EXPECT_EQ(window.plane.measuredRect.bottom, 78);
    EXPECT_EQ(window.plane.measuredNotices, 1);
    RECT update = {};
    EXPECT_TRUE(GetUpdateRect(window.Window(), &update, FALSE));  // asked to invalidate
    // Measured lazily: once at the first drawing, not again at the next.
    PlaneWindow lazy({40, 30});
    PixelCanvas canvas(100, 80);
    lazy.PrintInto(canvas);
    lazy.PrintInto(canvas);
    EXPECT_EQ(lazy.plane.measured, 1);
    EXPECT_EQ(lazy.plane.drawn, 2);
}

TEST(WinPlaneBoxPixels, EmptyContentShowsPinkFrameInsideTheMargins) {
    PlaneWindow window({0, 0});
    PixelCanvas canvas(100, 80);
    canvas.Fill(RGB(0, 0, 0));
    window.PrintInto(canvas);
    for (POINT p : {POINT{2, 2}, POINT{97, 2}, POINT{2, 77}, POINT{97, 77}, POINT{50, 2}, POINT{2, 40}}) {
        EXPECT_EQ(canvas.Pixel(p.x, p.y), kEmptyFrame) << p.x << "," << p.y;
    }
    for (POINT p : {POINT{0, 0}, POINT{1, 40}, POINT{50, 40}, POINT{3, 3}, POINT{99, 79}, POINT{98, 78}}) {
        EXPECT_EQ(canvas.Pixel(p.x, p.y), Face()) << p.x << "," << p.y;
    }
    // Content with a size, even an invisible one, has no frame.
    window.plane.size = {0, 5};
    window.plane.Remeasure(false);
    window.PrintInto(canvas);
    EXPECT_EQ(canvas.Pixel(2, 40), Face());
}

// Content that reaches into the margins is covered there again, unless the box says otherwise.
TEST(WinPlaneBoxPixels, MarginsAreRepaintedAfterTheContent) {
    PlaneWindow window({300, 300});
    PixelCanvas canvas(100, 80);
    window.PrintInto(canvas);
    EXPECT_EQ(canvas.Pixel(99, 40), Face());
    EXPECT_EQ(canvas.Pixel(50, 79), Face());
    EXPECT_EQ(canvas.Pixel(2, 2), kStripeA);
    EXPECT_EQ(canvas.Pixel(97, 77), kStripeB);  // content row 75: the eighth stripe
    window.plane.planeFlags |= kPlaneKeepMargins;
    window.PrintInto(canvas);
    EXPECT_EQ(canvas.Pixel(99, 40), kStripeB);
    EXPECT_EQ(canvas.Pixel(50, 79), kStripeB);
}

TEST(WinPlaneBoxPixels, FocusMarkAlongTheTopAndFocusLostNotice) {
    PlaneWindow window({300, 300});
    PixelCanvas canvas(100, 80);
    ASSERT_TRUE(WinLayerTest::InFront(GetAncestor(window.Window(), GA_ROOT)));
    SetFocus(window.Window());
    ASSERT_TRUE(WinLayerTest::FocusOn(window.Window()));
    EXPECT_TRUE(window.plane.planeFlags & kPlaneFocused);
    window.PrintInto(canvas);
    for (int x : {0, 1, 50, 99}) EXPECT_EQ(canvas.Pixel(x, 0), kFocusMark) << x;
    EXPECT_EQ(canvas.Pixel(0, 1), Face());
    EXPECT_EQ(canvas.Pixel(50, 2), kStripeA);

    SetFocus(window.host.Window());
    EXPECT_FALSE(window.plane.planeFlags & kPlaneFocused);
    EXPECT_EQ(window.host.CountNotices(NotifyFocusLost), 1);
    window.PrintInto(canvas);
    EXPECT_EQ(canvas.Pixel(50, 0), Face());
}

TEST(WinPlaneBoxWheel, NotchesScrollByStepsAndClampAtBothEnds) {
    PlaneWindow window({200, 500});  // visible height 76: at most 424
    struct Step {
        int delta;
        WORD keys;
        int32_t expected;
    } steps[] = {
        {-120, 0, 10},
        {-120, MK_SHIFT, 40},
        {-120, MK_SHIFT | MK_CONTROL, 130},
        {-120, MK_CONTROL, 160},
        {120, 0, 150},
        {60, 0, 145},  // half a notch, half a step
        {-1200, MK_SHIFT | MK_CONTROL, 424},
        {-120, 0, 424},
        {1200, MK_SHIFT | MK_CONTROL, 0},
        {120, 0, 0},
    };
    for (const Step& step : steps) {
        EXPECT_EQ(window.Wheel(step.delta, step.keys), 1);
        EXPECT_EQ(window.plane.scrollY, step.expected) << step.delta << " keys " << step.keys;
    }
    EXPECT_EQ(window.plane.scrollX, 0);
}

// Content that fits keeps its alignment under the wheel and the scroll codes.
TEST(WinPlaneBoxWheel, ContentThatFitsDoesNotScroll) {
    PlaneWindow window({40, 30}, WS_VSCROLL, 0x21);
    PixelCanvas canvas(100, 80);
    window.PrintInto(canvas);
    ASSERT_EQ(window.plane.scrollY, -46);
    window.Wheel(120);
    window.Wheel(-120);
    window.Scroll(WM_VSCROLL, SB_TOP);
    window.Scroll(WM_VSCROLL, SB_LINEDOWN);
    EXPECT_EQ(window.plane.scrollY, -46);
}

TEST(WinPlaneBoxScrollBars, CodesMoveAndClampEachAxis) {
    PlaneWindow window({300, 500}, WS_VSCROLL | WS_HSCROLL);  // visible 96 x 76
    struct Step {
        UINT message;
        int code;
        int32_t expected;  // position on the message's axis
    } steps[] = {
        {WM_VSCROLL, SB_LINEDOWN, 10},   {WM_VSCROLL, SB_PAGEDOWN, 48},   {WM_VSCROLL, SB_LINEUP, 38},
        {WM_VSCROLL, SB_PAGEUP, 0},      {WM_VSCROLL, SB_LINEUP, 0},      {WM_VSCROLL, SB_BOTTOM, 424},
        {WM_VSCROLL, SB_PAGEDOWN, 424},  {WM_VSCROLL, SB_ENDSCROLL, 424}, {WM_VSCROLL, SB_TOP, 0},
        {WM_HSCROLL, SB_LINERIGHT, 10},  {WM_HSCROLL, SB_PAGERIGHT, 58},  {WM_HSCROLL, SB_RIGHT, 204},
        {WM_HSCROLL, SB_LINERIGHT, 204}, {WM_HSCROLL, SB_PAGELEFT, 156},  {WM_HSCROLL, SB_LEFT, 0},
        {WM_HSCROLL, SB_LINELEFT, 0},
    };
    for (const Step& step : steps) {
        window.Scroll(step.message, step.code);
        const int32_t position = step.message == WM_VSCROLL ? window.plane.scrollY : window.plane.scrollX;
        EXPECT_EQ(position, step.expected) << (step.message == WM_VSCROLL ? "vertical " : "horizontal ") << step.code;
    }
    EXPECT_EQ(window.plane.VisibleHeight(), 76);
    EXPECT_EQ(window.plane.VisibleWidth(), 96);
}

TEST(WinPlaneBoxScrollBars, ThumbTakesTheTrackPosition) {
    PlaneWindow window({200, 500}, WS_VSCROLL);
    window.Paint();  // the bar gets its range
    SetScrollPos(window.Window(), SB_VERT, 123, FALSE);
    window.Scroll(WM_VSCROLL, SB_THUMBPOSITION);
    EXPECT_EQ(window.plane.scrollY, 123);
    SetScrollPos(window.Window(), SB_VERT, 200, FALSE);
    window.Scroll(WM_VSCROLL, SB_THUMBTRACK);
    EXPECT_EQ(window.plane.scrollY, 200);
}

// The first drawing shows bars that fit the content it draws.
TEST(WinPlaneBoxScrollBars, BarsFollowTheContentFromTheFirstDrawing) {
    PlaneWindow window({300, 500}, WS_VSCROLL | WS_HSCROLL);
    window.Paint();
    SCROLLINFO vertical = BarInfo(window.Window(), SB_VERT);
    EXPECT_EQ(vertical.nMin, 0);
    EXPECT_EQ(vertical.nMax, 499);
    EXPECT_EQ(vertical.nPage, 76u);
    EXPECT_EQ(vertical.nPos, 0);
    EXPECT_EQ(BarInfo(window.Window(), SB_HORZ).nMax, 299);
    EXPECT_EQ(BarInfo(window.Window(), SB_HORZ).nPage, 96u);

    window.Wheel(-120 * 5);
    window.Paint();
    EXPECT_EQ(BarInfo(window.Window(), SB_VERT).nPos, 50);
}

TEST(WinPlaneBoxScrollBars, ScrolledNoticeOnlyWhenThePositionsChanged) {
    PlaneWindow window({300, 500}, WS_VSCROLL);
    window.Paint();
    EXPECT_EQ(window.host.CountNotices(NotifyScrolled), 1);  // from "never reported" to (0, 0)
    window.Paint();
    window.Scroll(WM_VSCROLL, SB_TOP);
    window.Paint();
    EXPECT_EQ(window.host.CountNotices(NotifyScrolled), 1);
    window.Scroll(WM_VSCROLL, SB_LINEDOWN);
    window.Paint();
    EXPECT_EQ(window.host.CountNotices(NotifyScrolled), 2);
    EXPECT_EQ(window.plane.reportedY, 10);
    window.Wheel(120);
    window.Paint();
    EXPECT_EQ(window.host.CountNotices(NotifyScrolled), 3);
}

TEST(WinPlaneBoxResize, PositionsStayValidWhenTheViewChangesSize) {
    PlaneWindow window({300, 500}, 0, 0x21);  // visible 96 x 76
    window.Scroll(WM_VSCROLL, SB_BOTTOM);
    window.Scroll(WM_HSCROLL, SB_RIGHT);
    ASSERT_EQ(window.plane.scrollY, 424);
    ASSERT_EQ(window.plane.scrollX, 204);

    window.Resize(200, 200);  // visible 196 x 196
    EXPECT_EQ(window.plane.scrollY, 304);
    EXPECT_EQ(window.plane.scrollX, 104);
    window.Resize(100, 80);  // smaller again: the position stays
    EXPECT_EQ(window.plane.scrollY, 304);

    // Larger than the content: the content goes to where its alignment puts it.
    window.Resize(400, 600);  // visible 396 x 596
    EXPECT_LE(window.plane.scrollY, 0);
    EXPECT_EQ(window.plane.scrollX, 0);
    PixelCanvas canvas(400, 600);
    window.PrintInto(canvas);
    EXPECT_EQ(window.plane.scrollY, 500 - 596);
    EXPECT_EQ(window.plane.scrollX, 0);
    EXPECT_EQ(canvas.Pixel(2, 597), kStripeB);  // last row at the bottom
    EXPECT_EQ(canvas.Pixel(2, 98), kStripeA);
    EXPECT_EQ(canvas.Pixel(2, 97), Face());
}

TEST(WinPlaneBoxResources, ThousandPaintsLeaveNoGdiObjects) {
    PlaneWindow window({300, 500}, WS_VSCROLL);
    SetFocus(window.Window());
    window.Paint();
    PixelCanvas canvas(100, 80);
    const long owned = LiveGdiObjects();
    const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const int drawnBefore = window.plane.drawn;
    for (int i = 0; i < 500; ++i) {
        window.Wheel(i % 2 ? 120 : -120);
        window.Paint();
        window.PrintInto(canvas);
    }
    EXPECT_EQ(window.plane.drawn - drawnBefore, 1000);
    EXPECT_EQ(LiveGdiObjects(), owned);
    // Where the platform counts a process's objects (Wine may answer 0), the count holds too.
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), counted);
}

// One picture for a person to look at: a focused box scrolled by 15 pixels, a box with bottom
// aligned small content and an empty one.
TEST(WinPlaneBoxPixels, Picture) {
    PlaneWindow scrolled({300, 500}, WS_VSCROLL);
    PlaneWindow aligned({40, 30}, 0, 0x24);
    PlaneWindow empty({0, 0});
    SetFocus(scrolled.Window());
    scrolled.Wheel(-120);
    scrolled.Scroll(WM_VSCROLL, SB_PAGEDOWN);
    PixelCanvas part(100, 80);
    PixelCanvas picture(320, 80);
    picture.Fill(RGB(255, 255, 255));
    int x = 0;
    for (PlaneWindow* window : {&scrolled, &aligned, &empty}) {
        part.Fill(RGB(255, 255, 255));
        window->PrintInto(part);
        BitBlt(picture.Get(), x, 0, 100, 80, part.Get(), 0, 0, SRCCOPY);
        x += 110;
    }
    EXPECT_EQ(picture.Pixel(0, 0), kFocusMark);
    EXPECT_TRUE(WinLayerTest::WritePicture(picture, "WinPlaneBox.png"));
}
