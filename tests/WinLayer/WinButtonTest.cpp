#include <gtest/gtest.h>

#include <string>

#include "WinControlHost.h"
#include "WinLayer/ButtonColours.h"
#include "WinLayer/WinButton.h"
#include "WinLayer/WinCheckBox.h"
#include "WinLayer/WinDrawing.h"
#include "WinLayer/WinStaticBox.h"
#include "WinPixelSupport.h"
#include "WinTestSupport.h"

using RawLayer::RawString;
using namespace WinLayer;
using WinLayerTest::ControlHost;
using WinLayerTest::DrawInto;
using WinLayerTest::PixelCanvas;
using WinLayerTest::PumpMessages;

namespace {

constexpr int kWidth = 60;
constexpr int kHeight = 24;
constexpr COLORREF kGrey = 0xA0A0A0;

COLORREF Face() { return SystemColours().face; }

// Whether any pixel of the area has the colour.
bool AnyPixel(const PixelCanvas& canvas, RECT area, COLORREF colour) {
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (canvas.Pixel(x, y) == colour) return true;
        }
    }
    return false;
}

bool Brighter(COLORREF a, COLORREF b) {
    return GetRValue(a) > GetRValue(b) && GetGValue(a) > GetGValue(b) && GetBValue(a) > GetBValue(b);
}

// The text area of a 60 x 24 button: inside the margins, clear of the bevels.
constexpr RECT kTextArea = {6, 4, kWidth - 6, kHeight - 4};

struct ButtonFixture {
    ControlHost host;
    WinButton button;
    explicit ButtonFixture(const char* caption = "OK", uint32_t style = 0, uint32_t code = 0) {
        button.ConfigureButton(caption, style, code);
        host.Add(button, {10, 10, 10 + kWidth, 10 + kHeight});
        button.FitToText();
    }
};

}  // namespace

// ---- colour table ----

TEST(ButtonColours, DerivedColoursFollowTheFaceColour) {
    struct Case {
        COLORREF face;
        COLORREF d10, d25, d40, light;
    } cases[] = {
        // base (238, 240, 240) from a face of 240
        {RGB(240, 240, 240), RGB(229, 231, 231), RGB(215, 217, 217), RGB(201, 203, 203), RGB(246, 247, 247)},
        // base (0, 1, 1): green and blue gain from their room to 255
        {RGB(0, 0, 0), RGB(0, 1, 1), RGB(0, 1, 1), RGB(0, 1, 1), RGB(127, 128, 128)},
    };
    for (const Case& c : cases) {
        ButtonColourTable table(c.face);
        const ButtonColours& normal = table.For(0);
        EXPECT_EQ(normal.innerTopLeft, c.light);
        EXPECT_EQ(normal.innerBottomRight, c.d40);
        EXPECT_EQ(normal.fillUpper, c.d10);
        EXPECT_EQ(normal.fillLower, c.d25);
        EXPECT_EQ(normal.frameFillUpper, c.d10);
        EXPECT_EQ(table.For(kDrawDisabled).fillLower, c.d10);
        EXPECT_EQ(table.For(kDrawPushed).fillLower, c.d25);
        EXPECT_EQ(table.For(kDrawFocused).fillUpper, c.d10);
    }
}

TEST(ButtonColours, EachDrawStateHasItsOwnSet) {
    ButtonColourTable table(RGB(240, 240, 240));
    struct Case {
        uint32_t state;
        COLORREF outerTopLeft, innerTopLeft, outerBottomRight;
        bool highlight;
    } cases[] = {
        {0, 0x808080, RGB(246, 247, 247), 0x000000, true},
        {kDrawDisabled, 0xC0C0C0, 0xE0E0E0, 0xA0A0A0, false},
        {kDrawPushed, 0x000000, 0x606060, 0x404040, false},
        {kDrawFocused, 0xFF0000, 0xFFD0A0, 0xF00000, true},
        {kDrawFocused | kButtonRoundTopLeft | kButtonFrames, 0xFF0000, 0xFFD0A0, 0xF00000, true},
    };
    for (const Case& c : cases) {
        for (uint32_t checked : {0u, kDrawChecked}) {
            const ButtonColours& set = table.For(c.state | checked);
            EXPECT_EQ(set.outerTopLeft, c.outerTopLeft) << c.state;
            EXPECT_EQ(set.innerTopLeft, c.innerTopLeft) << c.state;
            EXPECT_EQ(set.outerBottomRight, c.outerBottomRight) << c.state;
            EXPECT_EQ(set.highlight, c.highlight) << c.state;
            EXPECT_EQ(set.frameFillUpper, checked ? 0xFF27FF : set.fillUpper);
            EXPECT_EQ(set.frameFillLower, checked ? 0xFF00FF : set.fillLower);
        }
    }
}

