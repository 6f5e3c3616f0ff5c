// What the buttons, check boxes and static boxes draw, asked as their dialog asks them
// (WM_DRAWITEM into a memory canvas), and what they leave behind.
#include <gtest/gtest.h>

#include "WinLayer/ButtonColours.h"
#include "WinLayer/WinButton.h"
#include "WinLayer/WinCheckBox.h"
#include "WinLayer/WinDrawing.h"
#include "WinLayer/WinStaticBox.h"
#include "WinPixelSupport.h"

using RawLayer::RawString;
using namespace WinLayer;
using WinLayerTest::AnyPixel;
using WinLayerTest::DrawInto;
using WinLayerTest::PixelCanvas;

namespace {

constexpr int kWidth = 60;
constexpr int kHeight = 24;
constexpr COLORREF kGrey = 0xA0A0A0;
constexpr RECT kTextArea = {6, 4, kWidth - 6, kHeight - 4};  // inside the margins, clear of the bevels

COLORREF Face() { return SystemColours().face; }
COLORREF Text() { return SystemColours().windowText; }

bool Brighter(COLORREF a, COLORREF b) {
    return GetRValue(a) > GetRValue(b) && GetGValue(a) > GetGValue(b) && GetBValue(a) > GetBValue(b);
}

}  // namespace

TEST(ButtonColours, DerivedColoursFollowTheFaceColourAndTheDrawState) {
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
        EXPECT_EQ(table.For(kDrawDisabled).fillLower, c.d10);
        EXPECT_EQ(table.For(kDrawPushed | kDrawFocused).outerTopLeft, 0x000000u);  // pushed wins
        EXPECT_EQ(table.For(kDrawFocused | kDrawDisabled).outerTopLeft, 0xFF0000u);
        EXPECT_EQ(table.For(kDrawChecked).frameFillUpper, 0xFF27FFu);
        EXPECT_EQ(table.For(kDrawChecked | kDrawDisabled).frameFillLower, 0xFF00FFu);
        EXPECT_EQ(table.For(kDrawDisabled).frameFillLower, c.d10);
    }
}

TEST(WinButtonDrawing, StatesDrawTheirBevelFillHighlightAndText) {
    WinButton button;
    button.ConfigureButton("OK", 0, 0);
    const ButtonColourTable& table = SystemButtonColours();
    struct Case {
        const char* name;
        UINT itemState;
        uint32_t drawState;
        COLORREF text;
    } cases[] = {
        {"normal", 0, 0, Text()},
        {"focused", ODS_FOCUS, kDrawFocused, Text()},
        {"pushed", ODS_SELECTED | ODS_FOCUS, kDrawPushed, Text()},
        {"disabled", ODS_DISABLED, kDrawDisabled, kGrey},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ButtonColours& colours = table.For(c.drawState);
        PixelCanvas canvas(kWidth, kHeight);
        DrawInto(button, c.itemState, canvas);
        EXPECT_EQ(canvas.Pixel(0, 0), colours.outerTopLeft);
        EXPECT_EQ(canvas.Pixel(0, 12), colours.outerTopLeft);
        EXPECT_EQ(canvas.Pixel(kWidth - 1, kHeight - 1), colours.outerBottomRight);
        EXPECT_EQ(canvas.Pixel(1, 12), colours.innerTopLeft);
        EXPECT_EQ(canvas.Pixel(kWidth - 2, 12), colours.innerBottomRight);
        // The two-tone fill splits at half the height.
        EXPECT_EQ(canvas.Pixel(6, kHeight / 2 - 1), colours.fillUpper);
        EXPECT_EQ(canvas.Pixel(6, kHeight / 2), colours.fillLower);
        // The highlight: a light dot near the top-left corner.
        EXPECT_EQ(Brighter(canvas.Pixel(3, 3), colours.fillUpper), colours.highlight);
        EXPECT_TRUE(AnyPixel(canvas, kTextArea, c.text));
        EXPECT_EQ(AnyPixel(canvas, kTextArea, Text()), c.text == Text());
    }
}

