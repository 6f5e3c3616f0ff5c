#include <gtest/gtest.h>

#include "WinLayer/WinDrawContext.h"
#include "WinLayer/WinDrawing.h"
#include "WinLayer/WinGdiObjects.h"
#include "WinLayer/WinView.h"
#include "WinPixelSupport.h"

using namespace WinLayer;
using WinLayerTest::PixelCanvas;

namespace {

constexpr COLORREF kBack = RGB(10, 20, 30);
constexpr COLORREF kUpper = RGB(200, 0, 0);
constexpr COLORREF kLower = RGB(0, 0, 200);

}  // namespace

TEST(WinDrawContext, PutsBackWhatItReplaced) {
    PixelCanvas canvas(8, 8);
    HDC dc = canvas.Get();
    HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
    HGDIOBJ brush = GetCurrentObject(dc, OBJ_BRUSH);
    SetTextColor(dc, RGB(1, 2, 3));
    SetBkMode(dc, OPAQUE);
    OwnedPen red(CreatePen(PS_SOLID, 1, kUpper));
    OwnedPen blue(CreatePen(PS_SOLID, 1, kLower));
    OwnedBrush fill(CreateSolidBrush(kLower));
    {
        WinDrawContext context(dc);
        context.SelectFont(static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT)));
        context.SelectPen(red.Get());
        context.SelectPen(blue.Get());  // the original is still what comes back
        context.SelectBrush(fill.Get());
        context.SelectPen(nullptr);  // ignored
        context.SetTextColour(RGB(9, 9, 9));
        context.SetTextColour(RGB(8, 8, 8));
        context.SetTransparentBackground();
        EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), blue.Get());
        EXPECT_EQ(GetTextColor(dc), RGB(8, 8, 8));
        EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    }
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
    EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));
    EXPECT_EQ(GetBkMode(dc), OPAQUE);
}

// The upper band takes half the height rounded down; round corners leave the background.
TEST(WinDrawing, FillTwoToneSplitsAtHalfHeightAndRoundsCorners) {
    struct Case {
        int height;
        CornerRadii radii;
    } cases[] = {{10, {}}, {11, {}}, {20, {3, 3, 3, 3}}, {21, {3, 0, 0, 3}}};
    for (const Case& c : cases) {
        PixelCanvas canvas(30, c.height);
        canvas.Fill(kBack);
        {
            WinDrawContext dc(canvas.Get());
            FillTwoTone(dc, {0, 0, 30, c.height}, c.radii, kUpper, kLower);
        }
        const int half = c.height / 2;
        SCOPED_TRACE(testing::Message() << "height " << c.height);
        EXPECT_EQ(canvas.Pixel(15, 0), kUpper);
        EXPECT_EQ(canvas.Pixel(15, half - 1), kUpper);
        EXPECT_EQ(canvas.Pixel(15, half), kLower);
        EXPECT_EQ(canvas.Pixel(15, c.height - 1), kLower);
        EXPECT_EQ(canvas.Pixel(0, half - 1), kUpper);
        EXPECT_EQ(canvas.Pixel(29, half), kLower);
        const int last = c.height - 1;
        EXPECT_EQ(canvas.Pixel(0, 0), c.radii.topLeft ? kBack : kUpper);
        EXPECT_EQ(canvas.Pixel(0, last), c.radii.bottomLeft ? kBack : kLower);
        EXPECT_EQ(canvas.Pixel(29, 0), c.radii.topRight ? kBack : kUpper);
        EXPECT_EQ(canvas.Pixel(29, last), c.radii.bottomRight ? kBack : kLower);
        if (c.radii.topLeft) {
            EXPECT_EQ(canvas.Pixel(2, 2), kUpper);  // inside the arc
        }
    }
}

TEST(WinDrawing, OutlineBevelDrawsTopLeftAndBottomRightEdges) {
    for (int radius : {0, 3}) {
        PixelCanvas canvas(30, 20);
        canvas.Fill(kBack);
        {
            WinDrawContext dc(canvas.Get());
            OutlineBevel(dc, {0, 0, 30, 20}, {radius, radius, radius, radius}, kUpper, kLower);
        }
        SCOPED_TRACE(testing::Message() << "radius " << radius);
        EXPECT_EQ(canvas.Pixel(15, 0), kUpper);
        EXPECT_EQ(canvas.Pixel(0, 10), kUpper);
        EXPECT_EQ(canvas.Pixel(15, 19), kLower);
        EXPECT_EQ(canvas.Pixel(29, 10), kLower);
        EXPECT_EQ(canvas.Pixel(15, 10), kBack);
        EXPECT_EQ(canvas.Pixel(1, 10), kBack);
        const COLORREF corner = radius ? kBack : kUpper;
        EXPECT_EQ(canvas.Pixel(0, 0), corner);
        EXPECT_EQ(canvas.Pixel(29, 0), corner);
        EXPECT_EQ(canvas.Pixel(0, 19), radius ? kBack : kLower);
        EXPECT_EQ(canvas.Pixel(29, 19), radius ? kBack : kLower);
    }
}