// ---- button pixels ----

TEST(WinButtonDrawing, StatesDrawTheirBevelFillHighlightAndText) {
    ButtonFixture fixture;
    const ButtonColourTable& table = SystemButtonColours();
    struct Case {
        const char* name;
        UINT itemState;
        uint32_t drawState;
        COLORREF text;
    } cases[] = {
        {"normal", 0, 0, SystemColours().windowText},
        {"focused", ODS_FOCUS, kDrawFocused, SystemColours().windowText},
        {"pushed", ODS_SELECTED | ODS_FOCUS, kDrawPushed, SystemColours().windowText},
        {"disabled", ODS_DISABLED, kDrawDisabled, kGrey},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ButtonColours& colours = table.For(c.drawState);
        PixelCanvas canvas(kWidth, kHeight);
        DrawInto(fixture.button, c.itemState, canvas);
        EXPECT_EQ(canvas.Pixel(0, 0), colours.outerTopLeft);
        EXPECT_EQ(canvas.Pixel(0, 12), colours.outerTopLeft);
        EXPECT_EQ(canvas.Pixel(kWidth - 1, kHeight - 1), colours.outerBottomRight);
        EXPECT_EQ(canvas.Pixel(30, kHeight - 1), colours.outerBottomRight);
        EXPECT_EQ(canvas.Pixel(1, 12), colours.innerTopLeft);
        EXPECT_EQ(canvas.Pixel(kWidth - 2, 12), colours.innerBottomRight);
        // The two-tone fill splits at half the height.
        EXPECT_EQ(canvas.Pixel(6, kHeight / 2 - 1), colours.fillUpper);
        EXPECT_EQ(canvas.Pixel(6, kHeight / 2), colours.fillLower);
        // The highlight is a light dot near the top-left corner.
        EXPECT_EQ(Brighter(canvas.Pixel(3, 3), colours.fillUpper), colours.highlight);
        EXPECT_TRUE(AnyPixel(canvas, kTextArea, c.text));
        if (c.text == kGrey) {
            EXPECT_FALSE(AnyPixel(canvas, kTextArea, SystemColours().windowText));
        }
    }
}

TEST(WinButtonDrawing, RoundCornersLeaveTheFaceColourOutsideTheArc) {
    const POINT corners[] = {{0, 0}, {0, kHeight - 1}, {kWidth - 1, 0}, {kWidth - 1, kHeight - 1}};
    const uint32_t bits[] = {kButtonRoundTopLeft, kButtonRoundBottomLeft, kButtonRoundTopRight,
                             kButtonRoundBottomRight};
    ButtonFixture fixture;
    for (uint32_t style : {0x1u, 0x2u, 0x4u, 0x8u, 0xFu}) {
        fixture.button.buttonStyle = style;
        PixelCanvas canvas(kWidth, kHeight);
        DrawInto(fixture.button, 0, canvas);
        for (int i = 0; i < 4; ++i) {
            const POINT p = corners[i];
            SCOPED_TRACE(testing::Message() << "style " << style << " corner " << i);
            if (style & bits[i]) {
                EXPECT_EQ(canvas.Pixel(p.x, p.y), Face());
                // The arc itself is drawn two pixels in along the edge.
                EXPECT_NE(canvas.Pixel(p.x ? p.x - 3 : 3, p.y), Face());
            } else {
                EXPECT_NE(canvas.Pixel(p.x, p.y), Face());
            }
        }
    }
}

