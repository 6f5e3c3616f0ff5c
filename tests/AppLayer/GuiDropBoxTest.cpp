#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "AppLayer/GuiDropBox.h"
#include "RawLayer/ShellDrop.h"
#include "WinLayer/WinControlHost.h"
#include "WinLayer/WinDrawing.h"
#include "WinLayer/WinGdiObjects.h"
#include "WinLayer/WinPixelSupport.h"
#include "WinLayer/WinTestSupport.h"

using AppLayer::GuiDropBox;
using RawLayer::RawString;
using RawLayer::RawStringList;
using ShellDrop::IsAllocated;
using ShellDrop::MakeDrop;
using WinLayerTest::ControlHost;
using WinLayerTest::DrawInto;
using WinLayerTest::PixelCanvas;
using WinLayerTest::PumpMessages;

namespace {

constexpr uint16_t kSourceCommand = 4364;
constexpr uint16_t kTargetCommand = 4365;
constexpr COLORREF kFrame = 0xC0C0C0;
constexpr COLORREF kGrey = 0xA0A0A0;
constexpr int kWidth = 160;
constexpr int kHeight = 48;

const char* const kSourcePrompt = "Drop \nsource file !";
const char* const kTargetPrompt = "Drop target files !";

std::vector<std::wstring> WideNames(const RawStringList& list) {
    std::vector<std::wstring> names;
    for (const RawString& name : list) {
        RawString wide(name, RawLayer::Wide);
        names.emplace_back(wide.WideUnits(), static_cast<size_t>(wide.Length()));
    }
    return names;
}

// The shaded face worked out here from the system colour: each channel v - v * 10 / 256.
COLORREF ExpectedShade() {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    auto shade = [](int v) { return v - v * 10 / 256; };
    return RGB(shade(GetRValue(face)), shade(GetGValue(face)), shade(GetBValue(face)));
}

// A target box in a stand-in dialog, as the main dialog sets one up.
struct DropBoxFixture {
    ControlHost host;
    GuiDropBox box;
    explicit DropBoxFixture(const char* prompt = kTargetPrompt, uint16_t command = kTargetCommand) {
        box.SetText(prompt);
        box.SetCommandNumber(command);
        box.SetLineMargin(1);
        box.Property().exStyle |= WS_EX_ACCEPTFILES;
        box.FitToText();
        host.Add(box, {10, 10, 10 + kWidth, 10 + kHeight});
    }
    // Delivered as the system delivers a drop: posted to the box's window, through the loop.
    void Drop(HDROP drop) {
        PostMessageW(box.Window(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
        PumpMessages();
    }
};

// Rows of the canvas that hold a pixel of the colour (or, with differs, of any other colour)
// inside the frame.
std::vector<int> RowsWith(const PixelCanvas& canvas, COLORREF colour, bool differs = false) {
    std::vector<int> rows;
    for (int y = 1; y < canvas.Height() - 1; ++y) {
        for (int x = 1; x < canvas.Width() - 1; ++x) {
            if ((canvas.Pixel(x, y) == colour) != differs) {
                rows.push_back(y);
                break;
            }
        }
    }
    return rows;
}

// First rows of the runs of consecutive rows.
std::vector<int> RunStarts(const std::vector<int>& rows) {
    std::vector<int> starts;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (i == 0 || rows[i] != rows[i - 1] + 1) starts.push_back(rows[i]);
    }
    return starts;
}

}  // namespace

// ---- drops ----

TEST(GuiDropBoxDrop, KeepsEveryNameWholeAndTellsTheDialogOnce) {
    DropBoxFixture fixture;
    const std::wstring longName = L"C:\\" + std::wstring(280, L'l') + L"\\" + std::wstring(200, L'm') + L".txt";
    const std::vector<std::wstring> names = {longName, L"C:\\users\\Public", L"C:\\d\\\u0141\u00F3d\u017A \u20AC.txt",
                                             L"C:\\z.txt"};
    HDROP drop = MakeDrop(names);
    fixture.Drop(drop);

    EXPECT_EQ(WideNames(fixture.box.DroppedNames()), names);
    ASSERT_EQ(fixture.host.notices.size(), 1u);
    EXPECT_EQ(fixture.host.notices[0].child, &fixture.box);
    EXPECT_EQ(fixture.host.notices[0].code, kTargetCommand);
    EXPECT_FALSE(IsAllocated(drop));
}

TEST(GuiDropBoxDrop, ANewDropReplacesTheLastOne) {
    DropBoxFixture fixture(kSourcePrompt, kSourceCommand);
    fixture.Drop(MakeDrop({L"C:\\a", L"C:\\b", L"C:\\c"}));
    const RawStringList first = fixture.box.DroppedNames();  // as a dialog may keep it
    fixture.Drop(MakeDrop({L"C:\\d"}));

    EXPECT_EQ(WideNames(fixture.box.DroppedNames()), std::vector<std::wstring>{L"C:\\d"});
    EXPECT_EQ(WideNames(first), (std::vector<std::wstring>{L"C:\\a", L"C:\\b", L"C:\\c"}));
    EXPECT_EQ(fixture.host.CountNotices(kSourceCommand), 2);
}

// The shell's block is freed whatever the drop brings or whatever state the box is in.
TEST(GuiDropBoxDrop, EveryDropIsFinished) {
    DropBoxFixture fixture;
    fixture.Drop(MakeDrop({L"C:\\kept"}));

    // A drop of no names empties the list and is still reported.
    HDROP empty = MakeDrop({});
    fixture.Drop(empty);
    EXPECT_FALSE(IsAllocated(empty));
    EXPECT_EQ(fixture.box.DroppedNames().Count(), 0);
    EXPECT_EQ(fixture.host.CountNotices(kTargetCommand), 2);

    // A disabled box takes nothing and reports nothing.
    fixture.Drop(MakeDrop({L"C:\\kept"}));
    EnableWindow(fixture.box.Window(), FALSE);
    HDROP refused = MakeDrop({L"C:\\refused"});
    fixture.Drop(refused);
    EXPECT_FALSE(IsAllocated(refused));
    EXPECT_EQ(WideNames(fixture.box.DroppedNames()), std::vector<std::wstring>{L"C:\\kept"});
    EXPECT_EQ(fixture.host.CountNotices(kTargetCommand), 3);
    EnableWindow(fixture.box.Window(), TRUE);

    // No handle at all: nothing to read, nothing to free, no crash.
    fixture.Drop(nullptr);
    EXPECT_EQ(fixture.box.DroppedNames().Count(), 0);
}

// ---- fitting ----

TEST(GuiDropBoxFitting, HeightCountsTheLineMarginBetweenLines) {
    GuiDropBox box;  // no window yet: the dialog fits its boxes before creating them
    box.SetText(kSourcePrompt);
    box.FitToText();
    const int32_t plain = box.textHeight;
    const int32_t lineHeight = box.LineHeight();
    ASSERT_GT(lineHeight, 0);
    EXPECT_EQ(plain, 2 * lineHeight);

    box.SetLineMargin(5);
    box.FitToText();
    EXPECT_EQ(box.textHeight, plain + 5);
    EXPECT_EQ(box.LineHeight(), lineHeight);
    EXPECT_EQ(box.outerHeight, plain + 5 + 4);  // margins 2 and 2, no border

    box.SetText(kTargetPrompt);
    box.FitToText();
    EXPECT_EQ(box.textHeight, lineHeight);

    ControlHost host;
    box.SetText(kSourcePrompt);
    host.Add(box, {0, 0, kWidth, kHeight});
    box.FitToText();
    EXPECT_EQ(box.textHeight, plain + 5);
}

// ---- drawing ----

TEST(GuiDropBoxDrawing, ShadedFramedAndGreyWhenDisabled) {
    DropBoxFixture fixture;
    struct Case {
        UINT itemState;
        COLORREF text;
        COLORREF absent;  // smoothed edges of dark text may well hit the grey, so only this way round
    } cases[] = {
        {0, GetSysColor(COLOR_WINDOWTEXT), CLR_INVALID},
        {ODS_DISABLED, kGrey, GetSysColor(COLOR_WINDOWTEXT)},
        {ODS_GRAYED, kGrey, GetSysColor(COLOR_WINDOWTEXT)},
    };
    for (const Case& c : cases) {
        PixelCanvas canvas(kWidth, kHeight);
        canvas.Fill(RGB(1, 2, 3));
        DrawInto(fixture.box, c.itemState, canvas);
        for (POINT p : {POINT{0, 0}, POINT{kWidth - 1, 0}, POINT{0, kHeight - 1}, POINT{kWidth - 1, kHeight - 1},
                        POINT{kWidth / 2, 0}, POINT{0, kHeight / 2}, POINT{kWidth - 1, kHeight / 2}}) {
            EXPECT_EQ(canvas.Pixel(p.x, p.y), kFrame) << p.x << "," << p.y;
        }
        EXPECT_EQ(canvas.Pixel(1, 1), ExpectedShade());
        EXPECT_EQ(canvas.Pixel(kWidth - 2, kHeight - 2), ExpectedShade());
        EXPECT_FALSE(RowsWith(canvas, c.text).empty()) << c.itemState;
        if (c.absent != CLR_INVALID) {
            EXPECT_TRUE(RowsWith(canvas, c.absent).empty()) << c.itemState;
        }
    }
}

// The whole road: the system control paints, its parent gets WM_DRAWITEM and hands it over.
TEST(GuiDropBoxDrawing, SystemPaintReachesTheBoxThroughTheParent) {
    DropBoxFixture fixture;
    PixelCanvas canvas(kWidth, kHeight);
    canvas.Fill(RGB(1, 2, 3));
    SendMessageW(fixture.box.Window(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Get()), PRF_CLIENT);
    EXPECT_EQ(canvas.Pixel(0, 0), kFrame);
    EXPECT_EQ(canvas.Pixel(1, 1), ExpectedShade());
}

// Lines sit a line height plus the line margin apart, the block centred in the box.
TEST(GuiDropBoxDrawing, LinesAreALineHeightPlusMarginApart) {
    GuiDropBox box;  // drawn before it was ever fitted: the line height is measured on demand
    box.SetText("A\nA");
    auto lineStarts = [&](int32_t margin) {
        box.SetLineMargin(margin);
        PixelCanvas canvas(kWidth, 80);
        DrawInto(box, 0, canvas);
        return RunStarts(RowsWith(canvas, ExpectedShade(), true));
    };
    const std::vector<int> tight = lineStarts(0);
    ASSERT_EQ(tight.size(), 2u);
    EXPECT_EQ(tight[1] - tight[0], box.LineHeight());
    const std::vector<int> loose = lineStarts(8);
    ASSERT_EQ(loose.size(), 2u);
    EXPECT_EQ(loose[1] - loose[0], box.LineHeight() + 8);
    EXPECT_EQ(loose[0], tight[0] - 4);  // the taller block stays centred
}

TEST(GuiDropBoxDrawing, PaintsAndDropsReleaseWhatTheyTake) {
    DropBoxFixture fixture(kSourcePrompt, kSourceCommand);
    PixelCanvas canvas(kWidth, kHeight);
    DrawInto(fixture.box, 0, canvas);  // colours and fonts are made once, at first use
    const long live = WinLayer::LiveGdiObjects();
    std::vector<HDROP> drops;
    for (int i = 0; i < 300; ++i) {
        drops.push_back(MakeDrop({L"C:\\one", L"C:\\two"}));
        fixture.Drop(drops.back());
        DrawInto(fixture.box, (i & 1) ? ODS_DISABLED : 0, canvas);
        EXPECT_FALSE(IsAllocated(drops.back()));
    }
    EXPECT_EQ(WinLayer::LiveGdiObjects(), live);
    EXPECT_EQ(fixture.host.CountNotices(kSourceCommand), 300);
}

// The picture shows what its cells are named for: the source prompt on two lines and the target
// prompt on one, in window text when enabled and only in grey when disabled.
TEST(GuiDropBoxPictures, SourceAndTargetBoxesEnabledAndDisabled) {
    constexpr int kGap = 4;
    PixelCanvas picture(2 * kWidth + 3 * kGap, 2 * kHeight + 3 * kGap);
    picture.Fill(GetSysColor(COLOR_BTNFACE));
    const char* prompts[] = {kSourcePrompt, kTargetPrompt};
    const size_t lines[] = {2, 1};
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    for (int row = 0; row < 2; ++row) {
        DropBoxFixture fixture(prompts[row]);
        for (int column = 0; column < 2; ++column) {
            PixelCanvas canvas(kWidth, kHeight);
            DrawInto(fixture.box, column ? ODS_DISABLED : 0, canvas);
            const char* cell = column ? "disabled" : "enabled";
            EXPECT_EQ(RunStarts(RowsWith(canvas, ExpectedShade(), true)).size(), lines[row]) << prompts[row] << cell;
            EXPECT_EQ(RowsWith(canvas, column ? kGrey : text).empty(), false) << prompts[row] << cell;
            if (column) {
                EXPECT_TRUE(RowsWith(canvas, text).empty()) << prompts[row];
            }
            BitBlt(picture.Get(), kGap + column * (kWidth + kGap), kGap + row * (kHeight + kGap), kWidth, kHeight,
                   canvas.Get(), 0, 0, SRCCOPY);
        }
    }
    EXPECT_TRUE(WinLayerTest::WritePicture(picture, "GuiDropBox.png"));
}