TEST(WinButtonDrawing, RoundCornersLeaveTheFaceColourOutsideTheArc) {
    const POINT corners[] = {{0, 0}, {0, kHeight - 1}, {kWidth - 1, 0}, {kWidth - 1, kHeight - 1}};
    const uint32_t bits[] = {kButtonRoundTopLeft, kButtonRoundBottomLeft, kButtonRoundTopRight,
                             kButtonRoundBottomRight};
    WinButton button;
    for (uint32_t style : {0x1u, 0x2u, 0x4u, 0x8u, 0xFu}) {
        button.buttonStyle = style;
        PixelCanvas canvas(kWidth, kHeight);
        DrawInto(button, 0, canvas);
        for (int i = 0; i < 4; ++i) {
            const POINT p = corners[i];
            SCOPED_TRACE(testing::Message() << "style " << style << " corner " << i);
            EXPECT_EQ(canvas.Pixel(p.x, p.y) == Face(), (style & bits[i]) != 0);
            EXPECT_NE(canvas.Pixel(p.x ? p.x - 3 : 3, p.y), Face());  // the edge goes on beside the arc
        }
    }
}

// Each frame bit moves its edge of the face in by two pixels; the strip between the outlines
// shows the frame fill: the fill colours, or the checked colours even when disabled.
TEST(WinButtonDrawing, FramesShowTheCheckedFillEvenWhenDisabled) {
    const ButtonColourTable& table = SystemButtonColours();
    struct Case {
        uint32_t frames;
        uint8_t checked;
        UINT itemState;
        POINT faceCorner, strip, frameEdge;  // the frame's own outline just outside the strip
        COLORREF faceOuter, stripColour, frameEdgeColour, text;
    } cases[] = {
        {kButtonFrameLeft, 1, ODS_FOCUS, {2, 0}, {1, 5}, {0, 5}, 0xFF0000, 0xFF27FF, 0x808080, Text()},
        {kButtonFrameRight, 1, ODS_FOCUS, {0, 0}, {kWidth - 2, 20}, {kWidth - 1, 20}, 0xFF0000, 0xFF00FF, 0, Text()},
        {kButtonFrameTop, 1, ODS_FOCUS, {0, 2}, {30, 1}, {30, 0}, 0xFF0000, 0xFF27FF, 0x808080, Text()},
        {kButtonFrameBottom, 1, ODS_FOCUS, {0, 0}, {30, kHeight - 2}, {30, kHeight - 1}, 0xFF0000, 0xFF00FF, 0, Text()},
        {kButtonFrames, 0, 0, {2, 2}, {1, 20}, {0, 20}, 0x808080, table.For(0).fillLower, 0x808080, Text()},
        {kButtonFrames, 1, ODS_DISABLED, {2, 2}, {1, 5}, {0, 5}, 0xC0C0C0, 0xFF27FF, 0x808080, kGrey},
    };
    WinButton button;
    button.ConfigureButton("Set", 0, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "frames " << c.frames << " state " << c.itemState);
        button.buttonStyle = c.frames | kButtonToggle;
        button.checked = c.checked;
        PixelCanvas canvas(kWidth, kHeight);
        DrawInto(button, c.itemState, canvas);
        EXPECT_EQ(canvas.Pixel(c.faceCorner.x, c.faceCorner.y), c.faceOuter);
        EXPECT_EQ(canvas.Pixel(c.strip.x, c.strip.y), c.stripColour);
        EXPECT_EQ(canvas.Pixel(c.frameEdge.x, c.frameEdge.y), c.frameEdgeColour);
        EXPECT_TRUE(AnyPixel(canvas, kTextArea, c.text));
    }
}

