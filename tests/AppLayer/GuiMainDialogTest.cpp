// The main dialog's controls, texts and layout, built in-process: the 26 controls in order, the
// texts from the language file, the rectangles, how they follow a resize, the least size, where
// the window is placed, and a picture of it.
#include <gtest/gtest.h>

#include <string>

#include "AppLayer/GuiMainDialog.h"
#include "GuiMainDialogFixture.h"
#include "WinLayer/WinEnvironment.h"
#include "WinLayer/WinPixelSupport.h"

using namespace AppLayer;
using AppLayerTest::LanguageFileScope;
using AppLayerTest::MainDialogFixture;
using AppLayerTest::Raw;
using AppLayerTest::Text;
using WinLayer::WinView;
using WinLayerTest::PumpMessages;

namespace {

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

std::string Shown(const WinView& view) { return Text(view.GetText()); }

// The rows of a dialog as a list, for checks that hold for each.
std::vector<GuiTimeRow*> TimeRows(GuiMainControls& c) { return {&c.date, &c.time, &c.msec}; }
std::vector<GuiOptionRow*> OptionRows(GuiMainControls& c) { return {&c.utc, &c.creation, &c.lastWrite, &c.lastAccess}; }

// The client area as it is on the screen.
void Capture(HWND window, WinLayerTest::PixelCanvas& canvas) {
    HDC screen = GetDC(window);
    BitBlt(canvas.Get(), 0, 0, canvas.Width(), canvas.Height(), screen, 0, 0, SRCCOPY);
    ReleaseDC(window, screen);
}

void ShowAndPaint(HWND window) {
    SetForegroundWindow(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages();
    Sleep(300);  // the X server draws what it was sent
    PumpMessages();
}

}  // namespace

TEST(GuiMainDialogLayout, TwentySixControlsInTableOrderWithDefaultTextsAndPlaces) {
    MainDialogFixture fixture(kPartMask | ShowUtc | SetLastWrite);  // shown in UTC in every zone
    ASSERT_TRUE(fixture.Start());
    GuiMainControls& c = fixture.Controls();

    // Children in table order, numbered from 2500, every one a window of the dialog.
    const auto order = c.InOrder();
    ASSERT_EQ(fixture.dialog->Children().Count(), kMainControlCount);
    int index = 0;
    for (WinView& child : fixture.dialog->Children()) {
        EXPECT_EQ(&child, order[index]) << index;
        EXPECT_EQ(child.Property().identifier, 2500 + index);
        EXPECT_EQ(GetParent(child.Window()), fixture.Window()) << index;
        ++index;
    }
    HWND previous = nullptr;  // creation order is also the windows' z-order
    for (WinView* child : order) {
        EXPECT_EQ(GetWindow(child->Window(), GW_HWNDPREV), previous);
        previous = child->Window();
    }

    // Texts: the defaults, the boxes already showing the settings' value.
    EXPECT_EQ(Shown(c.date.tag), "Date:");
    EXPECT_EQ(Shown(c.time.select), "select");
    EXPECT_EQ(Shown(c.msec.select), "clear");
    EXPECT_EQ(Shown(c.msec.current), "now");
    EXPECT_EQ(Shown(c.utc.tag), "Show date and time by UTC.");
    EXPECT_EQ(Shown(c.lastAccess.tag), "Modify last access time of files.");
    EXPECT_EQ(Shown(c.sourceBox), "Drop \r\nsource file !");
    EXPECT_EQ(Shown(c.targetBox), "Drop target files !");
    EXPECT_EQ(Shown(c.closeButton), "Close");
    EXPECT_EQ(Shown(c.date.use), "");
    EXPECT_EQ(Shown(c.date.box), "2001/02/03");
    EXPECT_EQ(Shown(c.time.box), "04:05:06");
    EXPECT_EQ(Shown(c.msec.box), "789");
    wchar_t title[32] = {};
    GetWindowTextW(fixture.Window(), title, 32);
    EXPECT_EQ(std::wstring(title), L"Kairodex");

    // Where each control stands, in client coordinates, after the first layout.
    const int m = WinLayer::Environment().StandardGap();
    for (WinView* child : order) {
        const RECT placed = fixture.WindowRectOf(*child);
        EXPECT_TRUE(EqualRect(&placed, &child->viewRect)) << child->Property().identifier;
    }
    EXPECT_EQ(c.date.use.viewRect.left, m);
    EXPECT_EQ(c.date.use.viewRect.top, m);
    for (GuiTimeRow* row : TimeRows(c)) {
        EXPECT_EQ(row->tag.viewRect.left, row->use.viewRect.right);
        EXPECT_EQ(row->box.viewRect.left, row->tag.viewRect.right + m);
        EXPECT_EQ(row->select.viewRect.left, row->box.viewRect.right + m);
        EXPECT_EQ(row->current.viewRect.left, row->select.viewRect.right);
        // Shared columns; the narrower boxes widened to the date box.
        EXPECT_EQ(row->tag.viewRect.right, c.date.tag.viewRect.right);
        EXPECT_EQ(row->box.viewRect.right, c.date.box.viewRect.right);
        EXPECT_GE(Width(row->box.viewRect), row->box.outerWidth);
        EXPECT_EQ(row->current.viewRect.right, c.date.current.viewRect.right);
    }
    EXPECT_EQ(c.time.box.viewRect.top, c.date.box.viewRect.bottom + m);
    EXPECT_EQ(c.msec.box.viewRect.top, c.time.box.viewRect.bottom + m);
    EXPECT_EQ(c.sourceBox.viewRect.left, c.date.current.viewRect.right + m);
    EXPECT_EQ(c.sourceBox.viewRect.top, m);
    EXPECT_EQ(c.sourceBox.viewRect.bottom, std::max<LONG>(c.msec.box.viewRect.bottom, m + c.sourceBox.outerHeight));
    const int right = c.sourceBox.viewRect.right;
    EXPECT_EQ(c.utc.check.viewRect.top, c.sourceBox.viewRect.bottom + m);
    for (GuiOptionRow* row : OptionRows(c)) {
        EXPECT_EQ(row->check.viewRect.left, m);
        EXPECT_EQ(row->tag.viewRect.left, row->check.viewRect.right);
        EXPECT_EQ(row->tag.viewRect.right, right);  // widened with the group
    }
    EXPECT_EQ(c.creation.check.viewRect.top, c.utc.check.viewRect.bottom);
    EXPECT_EQ(c.targetBox.viewRect.top, c.lastAccess.tag.viewRect.bottom + m / 2 + m);
    EXPECT_EQ(c.targetBox.viewRect.left, m);
    EXPECT_EQ(c.targetBox.viewRect.right, right);
    EXPECT_EQ(Height(c.targetBox.viewRect), 2 * c.targetBox.outerHeight);
    EXPECT_EQ(c.closeButton.viewRect.top, c.targetBox.viewRect.bottom + m);
    EXPECT_EQ(c.closeButton.viewRect.right, right);
    EXPECT_EQ(Height(c.closeButton.viewRect), c.closeButton.outerHeight * 3 / 2);
    RECT client = {};
    GetClientRect(fixture.Window(), &client);
    EXPECT_EQ(client.right, right + m);
    EXPECT_EQ(client.bottom, c.closeButton.viewRect.bottom + m);
}

TEST(GuiMainDialogLayout, TextsFromTheLanguageFileWidenTheTimeRowsAlike) {
    TempFolder folder;  // a language file that translates one label and blanks one button
    TempFolder::Write(folder.Below(L"LanguageFile.ini"),
                      "[LangMap]\r\nTest=0x0409\r\n[Test]\r\nMainDlg_TimeTag=A much longer label for the time:\r\n"
                      "MainDlg_DateSelect=\r\n");
    int plainLabel = 0, plainBoxLeft = 0;
    {
        MainDialogFixture plain;
        plain.Start();
        plainLabel = Width(plain.Controls().time.tag.viewRect);
        plainBoxLeft = plain.Controls().time.box.viewRect.left;
    }
    LanguageFileScope scope(folder.Below(L"LanguageFile.ini"), "Test");
    MainDialogFixture fixture;
    ASSERT_TRUE(fixture.Start());
    GuiMainControls& c = fixture.Controls();
    EXPECT_EQ(Shown(c.time.tag), "A much longer label for the time:");
    EXPECT_EQ(Shown(c.date.select), "select");  // an empty text keeps the default
    EXPECT_EQ(Shown(c.closeButton), "Close");   // a text the file lacks is the default
    EXPECT_GT(Width(c.time.tag.viewRect), plainLabel);
    for (GuiTimeRow* row : TimeRows(c)) {
        EXPECT_EQ(Width(row->tag.viewRect), Width(c.time.tag.viewRect));
        EXPECT_EQ(row->box.viewRect.left, c.time.box.viewRect.left);
        EXPECT_GE(Width(row->box.viewRect), row->box.outerWidth);  // never below the template's width
    }
    EXPECT_EQ(c.time.box.viewRect.left - plainBoxLeft, Width(c.time.tag.viewRect) - plainLabel);
}

TEST(GuiMainDialogLayout, EnlargingWidensTheRowsMovesTheButtonsAndGrowsOnlyTheTargetBoxInHeight) {
    MainDialogFixture fixture;
    ASSERT_TRUE(fixture.Start());
    GuiMainControls& c = fixture.Controls();
    std::vector<RECT> before;
    for (WinView* child : c.InOrder()) before.push_back(child->viewRect);
    RECT window = {};
    GetWindowRect(fixture.Window(), &window);
    const int dx = 100, dy = 80;
    SetWindowPos(fixture.Window(), nullptr, 0, 0, Width(window) + dx, Height(window) + dy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PumpMessages();

    auto moved = [&](const WinView& view) {
        const auto order = c.InOrder();
        for (size_t i = 0; i < order.size(); ++i) {
            if (order[i] == &view) {
                const RECT& was = before[i];
                const RECT placed = fixture.WindowRectOf(view);
                EXPECT_TRUE(EqualRect(&placed, &view.viewRect)) << i;
                return RECT{view.viewRect.left - was.left, view.viewRect.top - was.top, view.viewRect.right - was.right,
                            view.viewRect.bottom - was.bottom};
            }
        }
        return RECT{};
    };
    auto expect = [&](const WinView& view, RECT delta, const char* what) {
        const RECT d = moved(view);
        EXPECT_TRUE(EqualRect(&d, &delta))
            << what << ": " << d.left << "," << d.top << "," << d.right << "," << d.bottom;
    };
    for (GuiTimeRow* row : TimeRows(c)) {
        expect(row->use, {0, 0, 0, 0}, "row check box");
        expect(row->tag, {0, 0, 0, 0}, "row label");
        expect(row->box, {0, 0, dx, 0}, "time box");
        expect(row->select, {dx, 0, dx, 0}, "select button");
        expect(row->current, {dx, 0, dx, 0}, "now button");
    }
    expect(c.sourceBox, {dx, 0, dx, 0}, "source box");
    for (GuiOptionRow* row : OptionRows(c)) {
        expect(row->check, {0, 0, 0, 0}, "option check box");
        expect(row->tag, {0, 0, dx, 0}, "option label");
    }
    expect(c.targetBox, {0, 0, dx, dy}, "target box");
    expect(c.closeButton, {dx, dy, dx, dy}, "close button");
}

TEST(GuiMainDialogLayout, TheWindowNeverTracksSmallerThanItsFirstLayout) {
    MainDialogFixture fixture;
    ASSERT_TRUE(fixture.Start());
    RECT first = {};
    GetWindowRect(fixture.Window(), &first);
    for (int grow : {0, 120}) {
        SetWindowPos(fixture.Window(), nullptr, 0, 0, Width(first) + grow, Height(first) + grow,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        PumpMessages();
        MINMAXINFO limits = {};
        SendMessageA(fixture.Window(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        EXPECT_EQ(limits.ptMinTrackSize.x, Width(first)) << grow;
        EXPECT_EQ(limits.ptMinTrackSize.y, Height(first)) << grow;
    }
}

TEST(GuiMainDialogLayout, StoredRectangleIsRestoredWithTheComputedHeight) {
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT virtualScreen = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
    virtualScreen.right = virtualScreen.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);

    // The first placement: the client area centred on the work area.
    SIZE computed = {};
    RECT firstPlaced = {};
    {
        MainDialogFixture fixture;
        const RECT client = fixture.dialog->BuildControls();
        fixture.dialog->PlaceWindow(client);
        const RECT& placed = fixture.dialog->viewRect;
        computed = {Width(placed), Height(placed)};
        firstPlaced = placed;
        RECT frame = {0, 0, 0, 0};
        AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
        EXPECT_EQ(placed.left - frame.left, work.left + (Width(work) - client.right) / 2);
        EXPECT_EQ(placed.top - frame.top, work.top + (Height(work) - client.bottom) / 2);
    }
    const int wide = computed.cx + 40;
    const LONG edge = virtualScreen.right;
    const LONG x = work.left + 10, y = work.top + 20, reach = kReachablePixels;
    const RECT centred = {work.left + (Width(work) - wide) / 2, work.top + (Height(work) - computed.cy) / 2, 0, 0};
    const RECT centredLayout = firstPlaced;
    struct Case {
        const char* what;
        RECT stored;
        RECT expected;               // right 0: the stored width (wide) and the computed height from left, top
        const char* text = nullptr;  // the section's text, in place of the stored rectangle
    } cases[] = {
        {"overlaps a monitor by one pixel", {edge - 1, 100, edge - 1 + wide, 150}, {work.right - reach, 100, 0, 0}},
        {"another height", {x, y, x + wide, y + 999}, {x, y, 0, 0}},
        {"wholly outside", {edge + 50, 100, edge + 50 + wide, 150}, centred},
        {"narrower than the layout", {x, y, x + computed.cx - 60, 200}, {x, y, x + computed.cx, y + computed.cy}},
        {"inverted", {x + 300, y + 200, x, y}, {x + 300, y + 200, x + 300 + computed.cx, y + 200 + computed.cy}},
        {"caption above the work area", {x, work.top - 5, x + wide, work.top + 50}, {x, work.top, 0, 0}},
        {"hanging off the bottom", {x, work.bottom - 10, x + wide, work.bottom + 90}, {x, work.bottom - reach, 0, 0}},
        {"wider than the work area",
         {work.left - 50, y, work.right + 50, y + 10},
         {work.left - 50, y, work.left - 50 + std::max<LONG>(Width(work), computed.cx), y + computed.cy}},
        {"edges out of range",
         {},
         centredLayout,
         "WindowRect_L=0\r\nWindowRect_T=536871317\r\nWindowRect_R=2147483647\r\nWindowRect_B=-2147483648\r\n"},
        {"an edge that is no number", {}, centredLayout, "WindowRect_L=10\r\nWindowRect_T=1e3\r\n"},
    };
    for (Case& c : cases) {
        if (c.expected.right == 0) {
            c.expected = {c.expected.left, c.expected.top, c.expected.left + wide, c.expected.top + computed.cy};
        }
        char profile[256];
        if (c.text) {
            snprintf(profile, sizeof profile, "[MainDialog]\r\n%s", c.text);
        } else {
            snprintf(profile, sizeof profile,
                     "[MainDialog]\r\nWindowRect_L=%ld\r\nWindowRect_T=%ld\r\nWindowRect_R=%ld\r\nWindowRect_B=%ld\r\n",
                     c.stored.left, c.stored.top, c.stored.right, c.stored.bottom);
        }
        MainDialogFixture fixture(kPartMask | SetLastWrite, profile);
        fixture.dialog->PlaceWindow(fixture.dialog->BuildControls());
        const RECT& placed = fixture.dialog->viewRect;
        EXPECT_TRUE(EqualRect(&placed, &c.expected))
            << c.what << ": " << placed.left << "," << placed.top << "," << placed.right << "," << placed.bottom;
    }
}

// The report that started it: an absurd gap in a hand-edited profile put the window half a
// billion pixels down. Every gap and line margin outside its range keeps the default, and the
// window lies on the work area whatever the profile says.
TEST(GuiMainDialogLayout, AbsurdGapsKeepTheDefaultsAndTheWindowOnTheWorkArea) {
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const char* profiles[] = {
        "[WindowParameter]\r\nMargin=2147483647\r\nLineMargin=2147483647\r\n",
        "[WindowParameter]\r\nMargin=-2147483648\r\nLineMargin=-5\r\n",
        "[WindowParameter]\r\nMargin=65\r\nLineMargin=0x7fffffffffffffffff\r\n",
    };
    for (const char* text : profiles) {
        TempFolder folder;
        TempFolder::Write(folder.Below(L"gui.ini"), text);
        WinLayer::Environment().SetStandardGap(4);
        GuiProfileRecord().lineMargin = 1;
        LoadGuiProfile(Raw(folder.Below(L"gui.ini")));
        EXPECT_EQ(WinLayer::Environment().StandardGap(), 4) << text;
        EXPECT_EQ(GuiProfileRecord().lineMargin, 1) << text;
        MainDialogFixture fixture(kPartMask | SetLastWrite, text);
        fixture.dialog->PlaceWindow(fixture.dialog->BuildControls());
        RECT shown = {};
        EXPECT_TRUE(IntersectRect(&shown, &fixture.dialog->viewRect, &work)) << text;
    }
    WinLayer::Environment().SetStandardGap(4);
}

TEST(GuiMainDialogLayout, PictureOfTheDialogAtItsSizeAndAtTwiceItsSize) {
    MainDialogFixture fixture;
    ASSERT_TRUE(fixture.Start());
    RECT client = {};
    GetClientRect(fixture.Window(), &client);
    ShowAndPaint(fixture.Window());
    WinLayerTest::PixelCanvas normal(client.right, client.bottom);
    Capture(fixture.Window(), normal);
    EXPECT_TRUE(WinLayerTest::WritePicture(normal, "GuiMainDialog.png"));
    // The face colour where nothing stands, the drop box shade inside the target box.
    const RECT& target = fixture.Controls().targetBox.viewRect;
    EXPECT_EQ(normal.Pixel(1, 1), GetSysColor(COLOR_BTNFACE));
    EXPECT_NE(normal.Pixel(target.left + 5, target.top + 5), GetSysColor(COLOR_BTNFACE));

    RECT window = {};
    GetWindowRect(fixture.Window(), &window);
    SetWindowPos(fixture.Window(), nullptr, 0, 0, Width(window) + client.right, Height(window) + client.bottom,
                 SWP_NOMOVE | SWP_NOZORDER);
    ShowAndPaint(fixture.Window());
    WinLayerTest::PixelCanvas twice(2 * client.right, 2 * client.bottom);
    Capture(fixture.Window(), twice);
    EXPECT_TRUE(WinLayerTest::WritePicture(twice, "GuiMainDialogTwice.png"));
    const RECT& grown = fixture.Controls().targetBox.viewRect;
    EXPECT_EQ(twice.Pixel(grown.right - 5, grown.bottom - 5), normal.Pixel(target.left + 5, target.top + 5));
}

namespace {

// What the controls hold as the dialog is first shown, and where their windows stand:
// WM_SHOWWINDOW comes before any paint.
struct AtFirstShow {
    GuiMainControls* controls = nullptr;
    std::vector<std::string> boxes;
    bool msecEnabled = true;
    std::vector<RECT> places;
};
AtFirstShow* g_atFirstShow = nullptr;

LRESULT CALLBACK NoteFirstShow(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    AtFirstShow& seen = *g_atFirstShow;
    const HWND box = seen.controls->date.box.Window();
    if (code == HC_ACTION && call->message == WM_SHOWWINDOW && call->wParam && seen.boxes.empty() && box &&
        GetParent(box) == call->hwnd) {
        for (GuiTimeRow* row : TimeRows(*seen.controls)) seen.boxes.push_back(Shown(row->box));
        seen.msecEnabled = IsWindowEnabled(seen.controls->msec.box.Window()) != 0;
        for (WinLayer::WinView* control : seen.controls->InOrder()) {
            RECT place = {};
            GetWindowRect(control->Window(), &place);
            MapWindowPoints(nullptr, call->hwnd, reinterpret_cast<POINT*>(&place), 2);
            seen.places.push_back(place);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

// The boxes never show their templates: the settings are in the controls before the first show.
// Nor is a control moved on the shown window: each stands in its final place already.
TEST(GuiMainDialogLayout, TheFirstShowHasTheSettingsAndThePlacesNotTheTemplates) {
    MainDialogFixture fixture((kPartMask & ~UseMSec) | SetLastWrite);
    AtFirstShow seen;
    seen.controls = &fixture.Controls();
    g_atFirstShow = &seen;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, NoteFirstShow, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    fixture.dialog->StartUp();
    const bool shown = fixture.dialog->Show();
    UnhookWindowsHookEx(hook);
    g_atFirstShow = nullptr;
    ASSERT_TRUE(shown);
    EXPECT_EQ(seen.boxes, (std::vector<std::string>{"2001/02/03", "04:05:06", "789"}));
    EXPECT_FALSE(seen.msecEnabled);
    const auto controls = fixture.Controls().InOrder();
    ASSERT_EQ(seen.places.size(), controls.size());
    for (size_t i = 0; i < controls.size(); ++i) {
        EXPECT_TRUE(EqualRect(&seen.places[i], &controls[i]->viewRect)) << "control " << i;
    }
}
