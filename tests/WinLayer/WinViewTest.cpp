#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "WinLayer/WinCalls.h"
#include "WinLayer/WinDialog.h"
#include "WinLayer/WinEnvironment.h"
#include "WinLayer/WinTMenuExecution.h"
#include "WinLayer/WinView.h"
#include "WinLayer/WinViewHook.h"
#include "WinLayer/WinViewList.h"
#include "WinTestSupport.h"

using RawLayer::RawString;
using namespace WinLayer;
using WinLayerTest::RecordingView;

namespace {

class TestHook : public WinViewHook {
public:
    TestHook(WinView& view, std::string name, LRESULT answer, std::vector<std::string>& log)
        : WinViewHook(view), name_(std::move(name)), answer_(answer), log_(log) {}
    LRESULT HookMessage(UINT, WPARAM, LPARAM) override {
        log_.push_back(name_);
        return answer_;
    }

private:
    std::string name_;
    LRESULT answer_;
    std::vector<std::string>& log_;
};

void SetShift(bool down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

// A top-level carrier window and one child in it, both subclassed, as a dialog would have.
struct ParentAndChild {
    RecordingView parent;
    RecordingView child;
    WinViewList children{2500};

    ParentAndChild() {
        parent.Property().className = "STATIC";
        parent.Property().kind = kViewSubclassed;
        parent.Property().style = WS_POPUP;
        parent.viewRect = {0, 0, 200, 100};
        child.Property().className = "STATIC";
        child.Property().kind = kViewSubclassed;
        child.Property().style = WS_CHILD;
        child.viewRect = {10, 10, 60, 30};
        parent.Create(nullptr);
        children.Add(&child);
        child.Create(&parent);
    }
    ~ParentAndChild() { DestroyWindow(parent.Window()); }
};

}  // namespace

TEST(WinViewDispatch, FirstHookAnswerOverridesViewButViewRunsFirst) {
    constexpr LRESULT kView = 5;
    struct Case {
        std::vector<LRESULT> hookAnswers;
        LRESULT expected;
        std::vector<std::string> expectedLog;
    } cases[] = {
        {{}, kView, {"view"}},
        {{NotHandled, NotHandled}, kView, {"view", "hook0", "hook1"}},
        {{NotHandled, 42, 7}, 42, {"view", "hook0", "hook1"}},
        {{0}, 0, {"view", "hook0"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> log;
        RecordingView view;
        view.log = &log;
        view.answer = kView;
        std::vector<std::unique_ptr<TestHook>> hooks;
        for (size_t i = 0; i < c.hookAnswers.size(); ++i) {
            hooks.push_back(std::make_unique<TestHook>(view, "hook" + std::to_string(i), c.hookAnswers[i], log));
        }
        EXPECT_EQ(view.Dispatch(WM_USER, 1, 2), c.expected);
        EXPECT_EQ(log, c.expectedLog);
    }
}

TEST(WinViewKeys, TabSendsTabNavigateToParentWithShiftState) {
    ParentAndChild views;
    ASSERT_NE(views.child.Window(), nullptr);
    EXPECT_EQ(views.child.Property().identifier, 2500);
    for (bool shift : {false, true}) {
        SetShift(shift);
        views.parent.received.clear();
        EXPECT_EQ(SendMessageA(views.child.Window(), WM_KEYDOWN, VK_TAB, 0), 0);
        EXPECT_TRUE(views.parent.Received(TabNavigate, 2500, shift ? 1 : 0)) << "shift " << shift;
    }
    SetShift(false);
}

TEST(WinViewKeys, EscapePostsCancelToTheViewItself) {
    ParentAndChild views;
    EXPECT_EQ(SendMessageA(views.child.Window(), WM_KEYDOWN, VK_ESCAPE, 0), 0);
    EXPECT_TRUE(views.parent.notifications.empty());  // posted, not sent
    WinLayerTest::PumpMessages();
    EXPECT_TRUE(views.child.Received(WM_COMMAND, MAKEWPARAM(2500, NotifyCancel), 0));
    ASSERT_EQ(views.parent.notifications.size(), 1u);
    EXPECT_EQ(views.parent.notifications[0].child, &views.child);
    EXPECT_EQ(views.parent.notifications[0].code, NotifyCancel);
}

TEST(WinViewFont, ResolvesThroughParentsToTheDefaultFont) {
    LOGFONTW description = WinFont::DefaultLogFont();
    description.lfHeight = -20;
    WinFont parentFont(description);
    WinView grandParent, parent, child;
    parent.Property().parent = &grandParent.Property();
    child.Property().parent = &parent.Property();

    EXPECT_EQ(&child.ResolvedFont(), &Environment().DefaultFont());
    EXPECT_EQ(child.ResolvedFont().LogFont().lfHeight, 12);
    grandParent.Property().font = &parentFont;
    EXPECT_EQ(&child.ResolvedFont(), &parentFont);
    WinFont ownFont(WinFont::DefaultLogFont());
    child.Property().font = &ownFont;
    EXPECT_EQ(&child.ResolvedFont(), &ownFont);
}

// The default font is made when first asked for, from the description of that moment, and a
// later description replaces the font made.
TEST(WinViewFont, DefaultFontIsMadeAtFirstUseFromTheLatestDescription) {
    WinEnvironment environment;
    LOGFONTW bold = WinFont::DefaultLogFont();
    bold.lfWeight = FW_BOLD;
    EXPECT_TRUE(environment.ReplaceDefaultFont(bold));
    EXPECT_EQ(environment.DefaultFontDescription().lfWeight, FW_BOLD);

    const WinFont& made = environment.DefaultFont();
    ASSERT_NE(made.Handle(), nullptr);
    LOGFONTW inFont = {};
    ASSERT_EQ(GetObjectW(made.Handle(), sizeof(inFont), &inFont), static_cast<int>(sizeof(inFont)));
    EXPECT_EQ(inFont.lfWeight, FW_BOLD);

    LOGFONTW tall = WinFont::DefaultLogFont();
    tall.lfHeight = -30;
    EXPECT_TRUE(environment.ReplaceDefaultFont(tall));
    ASSERT_EQ(GetObjectW(environment.DefaultFont().Handle(), sizeof(inFont), &inFont),
              static_cast<int>(sizeof(inFont)));
    EXPECT_EQ(inFont.lfHeight, -30);
    EXPECT_EQ(environment.DefaultFont().LogFont().lfHeight, -30);
}
TEST(WinViewFont, CreationHandsTheInheritedFontToTheWindow) {
    WinFont parentFont(WinFont::DefaultLogFont());
    ParentAndChild plain;
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(plain.child.Window(), WM_GETFONT, 0, 0)),
              Environment().DefaultFont().Handle());

    RecordingView parent;
    parent.Property().font = &parentFont;
    parent.Property().className = "STATIC";
    parent.Property().style = WS_POPUP;
    RecordingView child;
    child.Property().className = "STATIC";
    child.Property().style = WS_CHILD;
    parent.Create(nullptr);
    child.Create(&parent);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(child.Window(), WM_GETFONT, 0, 0)), parentFont.Handle());
    EXPECT_TRUE(child.Property().flags & kViewNotATabStop);  // not subclassed
    DestroyWindow(parent.Window());
}