TEST(WinButtonDrawing, FramesAreFilledWithCheckedColoursEvenWhenDisabled) {
    const ButtonColourTable& table = SystemButtonColours();
    ButtonFixture fixture("Set", kButtonFrames | kButtonToggle);
    struct Case {
        uint8_t checked;
        UINT itemState;
        COLORREF frameUpper, frameLower, faceOuter, text;
    } cases[] = {
        {0, 0, table.For(0).fillUpper, table.For(0).fillLower, 0x808080, SystemColours().windowText},
        {1, 0, 0xFF27FF, 0xFF00FF, 0x808080, SystemColours().windowText},
        {1, ODS_DISABLED, 0xFF27FF, 0xFF00FF, 0xC0C0C0, kGrey},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "checked " << int(c.checked) << " state " << c.itemState);
        fixture.button.checked = c.checked;
        PixelCanvas canvas(kWidth, kHeight);
        DrawInto(fixture.button, c.itemState, canvas);
        EXPECT_EQ(canvas.Pixel(0, 0), 0x808080u);  // the frame's own bevel
        EXPECT_EQ(canvas.Pixel(kWidth - 1, kHeight - 1), 0x000000u);
        EXPECT_EQ(canvas.Pixel(1, kHeight / 2 - 1), c.frameUpper);
        EXPECT_EQ(canvas.Pixel(1, kHeight / 2), c.frameLower);
        EXPECT_EQ(canvas.Pixel(kWidth - 2, kHeight / 2), c.frameLower);
        EXPECT_EQ(canvas.Pixel(30, 1), c.frameUpper);
        EXPECT_EQ(canvas.Pixel(2, 2), c.faceOuter);  // the face starts two pixels in
        EXPECT_TRUE(AnyPixel(canvas, kTextArea, c.text));
    }
}

