// The controls inside a real dialog: focus moves, clicks and their codes, and the picture of a
// small demo dialog that shows every control.
#include <gtest/gtest.h>

#include <vector>

#include "WinLayer/ButtonColours.h"
#include "WinLayer/WinButton.h"
#include "WinLayer/WinCheckBox.h"
#include "WinLayer/WinDialog.h"
#include "WinLayer/WinDrawing.h"
#include "WinLayer/WinStaticBox.h"
#include "WinPixelSupport.h"
#include "WinTestSupport.h"

using namespace WinLayer;
using WinLayerTest::PixelCanvas;
using WinLayerTest::PumpMessages;

namespace {

constexpr int kOkCode = 0x1100;
constexpr int kToggleCode = 0x1101;

class DemoDialog : public WinDialog {
public:
    DemoDialog() {
        Property().className = "KairodexControlsDemo";
        Property().style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
        Property().text = "Controls";
        showCommand = SW_HIDE;  // nothing here needs the screen, and showing waits for it
        viewRect = {0, 0, 300, 120};

        Place(nameLabel, {10, 10, 90, 30});
        nameLabel.SetText("Name");
        Place(ok, {100, 10, 170, 34});
        ok.ConfigureButton(
            "OK", kButtonRoundTopLeft | kButtonRoundBottomLeft | kButtonRoundTopRight | kButtonRoundBottomRight,
            kOkCode);
        Place(toggle, {180, 10, 280, 50});
        toggle.ConfigureButton("Check\\nAll", kButtonFrames | kButtonToggle, kToggleCode);
        toggle.alignment |= kAlignMultiLine;
        Place(check, {10, 60, 26, 76});
        check.ConfigureButton("", kButtonToggle, 0);
        Place(checkLabel, {30, 58, 120, 78});
        checkLabel.SetText("Use UTC");
        Place(disabled, {130, 60, 210, 84});
        disabled.ConfigureButton("Disabled", 0, 0);
        disabled.checked = 1;
        Place(band, {220, 60, 290, 84});
        band.SetText("Band");
        band.bandColour = RGB(255, 200, 120);
    }
    ~DemoDialog() override {
        if (Window()) DestroyWindow(Window());
        PumpMessages();
        MSG quit;
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);  // posted by the destruction
    }

    void OnCreateWindow() override {
        for (WinView* child : order) child->Create(this);
        EnableWindow(disabled.Window(), FALSE);
    }
    LRESULT OnChildNotify(WinView* child, int code) override {
        notices.push_back({child, code});
        return WinDialog::OnChildNotify(child, code);
    }
    int Count(const WinView& child, int code) const {
        int count = 0;
        for (const Notice& notice : notices) count += notice.child == &child && notice.code == code ? 1 : 0;
        return count;
    }

    // The client area as the controls paint it, each through its own system window. Each is
    // drawn into a canvas of its own: the controls clip to their client rectangle in device
    // coordinates, so a moved viewport would clip them away.
    void PaintInto(PixelCanvas& canvas) {
        canvas.Fill(SystemColours().face);
        for (WinView* child : order) {
            const RECT& r = child->viewRect;
            PixelCanvas own(r.right - r.left, r.bottom - r.top);
            SendMessageW(child->Window(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(own.Get()), PRF_CLIENT);
            BitBlt(canvas.Get(), r.left, r.top, own.Width(), own.Height(), own.Get(), 0, 0, SRCCOPY);
        }
    }

    struct Notice {
        WinView* child;
        int code;
    };
    WinStaticBox nameLabel;
    WinButton ok;
    WinButton toggle;
    WinCheckBox check;
    WinStaticBox checkLabel;
    WinButton disabled;
    WinStaticBox band;
    std::vector<WinView*> order;
    std::vector<Notice> notices;

private:
    void Place(WinView& child, RECT rect) {
        child.viewRect = rect;
        Children().Add(&child);
        order.push_back(&child);
    }
};

void Click(HWND window) {
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
}

}  // namespace