TEST(WinViewFitting, EmptyTextHasNoWidthAndOneLineOfHeight) {
    WinLayerTest::ScreenDC dc;
    HGDIOBJ old = SelectObject(dc.Get(), Environment().DefaultFont().Handle());
    TEXTMETRICW metrics;
    GetTextMetricsW(dc.Get(), &metrics);
    SelectObject(dc.Get(), old);
    const int scroll = GetSystemMetrics(SM_CXVSCROLL);

    struct Case {
        DWORD style;
        int extraWidth;
        int extraHeight;
    } cases[] = {
        {WS_CHILD, 0, 0}, {WS_CHILD | WS_VSCROLL, scroll, 0}, {WS_CHILD | WS_VSCROLL | WS_HSCROLL, scroll, scroll}};
    for (const Case& c : cases) {
        WinView view;
        view.Property().style = c.style;
        view.margins = {2, 3, 4, 5};
        view.FitToText();
        EXPECT_EQ(view.textWidth, 0);
        EXPECT_EQ(view.textHeight, metrics.tmHeight);
        EXPECT_EQ(view.outerWidth, 6 + c.extraWidth);
        EXPECT_EQ(view.outerHeight, metrics.tmHeight + 8 + c.extraHeight);
    }
}

TEST(WinViewResize, AnchorsMoveEdgesByReferenceDeltas) {
    struct Case {
        uint16_t flags;
        RECT expected;
    } cases[] = {
        {0x0012, {110, 10, 150, 30}},  // moves with the right edge, keeps its width
        {0x0011, {10, 10, 150, 30}},   // stretches with the right edge
        {0x1100, {10, 10, 50, 80}},    // stretches with the bottom edge
        {0x0044, {60, 10, 100, 30}},   // stays horizontally centred
        {0x0000, {10, 10, 50, 30}},
    };
    for (const Case& c : cases) {
        RECT reference = {0, 0, 200, 100};
        WinViewResize record;
        record.viewRect = {10, 10, 50, 30};
        record.SetAnchors(&reference, c.flags);
        reference = {0, 0, 300, 150};
        EXPECT_TRUE(record.ApplyAnchors());
        EXPECT_TRUE(EqualRect(&record.viewRect, &c.expected)) << std::hex << c.flags;
        EXPECT_TRUE(record.ApplyAnchors());  // no change since the last call: no move
        EXPECT_TRUE(EqualRect(&record.viewRect, &c.expected)) << std::hex << c.flags;
    }
}