TEST(WinButtonDrawing, EachFrameBitMovesOnlyItsEdgeOfTheFace) {
    ButtonFixture fixture;
    struct Case {
        uint32_t bit;
        POINT faceCorner;  // the face's outer top-left pixel
        POINT faceEnd;     // the face's outer bottom-right pixel
    } cases[] = {
        {kButtonFrameLeft, {2, 0}, {kWidth - 1, kHeight - 1}},
        {kButtonFrameRight, {0, 0}, {kWidth - 3, kHeight - 1}},
        {kButtonFrameTop, {0, 2}, {kWidth - 1, kHeight - 1}},
        {kButtonFrameBottom, {0, 0}, {kWidth - 1, kHeight - 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bit);
        fixture.button.buttonStyle = c.bit;
        fixture.button.checked = 1;
        PixelCanvas canvas(kWidth, kHeight);
        DrawInto(fixture.button, ODS_FOCUS, canvas);
        EXPECT_EQ(canvas.Pixel(c.faceCorner.x, c.faceCorner.y), 0xFF0000u);
        EXPECT_EQ(canvas.Pixel(c.faceEnd.x, c.faceEnd.y), 0xF00000u);
        // The frame strip between the two outlines shows the checked fill.
        const POINT strip = c.bit == kButtonFrameLeft    ? POINT{1, 5}
                            : c.bit == kButtonFrameRight ? POINT{kWidth - 2, 5}
                            : c.bit == kButtonFrameTop   ? POINT{30, 1}
                                                         : POINT{30, kHeight - 2};
        const COLORREF fill = strip.y < kHeight / 2 ? 0xFF27FF : 0xFF00FF;
        EXPECT_EQ(canvas.Pixel(strip.x, strip.y), fill);
    }
}

// The whole road: the system control paints, its parent gets WM_DRAWITEM and hands it over.
TEST(WinButtonDrawing, SystemPaintReachesTheViewThroughTheParent) {
    ButtonFixture fixture;
    PixelCanvas canvas(kWidth, kHeight);
    canvas.Fill(RGB(1, 2, 3));
    SendMessageW(fixture.button.Window(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Get()), PRF_CLIENT);
    EXPECT_EQ(canvas.Pixel(0, 0), SystemButtonColours().For(0).outerTopLeft);
    EXPECT_EQ(canvas.Pixel(6, 5), SystemButtonColours().For(0).fillUpper);
}

// ---- check box and static box pixels ----

TEST(WinCheckBoxDrawing, SquareShowsCheckedAndInactiveStates) {
    ControlHost host;
    WinCheckBox box;
    box.ConfigureButton("", kButtonToggle, 0);
    host.Add(box, {10, 10, 26, 26});
    struct Case {
        uint8_t checked;
        UINT itemState;
        COLORREF inside;
        bool mark;
    } cases[] = {
        {0, 0, GetSysColor(COLOR_WINDOW), false},
        {1, 0, GetSysColor(COLOR_WINDOW), true},
        {0, ODS_DISABLED, Face(), false},
        {1, ODS_GRAYED, Face(), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "checked " << int(c.checked) << " state " << c.itemState);
        box.checked = c.checked;
        PixelCanvas canvas(24, 16);
        canvas.Fill(RGB(1, 2, 3));
        DrawInto(box, c.itemState, canvas);
        EXPECT_EQ(canvas.Pixel(23, 0), Face());  // the item rectangle is filled first
        // The square sits in the middle of the item; inside its two-pixel border a mark is
        // anything but the inside colour.
        const RECT inside = {4 + 2, 2, 4 + 14, 14};
        EXPECT_EQ(canvas.Pixel(inside.left, inside.top), c.inside);
        EXPECT_NE(canvas.Pixel(inside.left - 1, inside.top), c.inside);
        bool mark = false;
        for (int y = inside.top; y < inside.bottom; ++y) {
            for (int x = inside.left; x < inside.right; ++x) mark = mark || canvas.Pixel(x, y) != c.inside;
        }
        EXPECT_EQ(mark, c.mark);
    }
}

TEST(WinCheckBoxFitting, FittedWidthIsTextHeightPlusOne) {
    WinCheckBox box;
    box.SetText("A long caption that is never drawn");
    box.FitToText();
    EXPECT_GT(box.textHeight, 0);
    EXPECT_EQ(box.textWidth, box.textHeight + 1);
    EXPECT_EQ(box.outerWidth, box.textHeight + 1);  // no margins
}

TEST(WinStaticBoxDrawing, BackgroundBandAndTextColours) {
    ControlHost host;
    WinStaticBox label;
    label.SetText("Label");
    label.backgroundColour = RGB(250, 250, 200);
    host.Add(label, {10, 10, 90, 30});
    EXPECT_TRUE(label.Property().flags & kViewNotATabStop);
    struct Case {
        COLORREF band;
        UINT itemState;
        COLORREF text;
    } cases[] = {
        {kNoBand, 0, SystemColours().windowText},
        {RGB(200, 0, 0), 0, SystemColours().windowText},
        {RGB(200, 0, 0), ODS_DISABLED, kGrey},
    };
    for (const Case& c : cases) {
        label.bandColour = c.band;
        label.textColour = c.band == kNoBand ? SystemColours().windowText : RGB(0, 0, 255);
        const COLORREF text = c.text == kGrey ? kGrey : label.textColour;
        PixelCanvas canvas(80, 20);
        DrawInto(label, c.itemState, canvas);
        EXPECT_EQ(canvas.Pixel(79, 9), label.backgroundColour);
        EXPECT_EQ(canvas.Pixel(79, 10), c.band == kNoBand ? label.backgroundColour : c.band);
        EXPECT_EQ(canvas.Pixel(0, 19), c.band == kNoBand ? label.backgroundColour : c.band);
        // Left and top aligned inside margins of 2.
        EXPECT_TRUE(AnyPixel(canvas, {2, 2, 40, 18}, text));
        EXPECT_FALSE(AnyPixel(canvas, {0, 0, 2, 20}, text));
        EXPECT_FALSE(AnyPixel(canvas, {45, 0, 80, 20}, text));
    }
}

// ---- behaviour ----

TEST(WinButtonBehaviour, ConfigureButtonTurnsBackslashNIntoLineBreaks) {
    struct Case {
        RawString caption;
        const char* expected;
    } cases[] = {
        {"Check\\nAll", "Check\r\nAll"},
        {"\\n\\nx\\n", "\r\n\r\nx\r\n"},
        {"no break\\", "no break\\"},
        {RawString("Wide\\nText", RawLayer::Wide), "Wide\r\nText"},
        {"", "kept"},
    };
    for (const Case& c : cases) {
        WinButton button;
        button.SetText("kept");
        button.ConfigureButton(c.caption, 0x1005, 0x1101);
        EXPECT_TRUE(button.GetText().Equals(RawString(c.expected))) << c.expected;
        EXPECT_EQ(button.buttonStyle, 0x1005u);
        EXPECT_EQ(button.clickCode, 0x1101u);
    }
}

TEST(WinButtonBehaviour, ToggleFlipsOnAClickAndTwiceOnADoubleClick) {
    ButtonFixture fixture("Toggle", kButtonToggle);
    HWND window = fixture.button.Window();
    const LPARAM inside = MAKELPARAM(5, 5);
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, inside);
    PostMessageA(window, WM_LBUTTONUP, 0, inside);
    PumpMessages();
    EXPECT_EQ(fixture.button.checked, 1);
    EXPECT_EQ(fixture.host.CountNotices(0), 1);

    // A double click: down, up, double click, up.
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, inside);
    PostMessageA(window, WM_LBUTTONUP, 0, inside);
    PostMessageA(window, WM_LBUTTONDBLCLK, MK_LBUTTON, inside);
    PostMessageA(window, WM_LBUTTONUP, 0, inside);
    PumpMessages();
    EXPECT_EQ(fixture.host.CountNotices(0), 3);
    EXPECT_EQ(fixture.button.checked, 1);  // flipped twice
}

