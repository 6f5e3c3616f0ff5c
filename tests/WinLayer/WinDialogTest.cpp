#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "WinLayer/WinDialog.h"
#include "WinLayer/WinViewHook.h"
#include "WinTestScript.h"
#include "WinTestSupport.h"

using RawLayer::RawString;
using namespace WinLayer;
using WinLayerTest::PumpMessages;

// Comparisons for the platform's records, found by argument lookup in the global namespace.
bool operator==(const SIZE& a, const SIZE& b) { return a.cx == b.cx && a.cy == b.cy; }
bool operator==(const POINT& a, const SIZE& b) { return a.x == b.cx && a.y == b.cy; }
bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

namespace {

// A child made by the framework: a subclassed BUTTON or a plain STATIC that records what the
// dialog routes to it.
class TestChild : public WinView {
public:
    TestChild(const char* className, int32_t kind, RECT rect) {
        Property().className = className;
        Property().kind = kind;
        Property().style = WS_CHILD | WS_VISIBLE;
        viewRect = rect;
    }
    static TestChild Button(int x) { return TestChild("BUTTON", kViewSubclassed, {x, 10, x + 40, 30}); }
    static TestChild Label(int x) { return TestChild("STATIC", 0, {x, 40, x + 40, 60}); }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        received.push_back(message);
        auto answer = answers.find(message);
        if (answer != answers.end()) return answer->second;
        return WinView::HandleMessage(message, wParam, lParam);
    }
    bool PreTranslateMessage(UINT message, WPARAM, LPARAM, POINT) override { return message == swallowed; }
    void OnDestroyed() override { ++destroyed; }
    int Count(UINT message) const {
        int count = 0;
        for (UINT seen : received) count += seen == message;
        return count;
    }

    std::map<UINT, LRESULT> answers;
    std::vector<UINT> received;
    UINT swallowed = 0;
    int destroyed = 0;
};

struct Notice {
    WinView* child;
    int code;
    bool operator==(const Notice& other) const { return child == other.child && code == other.code; }
    friend void PrintTo(const Notice& notice, std::ostream* out) {
        *out << "{child " << (notice.child ? notice.child->Property().identifier : 0) << ", code 0x" << std::hex
             << notice.code << std::dec << "}";
    }
};

// A dialog that records what reaches its operations.
class TestDialog : public WinDialog {
public:
    explicit TestDialog(const char* className = "KairodexTestDialog") {
        Property().className = className;
        Property().style = WS_OVERLAPPEDWINDOW;
        viewRect = {60, 60, 360, 260};
    }
    ~TestDialog() override {
        if (Window()) DestroyWindow(Window());
        PumpMessages();  // and the WM_QUIT of the destruction with them
    }
    void AddChild(WinView& child, bool create = true) {
        Children().Add(&child);
        if (create) toCreate.push_back(&child);
    }

    void OnCreateWindow() override {
        for (WinView* child : toCreate) child->Create(this);
    }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        received.push_back(message);
        auto answer = answers.find(message);
        if (answer != answers.end()) return answer->second;
        return WinDialog::HandleMessage(message, wParam, lParam);
    }
    LRESULT OnCommand(int code) override {
        commands.push_back(code);
        return 0;
    }
    LRESULT OnChildNotify(WinView* child, int code) override {
        notices.push_back({child, code});
        if (onNotify) onNotify(child, code);
        return WinDialog::OnChildNotify(child, code);
    }
    bool CanClose() override {
        ++closeRequests;
        return allowClose;
    }
    void OnSizeStateChanged(int previous, int current) override { sizeStates.push_back({previous, current}); }
    void OnDestroyed() override { ++destroyed; }
    bool AdjustTrackLimits(SIZE& shrink, SIZE& growth) override {
        return adjustLimits ? adjustLimits(shrink, growth) : false;
    }
    int Count(UINT message) const {
        int count = 0;
        for (UINT seen : received) count += seen == message;
        return count;
    }

    std::vector<WinView*> toCreate;
    std::map<UINT, LRESULT> answers;
    std::vector<UINT> received;
    std::vector<int> commands;
    std::vector<Notice> notices;
    std::vector<std::pair<int, int>> sizeStates;
    std::function<void(WinView*, int)> onNotify;
    std::function<bool(SIZE&, SIZE&)> adjustLimits;
    bool allowClose = true;
    int closeRequests = 0;
    int destroyed = 0;
};