TEST(WinViewResize, CentreDeltasTruncateTowardZero) {
    struct Case {
        RECT before, after;
        LONG delta;
    } cases[] = {
        {{0, 0, 101, 0}, {1, 0, 102, 0}, 1},    // 51 - 50
        {{-101, 0, 0, 0}, {-100, 0, 0, 0}, 0},  // -50 - -50, not -50 - -51
        {{0, 0, 100, 0}, {0, 0, 103, 0}, 1},    // 51 - 50
    };
    for (const Case& c : cases) {
        RECT reference = c.before;
        WinViewResize record;
        record.viewRect = {10, 0, 20, 0};
        record.SetAnchors(&reference, kAnchorLeftByCentre | kAnchorRightByCentre);
        reference = c.after;
        record.ApplyAnchors();
        EXPECT_EQ(record.viewRect.left, 10 + c.delta);
        EXPECT_EQ(record.viewRect.right, 20 + c.delta);
    }
    WinViewResize unanchored;
    EXPECT_FALSE(unanchored.ApplyAnchors());
}

TEST(WinViewStyle, TextOperationsKeepEncodingAndCountRevisions) {
    WinView view;
    view.SetText(RawString::FromWide(L"ab"));
    EXPECT_EQ(view.Property().text.Encoding(), RawLayer::Wide);
    view.AppendText(RawString::FromUnits("c\xC3\xA9", -1, RawLayer::Utf8));  // converted to Wide
    EXPECT_TRUE(view.Property().text.Equals(RawString::FromWide(L"abc\u00E9")));
    RawString shown = view.GetText();
    EXPECT_EQ(shown.Encoding(), RawLayer::Utf8);
    EXPECT_TRUE(shown.Equals(RawString::FromUnits("abc\xC3\xA9", -1, RawLayer::Utf8)));
    view.SetText(view.Property().text);
    view.ClearText();
    EXPECT_TRUE(view.Property().text.IsEmpty());
    EXPECT_EQ(view.Property().text.Encoding(), RawLayer::Wide);
    EXPECT_EQ(view.Property().textRevision, 4u);
}

namespace {

class MenuHook : public WinTMenuExecution {
public:
    using WinTMenuExecution::WinTMenuExecution;
    void BuildMenu(HMENU& menu) override { built = menu; }
    void UpdateMenu(HMENU& menu) override { updated = menu; }
    void ExecuteCommand(WPARAM command) override { executed = command; }
    HMENU built = nullptr;
    HMENU updated = nullptr;
    WPARAM executed = 0;
};

// A dialog that records the messages of its window.
class RecordingDialog : public WinDialog {
public:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        received.push_back(message);
        return WinDialog::HandleMessage(message, wParam, lParam);
    }
    std::vector<UINT> received;
};

}  // namespace

TEST(WinViewWindowProcedure, AttachesAtCreationAndServesTheMenuHook) {
    struct Case {
        const char* className;
        bool unicode;
    } cases[] = {{"KairodexTestFrame", false}, {"KairodexTestFr\xC3\xA4me", true}};
    for (const Case& c : cases) {
        RecordingDialog view;
        view.Property().className = RawString::FromUnits(c.className, -1, RawLayer::Utf8);
        view.Property().style = WS_OVERLAPPEDWINDOW;
        view.SetText(RawString::FromWide(L"Fen\u00EAtre"));
        view.viewRect = {0, 0, 200, 100};
        MenuHook hook(view);
        ASSERT_TRUE(view.Show());
        HWND window = view.Window();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(IsWindowUnicode(window) != FALSE, c.unicode);
        ASSERT_FALSE(view.received.empty());
        EXPECT_EQ(view.received.front(), static_cast<UINT>(WM_NCCREATE));  // earlier ones went by
        wchar_t title[32] = {};
        GetWindowTextW(window, title, 32);
        EXPECT_STREQ(title, L"Fen\u00EAtre");

        EXPECT_EQ(hook.built, GetSystemMenu(window, FALSE));
        ASSERT_NE(hook.built, nullptr);
        SendMessageA(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hook.built), 0);
        EXPECT_EQ(hook.updated, hook.built);
        SendMessageA(window, WM_SYSCOMMAND, 0x1230, 0);
        EXPECT_EQ(hook.executed, 0x1230u);

        DestroyWindow(window);
        EXPECT_EQ(view.Window(), nullptr);
        WinLayerTest::PumpMessages();  // takes the WM_QUIT that the destruction posted
    }
}

TEST(WinViewList, NumbersViewsInOrderAndFindsThem) {
    WinViewList list(2000);
    WinView first, second;
    list.Add(&first);
    list.Add(&second);
    EXPECT_EQ(first.Property().identifier, 2000);
    EXPECT_EQ(second.Property().identifier, 2001);
    EXPECT_EQ(list.FindByIdentifier(2001), &second);
    EXPECT_EQ(list.FindByWindow(nullptr), nullptr);
    EXPECT_TRUE(list.Remove(&first));
    EXPECT_FALSE(list.Remove(&first));
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.FindByIdentifier(2000), nullptr);
}