TEST(WinButtonBehaviour, ClickCodeArrivesAfterTheClick) {
    ButtonFixture fixture("Go", 0, 0x1100);
    SendMessageA(fixture.button.Window(), WM_COMMAND, MAKEWPARAM(fixture.button.Property().identifier, 0), 0);
    ASSERT_EQ(fixture.host.notices.size(), 1u);  // the code is posted, not sent
    PumpMessages();
    ASSERT_EQ(fixture.host.notices.size(), 2u);
    EXPECT_EQ(fixture.host.notices[0].child, &fixture.button);
    EXPECT_EQ(fixture.host.notices[0].code, 0);
    EXPECT_EQ(fixture.host.notices[1].child, &fixture.button);
    EXPECT_EQ(fixture.host.notices[1].code, 0x1100);
}

TEST(WinButtonBehaviour, EnterAndSpaceClickOnceAndArrowsNavigate) {
    ButtonFixture fixture;
    HWND window = fixture.button.Window();
    for (WPARAM key : {VK_RETURN, VK_SPACE}) {
        fixture.host.notices.clear();
        EXPECT_EQ(SendMessageA(window, WM_KEYDOWN, key, 0), 0);
        EXPECT_TRUE(fixture.host.notices.empty());
        SendMessageA(window, WM_KEYUP, key, 0);  // the system button saw no key press: no click of its own
        PumpMessages();
        EXPECT_EQ(fixture.host.CountNotices(0), 1) << key;
        EXPECT_EQ(fixture.host.notices.size(), 1u) << key;
    }
    const WPARAM identifier = static_cast<WPARAM>(fixture.button.Property().identifier);
    struct Case {
        WPARAM key;
        LPARAM backwards;
    } cases[] = {{VK_LEFT, 1}, {VK_UP, 1}, {VK_RIGHT, 0}, {VK_DOWN, 0}};
    for (const Case& c : cases) {
        fixture.host.navigations.clear();
        EXPECT_EQ(SendMessageA(window, WM_KEYDOWN, c.key, 0), 0);
        ASSERT_EQ(fixture.host.navigations.size(), 1u) << c.key;
        EXPECT_EQ(fixture.host.navigations[0].sender, identifier);
        EXPECT_EQ(fixture.host.navigations[0].backwards, c.backwards);
    }
}

TEST(WinButtonBehaviour, FocusFlagFollowsTheKeyboardFocus) {
    ButtonFixture fixture;
    WinButton other;
    fixture.host.Add(other, {100, 10, 160, 34});
    SetFocus(fixture.button.Window());
    EXPECT_EQ(fixture.button.focus, 1);
    SetFocus(other.Window());
    EXPECT_EQ(fixture.button.focus, 0);
    EXPECT_EQ(other.focus, 1);
}