using WinLayerTest::Script;

// Dispatches at most limit queued messages and counts the WM_PAINT messages of window among
// them. A paint request that is never validated comes back every time and uses up the limit.
int PumpCountingPaints(HWND window, int limit) {
    int paints = 0;
    MSG message;
    for (int i = 0; i < limit && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));  // for the loop that runs this
            break;
        }
        if (message.message == WM_TIMER) continue;  // the script's next step must wait for this one
        paints += message.message == WM_PAINT && message.hwnd == window;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return paints;
}

// Takes a pending WM_QUIT off the queue; true when there was one.
bool TakeQuit() {
    MSG message;
    return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

void SetShift(bool down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

WPARAM Command(const WinView& view, int code) {
    return MAKEWPARAM(static_cast<WORD>(view.Property().identifier), static_cast<WORD>(code));
}

SIZE WindowSize(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

SIZE ClientSize(HWND window) {
    RECT rect;
    GetClientRect(window, &rect);
    return {rect.right, rect.bottom};
}

MINMAXINFO AskLimits(HWND window) {
    MINMAXINFO limits = {};
    SendMessageA(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    return limits;
}

RECT WindowRect(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    return rect;
}

}  // namespace

TEST(WinDialogLists, NumbersDialogsAndChildrenAndForgetsTheGone) {
    TestDialog first, second;
    TestChild button = TestChild::Button(10), label = TestChild::Label(10);
    first.AddChild(button);
    first.AddChild(label);
    EXPECT_EQ(button.Property().identifier, kFirstChildIdentifier);
    EXPECT_EQ(label.Property().identifier, kFirstChildIdentifier + 1);

    ASSERT_TRUE(first.Show());
    ASSERT_TRUE(second.Show());  // same class: registered once, used twice
    EXPECT_GE(first.Property().identifier, kFirstDialogIdentifier);
    EXPECT_EQ(second.Property().identifier, first.Property().identifier + 1);
    EXPECT_EQ(GetClassLongPtrW(first.Window(), GCW_ATOM), GetClassLongPtrW(second.Window(), GCW_ATOM));
    EXPECT_EQ(WinDialog::DialogList().FindByWindow(second.Window()), &second);
    EXPECT_NE(button.Window(), nullptr);

    DestroyWindow(first.Window());
    EXPECT_EQ(first.Window(), nullptr);
    EXPECT_FALSE(WinDialog::DialogList().Contains(&first));
    EXPECT_EQ(first.destroyed, 1);
    EXPECT_EQ(button.destroyed, 1);
    EXPECT_EQ(label.destroyed, 1);
    EXPECT_EQ(first.Children().Count(), 0);
    EXPECT_TRUE(TakeQuit());
}

// A dialog object that dies before its window must not be reached by the window's messages.
TEST(WinDialogLists, WindowOutlivingItsDialogGetsTheDefaultProcedure) {
    auto* dialog = new TestDialog;
    ASSERT_TRUE(dialog->Show());
    HWND window = dialog->Window();
    dialog->SetWindow(nullptr);  // the destructor leaves the window alone
    delete dialog;
    EXPECT_FALSE(WinDialog::DialogList().Contains(dialog));
    EXPECT_EQ(SendMessageA(window, WM_DRAWITEM, 0, 0), 0);  // not the dialog's answer TRUE
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_FALSE(TakeQuit());
}

// A window that cannot be made leaves nothing to wait for: no list entry, no loop, no WM_QUIT.
TEST(WinDialogLists, FailedCreationIsReportedAndNothingWaits) {
    struct Case {
        const char* what;
        std::function<void(TestDialog&)> spoil;
    } cases[] = {
        {"creation refused", [](TestDialog& d) { d.answers[WM_CREATE] = -1; }},
        {"no class name", [](TestDialog& d) { d.Property().className = ""; }},
    };
    for (const Case& c : cases) {
        TestDialog owner, dialog;
        ASSERT_TRUE(owner.Show());
        c.spoil(dialog);
        EXPECT_FALSE(dialog.Show()) << c.what;
        EXPECT_EQ(dialog.Window(), nullptr) << c.what;
        EXPECT_FALSE(WinDialog::DialogList().Contains(&dialog)) << c.what;
        EXPECT_EQ(dialog.RunMessageLoop(), 0) << c.what;
        EXPECT_EQ(dialog.RunModal(&owner), 0) << c.what;
        EXPECT_EQ(owner.BlockingWindow(), nullptr) << c.what;
        EXPECT_FALSE(TakeQuit()) << c.what;
    }
}

TEST(WinDialogRouting, CommandsDrawingColoursAndDestructionReachTheChild) {
    TestDialog dialog;
    TestChild button = TestChild::Button(10), label = TestChild::Label(10);
    dialog.AddChild(button);
    dialog.AddChild(label);
    ASSERT_TRUE(dialog.Show());
    HWND window = dialog.Window();

    PostMessageA(window, WM_COMMAND, Command(button, 0x1002), 0);           // from the dialog to the child
    PostMessageA(button.Window(), WM_COMMAND, Command(button, 0x1003), 0);  // posted to the child itself
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(999, 7), 0);                // no such child: the dialog's own
    PumpMessages();
    EXPECT_EQ(dialog.notices, (std::vector<Notice>{{&button, 0x1002}, {&button, 0x1003}}));
    EXPECT_EQ(dialog.commands, std::vector<int>{7});

    EXPECT_EQ(SendMessageA(window, WM_DRAWITEM, button.Property().identifier, 0), TRUE);
    EXPECT_EQ(SendMessageA(window, WM_MEASUREITEM, label.Property().identifier, 0), TRUE);
    EXPECT_EQ(SendMessageA(window, WM_DRAWITEM, 999, 0), TRUE);
    EXPECT_EQ(SendMessageA(window, WM_DRAWITEM, 0, 0), TRUE);  // a menu's: the dialog's
    EXPECT_EQ(button.Count(WM_DRAWITEM), 1);
    EXPECT_EQ(label.Count(WM_MEASUREITEM), 1);
    EXPECT_EQ(dialog.Count(WM_DRAWITEM), 1);

    // A brush handle comes back whole, also above 32 bits.
    const LRESULT brush = static_cast<LRESULT>((static_cast<UINT_PTR>(0x1234) << (sizeof(UINT_PTR) * 4)) | 0x5678);
    label.answers[WM_CTLCOLORSTATIC] = brush;
    EXPECT_EQ(SendMessageA(window, WM_CTLCOLORSTATIC, 0, reinterpret_cast<LPARAM>(label.Window())), brush);
    EXPECT_NE(SendMessageA(window, WM_CTLCOLORBTN, 0, reinterpret_cast<LPARAM>(button.Window())), brush);

    DestroyWindow(button.Window());
    EXPECT_EQ(button.destroyed, 1);
    EXPECT_EQ(dialog.Children().Count(), 1);
    EXPECT_FALSE(dialog.Children().Contains(&button));
}

// Escape in a child asks CanClose through WM_CLOSE; a pre-translating child sees its queued
// messages before they are dispatched, and keeps those it takes.
TEST(WinDialogRouting, EscapeClosesThroughCanCloseAndTheLoopEnds) {
    TestDialog dialog;
    TestChild button = TestChild::Button(10);
    button.Property().flags |= kViewPreTranslate;
    button.swallowed = WM_USER + 1;
    dialog.AddChild(button);
    dialog.allowClose = false;
    ASSERT_TRUE(dialog.Show());
    EXPECT_TRUE(dialog.flags & kDialogPreTranslate);

    Script script({
        [&] {
            SendMessageA(button.Window(), WM_KEYDOWN, VK_ESCAPE, 0);
            PostMessageA(button.Window(), WM_USER + 1, 0, 0);
            PostMessageA(button.Window(), WM_USER + 2, 0, 0);
        },
        [&] {
            EXPECT_EQ(dialog.closeRequests, 1);
            EXPECT_NE(dialog.Window(), nullptr);
            dialog.allowClose = true;
            SendMessageA(button.Window(), WM_KEYDOWN, VK_ESCAPE, 0);
        },
    });
    EXPECT_EQ(dialog.RunMessageLoop(), 0);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(dialog.closeRequests, 2);
    EXPECT_EQ(dialog.notices, (std::vector<Notice>{{&button, NotifyCancel}, {&button, NotifyCancel}}));
    EXPECT_EQ(button.Count(WM_USER + 1), 0);
    EXPECT_EQ(button.Count(WM_USER + 2), 1);
    EXPECT_EQ(dialog.Window(), nullptr);
    EXPECT_EQ(dialog.destroyed, 1);
}

TEST(WinDialogTabs, TabWrapsAndSkipsDisabledWindowlessAndNotTabStops) {
    TestDialog dialog;
    TestChild first = TestChild::Button(10), disabled = TestChild::Button(60), label = TestChild::Label(10),
              windowless = TestChild::Button(110), skipped = TestChild::Button(160), last = TestChild::Button(210);
    disabled.Property().style |= WS_DISABLED;
    skipped.Property().flags |= kViewNotATabStop;
    dialog.AddChild(first);
    dialog.AddChild(disabled);
    dialog.AddChild(label);
    dialog.AddChild(windowless, false);
    dialog.AddChild(skipped);
    dialog.AddChild(last);
    ASSERT_TRUE(dialog.Show());
    ASSERT_TRUE(WinLayerTest::InFront(dialog.Window()));
    EXPECT_TRUE(label.Property().flags & kViewNotATabStop);  // not subclassed

    struct Case {
        TestChild* from;
        bool shift;
        TestChild* to;
    } cases[] = {
        {&first, false, &last},
        {&last, false, &first},
        {&first, true, &last},
        {&last, true, &first},
    };
    for (const Case& c : cases) {
        SetFocus(c.from->Window());
        SetShift(c.shift);
        SendMessageA(c.from->Window(), WM_KEYDOWN, VK_TAB, 0);
        EXPECT_TRUE(WinLayerTest::FocusOn(c.to->Window())) << c.from->Property().identifier << " shift " << c.shift;
    }
    SetShift(false);

    // From a child without a window the walk still starts at its place.
    SetFocus(first.Window());
    SendMessageA(dialog.Window(), TabNavigate, windowless.Property().identifier, 0);
    EXPECT_TRUE(WinLayerTest::FocusOn(last.Window()));
    // A sender that is not a child moves nothing.
    SendMessageA(dialog.Window(), TabNavigate, 4711, 0);
    EXPECT_TRUE(WinLayerTest::FocusOn(last.Window()));
}

// A dialog just shown holds the focus itself: Tab enters its controls at either end.
TEST(WinDialogTabs, TabOnTheDialogItselfEntersItsControls) {
    TestDialog dialog;
    TestChild label = TestChild::Label(10), disabled = TestChild::Button(60), first = TestChild::Button(110),
              last = TestChild::Button(160);
    disabled.Property().style |= WS_DISABLED;
    dialog.AddChild(label);
    dialog.AddChild(disabled);
    dialog.AddChild(first);
    dialog.AddChild(last);
    ASSERT_TRUE(dialog.Show());
    ASSERT_TRUE(WinLayerTest::InFront(dialog.Window()));
    for (bool shift : {false, true}) {
        SetFocus(dialog.Window());
        SetShift(shift);
        SendMessageA(dialog.Window(), WM_KEYDOWN, VK_TAB, 0);
        EXPECT_TRUE(WinLayerTest::FocusOn(shift ? last.Window() : first.Window())) << "shift " << shift;
    }
    SetShift(false);
}

// Switched away from and back to, a dialog gives the focus back to the control that had it; a
// control disabled meanwhile is passed over and the dialog keeps the focus, where Tab enters.
TEST(WinDialogFocus, ActivatedAgainTheControlThatHadTheFocusGetsItBack) {
    TestDialog dialog, other("KairodexTestOther");
    TestChild first = TestChild::Button(10), second = TestChild::Button(60);
    dialog.AddChild(first);
    dialog.AddChild(second);
    ASSERT_TRUE(dialog.Show());
    ASSERT_TRUE(other.Show());
    ASSERT_TRUE(WinLayerTest::InFront(dialog.Window()));
    SetFocus(second.Window());
    ASSERT_TRUE(WinLayerTest::InFront(other.Window()));
    EXPECT_TRUE(WinLayerTest::FocusOn(other.Window()));
    ASSERT_TRUE(WinLayerTest::InFront(dialog.Window()));
    EXPECT_TRUE(WinLayerTest::FocusOn(second.Window()));

    ASSERT_TRUE(WinLayerTest::InFront(other.Window()));
    EnableWindow(second.Window(), FALSE);
    ASSERT_TRUE(WinLayerTest::InFront(dialog.Window()));
    EXPECT_TRUE(WinLayerTest::FocusOn(dialog.Window()));
}

TEST(WinDialogTabs, OnlyTabStopKeepsTheFocus) {
    TestDialog dialog;
    TestChild only = TestChild::Button(10), label = TestChild::Label(10);
    dialog.AddChild(only);
    dialog.AddChild(label);
    ASSERT_TRUE(dialog.Show());
    ASSERT_TRUE(WinLayerTest::InFront(dialog.Window()));
    SetFocus(only.Window());
    for (bool shift : {false, true}) {
        SetShift(shift);
        SendMessageA(only.Window(), WM_KEYDOWN, VK_TAB, 0);
        EXPECT_TRUE(WinLayerTest::FocusOn(only.Window()));
    }
    SetShift(false);
}

TEST(WinDialogSizing, TrackingStopsAtTheContentAndAtTheWorkArea) {
    TestDialog dialog;
    dialog.viewRect = {50, 50, 350, 250};
    dialog.ClientToWindowRect();
    dialog.contentRect = {0, 0, 120, 80};
    ASSERT_TRUE(dialog.Show());
    HWND window = dialog.Window();
    EXPECT_EQ(ClientSize(window), (SIZE{300, 200}));
    RECT frame = {};
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
    const SIZE frameSize = {frame.right - frame.left, frame.bottom - frame.top};
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const SIZE workSize = {work.right - work.left, work.bottom - work.top};

    MINMAXINFO limits = AskLimits(window);
    EXPECT_EQ(limits.ptMinTrackSize, (SIZE{frameSize.cx + 120, frameSize.cy + 80}));
    EXPECT_EQ(limits.ptMaxTrackSize, workSize);

    // The system applies the limits to every change of size.
    SetWindowPos(window, nullptr, 0, 0, 10, 10, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(ClientSize(window), (SIZE{120, 80}));
    SetWindowPos(window, nullptr, 0, 0, 5000, 5000, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(WindowSize(window), workSize);
    EXPECT_EQ(dialog.clientRect, (RECT{0, 0, ClientSize(window).cx, ClientSize(window).cy}));

    // The dialog may narrow both allowances.
    SetWindowPos(window, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
    dialog.adjustLimits = [](SIZE& shrink, SIZE& growth) {
        shrink = {10, 0};
        growth = {0, 20};
        return true;
    };
    limits = AskLimits(window);
    EXPECT_EQ(limits.ptMinTrackSize, (SIZE{390, 300}));
    EXPECT_EQ(limits.ptMaxTrackSize, (SIZE{400, 320}));

    // Without content the client area may shrink to nothing: the frame is the minimum.
    dialog.adjustLimits = nullptr;
    dialog.contentRect = {};
    EXPECT_EQ(AskLimits(window).ptMinTrackSize, frameSize);
}

TEST(WinDialogSizing, SizeStatesInOrderAndTheNormalRectangle) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.Show());
    HWND window = dialog.Window();
    using States = std::vector<std::pair<int, int>>;
    EXPECT_EQ(dialog.sizeStates, (States{{kSizeStateNone, 0}, {kSizeStateFirstSized, 0}}));
    EXPECT_EQ(dialog.normalRect, WindowRect(window));

    SetWindowPos(window, nullptr, 80, 90, 320, 240, SWP_NOZORDER);
    const RECT moved = WindowRect(window);
    EXPECT_EQ(dialog.normalRect, moved);
    EXPECT_EQ(dialog.viewRect, moved);

    ShowWindow(window, SW_MINIMIZE);
    EXPECT_TRUE(IsIconic(window));
    AskLimits(window);
    EXPECT_EQ(dialog.normalRect, moved);
    ShowWindow(window, SW_RESTORE);
    ShowWindow(window, SW_MAXIMIZE);
    EXPECT_TRUE(IsZoomed(window));
    AskLimits(window);
    EXPECT_EQ(dialog.normalRect, moved);
    DestroyWindow(window);
    EXPECT_EQ(
        dialog.sizeStates,
        (States{{kSizeStateNone, 0}, {kSizeStateFirstSized, 0}, {0, 1}, {1, 0}, {0, 2}, {2, kSizeStateDestroyed}}));
    EXPECT_TRUE(TakeQuit());
}

// A cancelled shutdown leaves the dialog as it was; only an ending session tears it down.
TEST(WinDialogSession, EndSessionTearsDownOnlyWhenTheSessionEnds) {
    TestDialog dialog;
    TestChild button = TestChild::Button(10);
    dialog.AddChild(button);
    ASSERT_TRUE(dialog.Show());
    HWND window = dialog.Window();
    SendMessageA(window, WM_ENDSESSION, FALSE, 0);
    EXPECT_FALSE(TakeQuit());
    EXPECT_EQ(dialog.destroyed, 0);
    EXPECT_EQ(button.destroyed, 0);
    EXPECT_TRUE(WinDialog::DialogList().Contains(&dialog));
    EXPECT_EQ(dialog.Children().Count(), 1);

    SendMessageA(window, WM_ENDSESSION, TRUE, 0);
    EXPECT_TRUE(TakeQuit());
    EXPECT_EQ(dialog.destroyed, 1);
    EXPECT_EQ(button.destroyed, 1);
    EXPECT_FALSE(WinDialog::DialogList().Contains(&dialog));
    EXPECT_EQ(dialog.sizeStates.back(), (std::pair<int, int>{0, kSizeStateDestroyed}));
    DestroyWindow(window);  // no second teardown
    EXPECT_EQ(dialog.destroyed, 1);
    EXPECT_FALSE(TakeQuit());
}

namespace {

// An owner whose "open" button opens a modal dialog, as a main dialog does.
struct ModalScene {
    TestDialog owner{"KairodexTestOwner"};
    TestChild open = TestChild::Button(10);
    TestDialog modal{"KairodexTestModal"};
    int opened = 0;
    int32_t returned = -1;
    HWND focusAfter = nullptr;

    ModalScene() {
        owner.AddChild(open);
        modal.viewRect = {140, 140, 340, 260};
        owner.onNotify = [this](WinView* child, int code) {
            if (child != &open || code != 0) return;
            ++opened;
            returned = modal.RunModal(&open);
            focusAfter = GetFocus();
        };
    }
    void ClickOpen() { PostMessageA(open.Window(), WM_COMMAND, Command(open, 0), 0); }
};

}  // namespace

// While the modal dialog runs, the owner takes no input and runs no command, yet paints, and
// answers session and front requests without leaving the modal loop.
TEST(WinDialogModal, OwnerIsBlockedUntilTheModalDialogReturnsItsResult) {
    ModalScene scene;
    TestDialog& owner = scene.owner;
    TestDialog& modal = scene.modal;
    TestDialog second;
    ASSERT_TRUE(owner.Show());
    Script script({
        [&] { scene.ClickOpen(); },
        [&] {
            ASSERT_NE(modal.Window(), nullptr);
            EXPECT_EQ(owner.BlockingWindow(), modal.Window());
            HWND ownerWindow = owner.Window();
            EXPECT_EQ(SendMessageA(ownerWindow, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(ownerWindow),
                                   MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
                      MA_NOACTIVATEANDEAT);
            scene.ClickOpen();  // what a button's double click posts to itself
            PostMessageA(ownerWindow, WM_COMMAND, Command(scene.open, 0), 0);
            PostMessageA(ownerWindow, WM_COMMAND, MAKEWPARAM(999, 5), 0);
            PostMessageA(scene.open.Window(), WM_KEYDOWN, VK_ESCAPE, 0);
            EXPECT_EQ(second.RunModal(&scene.open), 0);  // over a blocked root: at once
            EXPECT_EQ(second.Window(), nullptr);
            PostMessageA(ownerWindow, BringToFront, 0, 0);
            SendMessageA(ownerWindow, WM_ENDSESSION, FALSE, 0);
            SendMessageA(modal.Window(), WM_ENDSESSION, FALSE, 0);
        },
        [&] {
            EXPECT_EQ(scene.opened, 1);
            EXPECT_TRUE(owner.commands.empty());
            EXPECT_EQ(owner.notices, (std::vector<Notice>{{&scene.open, 0}}));
            EXPECT_EQ(owner.closeRequests, 0);
            EXPECT_EQ(GetForegroundWindow(), modal.Window());  // BringToFront went on to the blocker
            EXPECT_EQ(owner.destroyed + modal.destroyed, 0);
            EXPECT_FALSE(TakeQuit());
            // Raising the owner raises its blocker instead.
            SetWindowPos(owner.Window(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            EXPECT_EQ(GetForegroundWindow(), modal.Window());
            // Painted once and validated: the request does not come back.
            InvalidateRect(owner.Window(), nullptr, TRUE);
            const int paints = PumpCountingPaints(owner.Window(), 200);
            EXPECT_GE(paints, 1);
            EXPECT_LE(paints, 3);
            EXPECT_FALSE(GetUpdateRect(owner.Window(), nullptr, FALSE));
            modal.result = 42;
            PostMessageA(modal.Window(), WM_CLOSE, 0, 0);
        },
        [&] {  // back in the owner's loop: the modal loop's WM_QUIT ended only that loop
            EXPECT_EQ(scene.returned, 42);
            EXPECT_EQ(scene.focusAfter, scene.open.Window());
            EXPECT_EQ(owner.BlockingWindow(), nullptr);
            EXPECT_EQ(modal.Window(), nullptr);
            EXPECT_EQ(modal.destroyed, 1);
            SendMessageA(owner.Window(), WM_ENDSESSION, FALSE, 0);
            PostMessageA(scene.open.Window(), WM_COMMAND, Command(scene.open, 0x1002), 0);
        },
        [&] {
            EXPECT_EQ(owner.notices.back(), (Notice{&scene.open, 0x1002}));
            PostMessageA(owner.Window(), WM_CLOSE, 0, 0);
        },
    });
    EXPECT_EQ(owner.RunMessageLoop(), 0);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(owner.destroyed, 1);
}

// The owner destroyed under its modal dialog takes the dialog and both loops with it.
TEST(WinDialogModal, OwnerDestroyedDuringTheModalEndsBothLoops) {
    ModalScene scene;
    ASSERT_TRUE(scene.owner.Show());
    Script script({
        [&] { scene.ClickOpen(); },
        [&] { DestroyWindow(scene.owner.Window()); },
    });
    EXPECT_EQ(scene.owner.RunMessageLoop(), 0);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(scene.owner.destroyed, 1);
    EXPECT_EQ(scene.modal.destroyed, 1);
    EXPECT_EQ(scene.modal.Window(), nullptr);
    EXPECT_EQ(scene.returned, 0);
}

TEST(WinDialogFront, BringToFrontRestoresAMinimisedDialogAndKeepsAMaximisedOne) {
    TestDialog dialog, other("KairodexTestOther");
    ASSERT_TRUE(dialog.Show());
    ASSERT_TRUE(other.Show());
    HWND window = dialog.Window();
    ShowWindow(window, SW_MAXIMIZE);
    SetForegroundWindow(other.Window());
    SendMessageA(window, BringToFront, 0, 0);
    EXPECT_TRUE(IsZoomed(window));
    EXPECT_EQ(GetForegroundWindow(), window);

    ShowWindow(window, SW_MINIMIZE);
    SetForegroundWindow(other.Window());
    SendMessageA(window, BringToFront, 0, 0);
    EXPECT_FALSE(IsIconic(window));
    EXPECT_EQ(GetForegroundWindow(), window);
}