TEST(WinDrawing, OffscreenSurfaceLoadsAndStoresWithAndWithoutStretching) {
    const long live = LiveGdiObjects();
    PixelCanvas canvas(20, 20);
    canvas.Fill(kBack);
    {
        OffscreenSurface same(canvas.Get(), {4, 4, 8, 8}, {4, 4});
        ASSERT_TRUE(same.IsValid());
        ASSERT_TRUE(same.Load());
        EXPECT_EQ(GetPixel(same.Get(), 3, 3), kBack);
        WinDrawContext dc(same.Get());
        FillSolid(dc, {0, 0, 4, 4}, kUpper);
        ASSERT_TRUE(same.Store());
    }
    EXPECT_EQ(canvas.Pixel(4, 4), kUpper);
    EXPECT_EQ(canvas.Pixel(7, 7), kUpper);
    EXPECT_EQ(canvas.Pixel(8, 8), kBack);
    {
        OffscreenSurface stretched(canvas.Get(), {10, 10, 13, 13}, {12, 12});
        ASSERT_TRUE(stretched.Load());
        EXPECT_EQ(GetPixel(stretched.Get(), 11, 11), kBack);
        WinDrawContext dc(stretched.Get());
        WhiteEllipse(dc, {0, 0, 12, 12});
        ASSERT_TRUE(stretched.Store());
    }
    // The middle of a disc shrunk to three pixels is white; outside it is untouched.
    EXPECT_EQ(canvas.Pixel(11, 11), RGB(255, 255, 255));
    EXPECT_EQ(canvas.Pixel(13, 13), kBack);
    // Without a bitmap the surface draws nothing.
    for (SIZE size : {SIZE{0, 5}, SIZE{5, -1}}) {
        OffscreenSurface surface(canvas.Get(), {0, 0, 5, 5}, size);
        EXPECT_FALSE(surface.IsValid());
        EXPECT_FALSE(surface.Load());
        EXPECT_FALSE(surface.Store());
    }
    EXPECT_EQ(canvas.Pixel(0, 0), kBack);
    // The memory context is lent again, in the state it was first lent in.
    HDC lent = nullptr;
    {
        OffscreenSurface first(canvas.Get(), {0, 0, 2, 2}, {2, 2});
        lent = first.Get();
        SetTextColor(lent, RGB(255, 0, 0));
    }
    OffscreenSurface again(canvas.Get(), {0, 0, 2, 2}, {2, 2});
    EXPECT_EQ(again.Get(), lent);
    EXPECT_EQ(GetTextColor(again.Get()), RGB(0, 0, 0));
    EXPECT_EQ(LiveGdiObjects(), live + 1);  // the bitmap of the surface still standing
}

TEST(WinDrawing, TextIsPlacedByTheVerticalAlignment) {
    struct Case {
        uint16_t alignment;
        LONG textHeight;
        LONG expectedTop;
    } cases[] = {
        {kAlignTop, 10, 4}, {kAlignBottom, 10, 34}, {kAlignMiddle, 10, 19},
        {0, 11, 18},        {kAlignBottom, 40, 4},  {kAlignMiddle, 50, 4},  // no room: stays at the top
    };
    PixelCanvas canvas(4, 4);
    for (const Case& c : cases) {
        RECT placed = PlaceTextVertically(canvas.Get(), "x", {2, 4, 98, 44}, c.alignment, c.textHeight, DT_LEFT);
        EXPECT_EQ(placed.top, c.expectedTop) << c.alignment << " " << c.textHeight;
        EXPECT_EQ(placed.bottom, 44);
        EXPECT_EQ(placed.left, 2);
    }
    // Not fitted yet: the text is measured, so it is not pushed below the middle.
    RECT measured = PlaceTextVertically(canvas.Get(), "x", {0, 0, 100, 40}, kAlignMiddle, 0, DT_LEFT);
    EXPECT_GT(measured.top, 0);
    EXPECT_LT(measured.top, 20);
}