// ---- resources ----

TEST(WinControlsResources, ThousandPaintsOfEveryControlLeaveNoGdiObjectBehind) {
    ControlHost host;
    WinButton button;
    button.ConfigureButton("Paint\\nme", 0xFF | kButtonToggle, 0x1100);
    host.Add(button, {0, 0, kWidth, kHeight});
    WinCheckBox check;
    host.Add(check, {0, 30, 16, 46});
    WinStaticBox label;
    label.SetText("Label");
    label.bandColour = RGB(0, 128, 0);
    host.Add(label, {0, 50, 80, 70});
    PixelCanvas canvas(kWidth, kHeight);
    const UINT states[] = {0, ODS_FOCUS, ODS_SELECTED, ODS_DISABLED};
    auto paintAll = [&](int rounds) {
        for (int i = 0; i < rounds; ++i) {
            const UINT state = states[i % 4];
            button.checked = check.checked = static_cast<uint8_t>(i & 1);
            DrawInto(button, state, canvas);
            DrawInto(check, state, canvas);
            DrawInto(label, state, canvas);
        }
    };
    paintAll(4);  // fonts and colour tables are made once, at first use
    const long live = LiveGdiObjects();
    const DWORD gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    paintAll(1000);
    EXPECT_EQ(LiveGdiObjects(), live);
    if (gdiObjects != 0) {  // zero: the platform does not count them
        EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdiObjects);
    }
}

// ---- pictures for a person to look at ----

namespace {

// Draws each variant into a cell of a grid and writes the grid as a PNG.
template <class DrawCell>
void WriteGrid(const char* name, int columns, int rows, SIZE cell, DrawCell drawCell) {
    constexpr int kGap = 4;
    PixelCanvas grid(columns * (cell.cx + kGap) + kGap, rows * (cell.cy + kGap) + kGap);
    grid.Fill(RGB(255, 255, 255));
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            PixelCanvas canvas(cell.cx, cell.cy);
            drawCell(column, row, canvas);
            BitBlt(grid.Get(), kGap + column * (cell.cx + kGap), kGap + row * (cell.cy + kGap), cell.cx, cell.cy,
                   canvas.Get(), 0, 0, SRCCOPY);
        }
    }
    const std::string path = WinLayerTest::ScreenFolder() + "/" + name;
    EXPECT_TRUE(grid.WritePng(path)) << path;
}

}  // namespace

TEST(WinControlsPictures, OnePicturePerControlFamily) {
    ControlHost host;
    const UINT states[] = {0, ODS_FOCUS, ODS_SELECTED | ODS_FOCUS, ODS_DISABLED};

    // Columns: style variants; rows: normal, focused, pushed, disabled, then the same checked.
    WinButton button;
    button.ConfigureButton("Check\\nAll", 0, 0);
    host.Add(button, {0, 0, 64, 32});
    button.FitToText();
    const uint32_t styles[] = {0, 0x1, 0x2, 0x4, 0x8, 0xF, 0x10, 0x20, 0x40, 0x80, 0xF0, 0xFF};
    WriteGrid("buttons.png", 12, 8, {64, 32}, [&](int column, int row, PixelCanvas& canvas) {
        button.buttonStyle = styles[column];
        button.checked = row >= 4 ? 1 : 0;
        DrawInto(button, states[row % 4], canvas);
    });

    WinCheckBox check;
    host.Add(check, {0, 40, 16, 56});
    WriteGrid("checkboxes.png", 4, 2, {16, 16}, [&](int column, int row, PixelCanvas& canvas) {
        check.checked = static_cast<uint8_t>(row);
        DrawInto(check, states[column], canvas);
    });

    WinStaticBox label;
    label.SetText("Static box");
    host.Add(label, {0, 60, 100, 80});
    label.FitToText();
    const COLORREF bands[] = {kNoBand, RGB(255, 200, 120)};
    WriteGrid("staticboxes.png", 2, 2, {100, 20}, [&](int column, int row, PixelCanvas& canvas) {
        label.bandColour = bands[column];
        DrawInto(label, row ? ODS_DISABLED : 0, canvas);
    });
}