TEST(WinControlsInDialog, ArrowsMoveTheFocusOverTabStopsOnly) {
    DemoDialog dialog;
    ASSERT_TRUE(dialog.Show());
    ASSERT_TRUE(WinLayerTest::InFront(dialog.Window()));
    // Tab stops in order: ok, toggle, check. Labels are no tab stops, the disabled button is skipped.
    struct Case {
        WinView* from;
        WPARAM key;
        WinView* to;
    } cases[] = {
        {&dialog.ok, VK_RIGHT, &dialog.toggle}, {&dialog.toggle, VK_DOWN, &dialog.check},
        {&dialog.check, VK_RIGHT, &dialog.ok},  // past the last: round to the first
        {&dialog.ok, VK_LEFT, &dialog.check},   {&dialog.check, VK_UP, &dialog.toggle},
    };
    for (const Case& c : cases) {
        SetFocus(c.from->Window());
        SendMessageA(c.from->Window(), WM_KEYDOWN, c.key, 0);
        EXPECT_TRUE(WinLayerTest::FocusOn(c.to->Window())) << c.key << " from " << c.from->Property().identifier;
    }
    EXPECT_EQ(dialog.ok.focus, 0);
    EXPECT_EQ(dialog.toggle.focus, 1);
}

TEST(WinControlsInDialog, ClicksReachTheDialogFirstAsZeroThenAsTheClickCode) {
    DemoDialog dialog;
    ASSERT_TRUE(dialog.Show());
    Click(dialog.ok.Window());
    PumpMessages();
    ASSERT_EQ(dialog.notices.size(), 2u);
    EXPECT_EQ(dialog.notices[0].child, &dialog.ok);
    EXPECT_EQ(dialog.notices[0].code, 0);
    EXPECT_EQ(dialog.notices[1].child, &dialog.ok);
    EXPECT_EQ(dialog.notices[1].code, kOkCode);

    // A double click on the toggle: two clicks, each with its code, and the state back where it was.
    HWND toggle = dialog.toggle.Window();
    Click(toggle);
    PostMessageA(toggle, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 3));
    PostMessageA(toggle, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    PumpMessages();
    EXPECT_EQ(dialog.Count(dialog.toggle, 0), 2);
    EXPECT_EQ(dialog.Count(dialog.toggle, kToggleCode), 2);
    EXPECT_EQ(dialog.toggle.checked, 0);

    // Enter and Space click once each: the system button never sees the key, so its key-up
    // clicks nothing.
    for (WPARAM key : {VK_RETURN, VK_SPACE}) {
        SetFocus(dialog.check.Window());
        SendMessageA(dialog.check.Window(), WM_KEYDOWN, key, 0);
        SendMessageA(dialog.check.Window(), WM_KEYUP, key, 0);
        PumpMessages();
    }
    EXPECT_EQ(dialog.Count(dialog.check, 0), 2);
    EXPECT_EQ(dialog.check.checked, 0);
}

TEST(WinControlsInDialog, DemoDialogShowsEveryControlAsDrawn) {
    DemoDialog dialog;
    ASSERT_TRUE(dialog.Show());
    SendMessageA(dialog.toggle.Window(), WM_COMMAND, MAKEWPARAM(dialog.toggle.Property().identifier, 0), 0);
    SendMessageA(dialog.check.Window(), WM_COMMAND, MAKEWPARAM(dialog.check.Property().identifier, 0), 0);
    PumpMessages();
    ASSERT_EQ(dialog.toggle.checked, 1);
    SetFocus(dialog.ok.Window());

    PixelCanvas canvas(300, 95);
    dialog.PaintInto(canvas);
    EXPECT_TRUE(WinLayerTest::WritePicture(canvas, "dialog.png"));

    const ButtonColourTable& table = SystemButtonColours();
    auto at = [&](const WinView& view, int x, int y) {
        return canvas.Pixel(view.viewRect.left + x, view.viewRect.top + y);
    };
    // The focused OK button: blue outline, round corners leave the face colour.
    EXPECT_EQ(at(dialog.ok, 0, 0), SystemColours().face);
    EXPECT_EQ(at(dialog.ok, 35, 0), table.For(kDrawFocused).outerTopLeft);
    // The checked toggle with frames: the frame strip in the checked colours.
    EXPECT_EQ(at(dialog.toggle, 1, 10), 0xFF27FFu);
    EXPECT_EQ(at(dialog.toggle, 1, 30), 0xFF00FFu);
    // The disabled button: the grey set.
    EXPECT_EQ(at(dialog.disabled, 0, 0), table.For(kDrawDisabled).outerTopLeft);
    // The ticked check box: a mark in its square; the band of the last label.
    bool mark = false;
    for (int y = 4; y < 12; ++y) {
        for (int x = 4; x < 12; ++x) mark = mark || at(dialog.check, x, y) != GetSysColor(COLOR_WINDOW);
    }
    EXPECT_TRUE(mark);
    EXPECT_EQ(at(dialog.band, 1, 20), RGB(255, 200, 120));
    EXPECT_EQ(at(dialog.band, 1, 1), SystemColours().face);
}