TEST(WinCheckBoxDrawing, SquareShowsCheckedAndInactiveStates) {
    WinCheckBox box;
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
        EXPECT_EQ(AnyPixel(canvas, inside, c.inside, false), c.mark);
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
    WinStaticBox label;
    label.SetText("Label");
    label.backgroundColour = RGB(250, 250, 200);
    label.textColour = RGB(0, 0, 255);
    EXPECT_TRUE(label.Property().flags & kViewNotATabStop);
    struct Case {
        COLORREF band;
        UINT itemState;
        COLORREF text;
    } cases[] = {
        {kNoBand, 0, RGB(0, 0, 255)},
        {RGB(200, 0, 0), 0, RGB(0, 0, 255)},
        {RGB(200, 0, 0), ODS_DISABLED, kGrey},
    };
    for (const Case& c : cases) {
        label.bandColour = c.band;
        const COLORREF lower = c.band == kNoBand ? label.backgroundColour : c.band;
        PixelCanvas canvas(80, 20);
        DrawInto(label, c.itemState, canvas);
        EXPECT_EQ(canvas.Pixel(79, 9), label.backgroundColour);
        EXPECT_EQ(canvas.Pixel(79, 10), lower);
        EXPECT_EQ(canvas.Pixel(0, 19), lower);
        // Left and top aligned inside margins of 2.
        EXPECT_TRUE(AnyPixel(canvas, {2, 2, 40, 18}, c.text));
        EXPECT_FALSE(AnyPixel(canvas, {0, 0, 2, 20}, c.text));
        EXPECT_FALSE(AnyPixel(canvas, {45, 0, 80, 20}, c.text));
    }
}

TEST(WinButtonConfigure, BackslashNBecomesALineBreak) {
    struct Case {
        RawString caption;
        const char* expected;
    } cases[] = {
        {"Check\\nAll", "Check\r\nAll"},
        {"\\n\\nx\\n", "\r\n\r\nx\r\n"},
        {"no break\\", "no break\\"},
        {RawString("Wide\\nText", RawLayer::Wide), "Wide\r\nText"},
        {"", "kept"},  // an empty caption leaves the text
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

// The platform cannot count a process's GDI objects under Wine (GetGuiResources answers 0):
// the owners' count then shows both a missed release and a deletion refused because the object
// was still selected.
TEST(WinControlsResources, ThousandPaintsOfEveryControlLeaveNoGdiObjectBehind) {
    WinButton button;
    button.ConfigureButton("Paint\\nme", 0xFF | kButtonToggle, 0x1100);
    WinCheckBox check;
    WinStaticBox label;
    label.SetText("Label");
    label.bandColour = RGB(0, 128, 0);
    PixelCanvas canvas(kWidth, kHeight);
    const UINT states[] = {0, ODS_FOCUS, ODS_SELECTED, ODS_DISABLED};
    auto paintAll = [&](int rounds) {
        for (int i = 0; i < rounds; ++i) {
            button.checked = check.checked = static_cast<uint8_t>(i & 1);
            for (WinView* control :
                 {static_cast<WinView*>(&button), static_cast<WinView*>(&check), static_cast<WinView*>(&label)}) {
                DrawInto(*control, states[i % 4], canvas);
            }
        }
    };
    paintAll(4);  // fonts and colour tables are made once, at first use
    const long live = LiveGdiObjects();
    const DWORD gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    paintAll(1000);
    EXPECT_EQ(LiveGdiObjects(), live);
    if (gdiObjects != 0) {
        EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdiObjects);
    }
}

namespace {

// The pixels of every cell drawn into a grid, so a test can tell which cells look alike.
struct CellPrints {
    int columns;
    std::vector<std::vector<COLORREF>> cells;
    explicit CellPrints(int columnCount, int rowCount)
        : columns(columnCount), cells(static_cast<size_t>(columnCount * rowCount)) {}
    void Keep(int column, int row, const PixelCanvas& cell) {
        std::vector<COLORREF>& pixels = cells[static_cast<size_t>(row * columns + column)];
        for (int y = 0; y < cell.Height(); ++y) {
            for (int x = 0; x < cell.Width(); ++x) pixels.push_back(cell.Pixel(x, y));
        }
    }
    const std::vector<COLORREF>& At(int column, int row) const {
        return cells[static_cast<size_t>(row * columns + column)];
    }
};

}  // namespace

// One picture per control family under the build folder, for a person to look at; every
// variant and state it names is drawn differently from its neighbours in the picture.
TEST(WinControlsPictures, OnePicturePerControlFamily) {
    const UINT states[] = {0, ODS_FOCUS, ODS_SELECTED | ODS_FOCUS, ODS_DISABLED};
    // Columns: style variants; rows: normal, focused, pushed, disabled, then the same checked.
    WinButton button;
    button.ConfigureButton("Check\\nAll", 0, 0);
    button.alignment |= kAlignMultiLine;
    const uint32_t styles[] = {0, 0x1, 0x2, 0x4, 0x8, 0xF, 0x10, 0x20, 0x40, 0x80, 0xF0, 0xFF};
    CellPrints buttons(12, 8);
    EXPECT_TRUE(WinLayerTest::WriteGrid("buttons.png", 12, 8, {64, 32}, [&](int column, int row, PixelCanvas& cell) {
        button.buttonStyle = styles[column];
        button.checked = row >= 4 ? 1 : 0;
        DrawInto(button, states[row % 4], cell);
        buttons.Keep(column, row, cell);
    }));
    for (int row = 0; row < 8; ++row) {
        for (int column = 0; column < 12; ++column) {
            for (int other = column + 1; other < 12; ++other) {
                EXPECT_NE(buttons.At(column, row), buttons.At(other, row))
                    << "styles " << styles[column] << ", " << styles[other] << " in row " << row;
            }
            // The four states differ; the checked state shows only in a frame.
            for (int other = row + 1; other < 8; ++other) {
                const bool alike = other == row + 4 && !(styles[column] & kButtonFrames);
                if (alike) {
                    EXPECT_EQ(buttons.At(column, row), buttons.At(column, other)) << "style " << styles[column];
                } else {
                    EXPECT_NE(buttons.At(column, row), buttons.At(column, other))
                        << "rows " << row << ", " << other << " of style " << styles[column];
                }
            }
        }
    }
    WinCheckBox check;
    CellPrints checks(4, 2);
    EXPECT_TRUE(WinLayerTest::WriteGrid("checkboxes.png", 4, 2, {16, 16}, [&](int column, int row, PixelCanvas& cell) {
        check.checked = static_cast<uint8_t>(row);
        DrawInto(check, states[column], cell);
        checks.Keep(column, row, cell);
    }));
    for (int column = 0; column < 4; ++column) {
        EXPECT_NE(checks.At(column, 0), checks.At(column, 1)) << "checked and unchecked alike in state " << column;
        if (column < 3) {
            EXPECT_NE(checks.At(column, 0), checks.At(3, 0)) << "state " << column << " like disabled";
        }
    }
    WinStaticBox label;
    label.SetText("Static box");
    const COLORREF bands[] = {kNoBand, RGB(255, 200, 120)};
    CellPrints labels(2, 2);
    EXPECT_TRUE(
        WinLayerTest::WriteGrid("staticboxes.png", 2, 2, {100, 20}, [&](int column, int row, PixelCanvas& cell) {
            label.bandColour = bands[column];
            DrawInto(label, row ? ODS_DISABLED : 0, cell);
            labels.Keep(column, row, cell);
        }));
    for (int cell = 0; cell < 4; ++cell) {
        for (int other = cell + 1; other < 4; ++other) {
            EXPECT_NE(labels.At(cell % 2, cell / 2), labels.At(other % 2, other / 2)) << cell << " and " << other;
        }
    }
}
