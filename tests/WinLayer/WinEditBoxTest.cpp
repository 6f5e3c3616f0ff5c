#include "WinLayer/WinEditBox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RawLayer/RawClipboard.h"
#include "RawLayer/RawLanguageTexts.h"
#include "WinControlHost.h"
#include "WinEditTestSupport.h"
#include "WinLayer/WinDialog.h"
#include "WinLayer/WinGdiObjects.h"
#include "WinPixelSupport.h"

using namespace WinLayer;
using namespace WinLayerTest;
using RawLayer::RawString;

namespace {

constexpr LONG kMargin = 2;

ControlHost& SharedHost() {
    static ControlHost* host = [] {
        auto* made = new ControlHost;  // lives as long as the process, like its window
        SetWindowPos(made->Window(), nullptr, 40, 40, 500, 400, SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(made->Window(), SW_SHOW);
        LoopViews() = &made->children;
        return made;
    }();
    return *host;
}

// An edit box of 200 x 24 pixels in the shared host.
struct EditWindow {
    ControlHost& host = SharedHost();
    WinEditBox box;

    explicit EditWindow(const std::wstring& text = L"", uint16_t flags = 0, RECT rect = {10, 10, 210, 34}) {
        box.editFlags = flags;
        box.SetText(RawString::FromWide(text.c_str(), static_cast<int32_t>(text.size())));
        host.Add(box, rect);
        PumpWide();
        host.notices.clear();
        host.navigations.clear();
    }
    ~EditWindow() {
        DestroyWindow(box.Window());
        host.children.Remove(&box);
        PumpWide();
    }

    HWND Window() const { return box.Window(); }
    std::wstring Text() const { return WideOf(box.Property().text); }
    void Press(UINT key, int held = 0) { PressKey(Window(), key, held); }
    void Type(const std::wstring& units) { TypeUnits(Window(), units); }
    void Select(int32_t anchor, int32_t caret) {
        box.SyncText();
        box.anchor = anchor;
        box.caret = caret;
    }
    void Mouse(UINT message, POINT point) {
        PostMessageW(Window(), message, message == WM_MOUSEMOVE ? MK_LBUTTON : 0, PointParameter(point));
        PumpWide();
    }
    void Click(POINT point) {
        Mouse(WM_LBUTTONDOWN, point);
        Mouse(WM_LBUTTONUP, point);
    }
    void Drop(HDROP drop) {
        PostMessageW(Window(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
        PumpWide();
    }
    void Command(int id) {
        PostMessageW(Window(), FrameworkMessage, static_cast<WPARAM>(id), 0);
        PumpWide();
    }
    void PrintInto(const PixelCanvas& canvas) {
        SendMessageW(Window(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Get()), PRF_CLIENT);
    }
    std::vector<int> Codes() const {
        std::vector<int> codes;
        for (const ControlHost::ChildNotice& notice : host.notices) codes.push_back(notice.code);
        return codes;
    }
    int Count(int code) const { return host.CountNotices(code); }
};

// The client point a third into unit index of a single-line text (or of a text's line that
// starts at lineStart, on line `line`): a click there puts the caret before the unit.
POINT PointInto(const std::wstring& text, int index, int lineStart = 0, int line = 0, int pitch = 0) {
    const int left = TextWidth(text.substr(lineStart, index - lineStart));
    const int width = TextWidth(text.substr(index, 1));
    return {kMargin + left + width / 3, kMargin + line * pitch + 3};
}

std::wstring Repeat(wchar_t unit, size_t count) { return std::wstring(count, unit); }

}  // namespace

TEST(WinEditBoxTyping, TypingBackspaceAndDeleteOverSelections) {
    EditWindow edit;
    edit.Type(L"hello");
    EXPECT_EQ(edit.Text(), L"hello");
    EXPECT_EQ(edit.box.caret, 5);
    EXPECT_EQ(edit.Count(NotifyChanged), 5);
    edit.Press(VK_BACK);
    EXPECT_EQ(edit.Text(), L"hell");
    edit.Press(VK_LEFT);
    edit.Press(VK_LEFT);
    edit.Press(VK_DELETE);
    EXPECT_EQ(edit.Text(), L"hel");
    edit.Press(VK_HOME, kShift);  // selects [0, 2)
    edit.Type(L"J");
    EXPECT_EQ(edit.Text(), L"Jl");
    edit.Select(0, 2);
    edit.Press(VK_BACK);
    EXPECT_EQ(edit.Text(), L"");
    // Nothing to remove: no change reported, the undo record kept.
    const int changes = edit.Count(NotifyChanged);
    edit.Press(VK_BACK);
    edit.Press(VK_DELETE);
    EXPECT_EQ(edit.Count(NotifyChanged), changes);
    edit.Press('Z', kControl);
    EXPECT_EQ(edit.Text(), L"Jl");
    // Control units other than those the box maps are not typed.
    edit.Type(L"\x01\x1b\x7f");
    EXPECT_EQ(edit.Text(), L"Jl");
}

TEST(WinEditBoxKeys, HomeEndControlArrowsAndShiftExtension) {
    EditWindow edit(L"alpha beta");
    edit.Press(VK_END);
    EXPECT_EQ(edit.box.caret, 10);
    EXPECT_EQ(edit.box.anchor, 10);
    edit.Press(VK_LEFT, kControl);
    EXPECT_EQ(edit.box.caret, 0);
    edit.Press(VK_END, kShift);
    EXPECT_EQ(edit.box.anchor, 0);
    EXPECT_EQ(edit.box.caret, 10);
    edit.Press(VK_LEFT);  // collapses to the start
    EXPECT_EQ(edit.box.caret, 0);
    EXPECT_EQ(edit.box.anchor, 0);
    edit.Press(VK_RIGHT, kControl);
    EXPECT_EQ(edit.box.caret, 10);
    edit.Press(VK_LEFT, kShift);
    edit.Press(VK_LEFT, kShift);
    EXPECT_EQ(edit.box.anchor, 10);
    EXPECT_EQ(edit.box.caret, 8);
    edit.Press(VK_RIGHT);  // collapses to the end
    EXPECT_EQ(edit.box.caret, 10);
    EXPECT_EQ(edit.box.anchor, 10);
    edit.Press('J', kControl);  // as Left
    EXPECT_EQ(edit.box.caret, 9);
    edit.Press('L', kControl);  // as Right
    EXPECT_EQ(edit.box.caret, 10);
    edit.Press(VK_HOME, kShift);
    EXPECT_EQ(edit.box.caret, 0);
    EXPECT_EQ(edit.box.anchor, 10);
    edit.Press('A', kControl);
    EXPECT_EQ(edit.box.SelectionStart(), 0);
    EXPECT_EQ(edit.box.SelectionEnd(), 10);
}

TEST(WinEditBoxKeys, CrLfIsOneStepAndHomeIsTheStartOfTheText) {
    EditWindow edit(L"ab\r\ncd", kEditMultiLine, {10, 10, 210, 80});
    edit.Press(VK_END);
    edit.Press(VK_HOME);
    EXPECT_EQ(edit.box.caret, 0);  // not the start of the second line
    edit.Press(VK_RIGHT);
    edit.Press(VK_RIGHT);
    edit.Press(VK_RIGHT);
    EXPECT_EQ(edit.box.caret, 4);
    edit.Press(VK_LEFT);
    EXPECT_EQ(edit.box.caret, 2);
    edit.Press(VK_DELETE);
    EXPECT_EQ(edit.Text(), L"abcd");
    edit.Press('Z', kControl);
    EXPECT_EQ(edit.Text(), L"ab\r\ncd");
    edit.Select(4, 4);
    edit.Press(VK_BACK);
    EXPECT_EQ(edit.Text(), L"abcd");

    EditWindow start(L"\r\nx", kEditMultiLine, {10, 90, 210, 160});
    start.Press(VK_HOME);
    start.Press(VK_RIGHT);
    EXPECT_EQ(start.box.caret, 2);
    start.Press(VK_LEFT);
    EXPECT_EQ(start.box.caret, 0);
    start.Press(VK_RETURN);  // Enter breaks the line with CR LF in one undo step
    EXPECT_EQ(start.Text(), L"\r\n\r\nx");
    start.Press('Z', kControl);
    EXPECT_EQ(start.Text(), L"\r\nx");
}

TEST(WinEditBoxKeys, UpAndDownKeepTheRememberedX) {
    // Lines: [0, 8) "abcdef", [8, 12) "ab", [12, 18) "abcdef".
    EditWindow edit(L"abcdef\r\nab\r\nabcdef", kEditMultiLine, {10, 10, 210, 100});
    edit.Select(5, 5);
    edit.Press(VK_DOWN);
    EXPECT_EQ(edit.box.caret, 10);  // the end of the short line
    edit.Press(VK_DOWN);
    EXPECT_EQ(edit.box.caret, 17);  // back at the x of the start
    edit.Press(VK_DOWN);            // no line below
    EXPECT_EQ(edit.box.caret, 17);
    edit.Press(VK_UP, kShift);
    EXPECT_EQ(edit.box.caret, 10);
    EXPECT_EQ(edit.box.anchor, 17);
    edit.Press('I', kControl);  // line up
    EXPECT_EQ(edit.box.caret, 5);
    edit.Press(VK_RIGHT);  // any other key forgets the x
    edit.Press('K', kControl);
    EXPECT_EQ(edit.box.caret, 10);
}

TEST(WinEditBoxKeys, SingleLineUpDownNavigateOrNotify) {
    EditWindow edit(L"12");
    edit.Press(VK_UP);
    edit.Press(VK_DOWN);
    ASSERT_EQ(edit.host.navigations.size(), 2u);
    EXPECT_EQ(edit.host.navigations[0].backwards, 1);
    EXPECT_EQ(edit.host.navigations[1].backwards, 0);

    EditWindow mode(L"12", kEditUpDownMode, {10, 40, 210, 64});
    mode.Press(VK_UP);
    mode.Press(VK_DOWN);
    EXPECT_TRUE(mode.host.navigations.empty());
    EXPECT_EQ(mode.Codes(), std::vector<int>{NotifyDownKey});
}

TEST(WinEditBoxKeys, TabTypesOrMovesTheFocus) {
    EditWindow typed(L"");
    typed.Press(VK_TAB);
    EXPECT_EQ(typed.Text(), L"\t");
    typed.Press(VK_TAB, kShift);  // Shift+Tab goes back
    EXPECT_EQ(typed.Text(), L"\t");
    ASSERT_EQ(typed.host.navigations.size(), 1u);
    EXPECT_EQ(typed.host.navigations[0].backwards, 1);

    EditWindow moving(L"", kEditTabMovesFocus, {10, 40, 210, 64});
    moving.Press(VK_TAB);
    EXPECT_EQ(moving.Text(), L"");
    ASSERT_EQ(moving.host.navigations.size(), 1u);
    EXPECT_EQ(moving.host.navigations[0].backwards, 0);
}

TEST(WinEditBoxLayout, MultiLineWrapsAtTheContentWidthAndNeverMakesEmptyLines) {
    const std::wstring text = L"abcdefghijklmnopqrstuvwxyz";
    EditWindow edit(text, kEditMultiLine, {10, 10, 74, 200});  // 60 pixels inside the margins
    edit.box.EnsureLayout();
    const WinEditBoxDraw& draw = edit.box.Drawing();
    ASSERT_GT(draw.LineCount(), 1);
    int32_t expected = 0;
    for (int32_t line = 0; line < draw.LineCount(); ++line) {
        const WinEditLine record = draw.Line(line);
        EXPECT_EQ(record.start, expected);
        EXPECT_GT(record.end, record.start);
        EXPECT_LE(record.width, 60);
        EXPECT_EQ(record.width, TextWidth(text.substr(record.start, record.end - record.start)));
        if (record.end < static_cast<int32_t>(text.size())) {
            EXPECT_GT(record.width + TextWidth(text.substr(record.end, 1)), 60) << "broke early at " << record.end;
        }
        expected = record.end;
    }
    EXPECT_EQ(expected, static_cast<int32_t>(text.size()));

    // No width at all: one unit a line, and the box still paints.
    EditWindow narrow(L"abc", kEditMultiLine, {300, 10, 300, 100});
    PixelCanvas canvas(40, 90);
    DrawInto(narrow.box, 0, canvas);
    narrow.box.EnsureLayout();
    EXPECT_EQ(narrow.box.Drawing().LineCount(), 3);
    narrow.box.wrapWidth = 1;
    narrow.box.Remeasure(false);
    EXPECT_EQ(narrow.box.Drawing().LineCount(), 3);
}

TEST(WinEditBoxMouse, ClickDragAndAutomaticScroll) {
    const std::wstring text = L"abcdef";
    EditWindow edit(text);
    edit.Click(PointInto(text, 1));
    EXPECT_EQ(edit.box.caret, 1);
    EXPECT_EQ(edit.box.anchor, 1);
    // In the right third of "b" the caret goes after it.
    const int bLeft = kMargin + TextWidth(L"a");
    const int bWidth = TextWidth(L"b");
    edit.Click({bLeft + bWidth - 1, 5});
    EXPECT_EQ(edit.box.caret, 2);
    edit.Mouse(WM_LBUTTONDOWN, PointInto(text, 1));
    edit.Mouse(WM_MOUSEMOVE, PointInto(text, 3));
    edit.Mouse(WM_LBUTTONUP, PointInto(text, 4));
    EXPECT_EQ(edit.box.anchor, 1);
    EXPECT_EQ(edit.box.caret, 4);
    edit.Click({190, 5});  // right of the text
    EXPECT_EQ(edit.box.caret, 6);

    const std::wstring wide = Repeat(L'w', 80);
    EditWindow scrolling(wide, 0, {10, 40, 110, 64});
    scrolling.Mouse(WM_LBUTTONDOWN, {5, 5});
    ASSERT_EQ(scrolling.box.scrollX, 0);
    // Past the right edge the text scrolls on with every move; near the left edge it comes back.
    scrolling.Mouse(WM_MOUSEMOVE, {98, 5});
    const int32_t first = scrolling.box.scrollX;
    scrolling.Mouse(WM_MOUSEMOVE, {99, 5});
    EXPECT_GT(first, 0);
    EXPECT_GT(scrolling.box.scrollX, first);
    EXPECT_EQ(scrolling.box.anchor, 0);
    const int32_t farthest = scrolling.box.scrollX;
    scrolling.Mouse(WM_MOUSEMOVE, {3, 5});
    EXPECT_LT(scrolling.box.scrollX, farthest);
    scrolling.Mouse(WM_LBUTTONUP, {3, 5});
    EXPECT_FALSE(scrolling.box.editFlags & kEditMouseSelecting);
}

TEST(WinEditBoxMouse, DoubleClickSelectsTheRunOfOneClass) {
    // word, blank, punctuation, blank, Latin-1, blank, wide, word
    const std::wstring text = L"foo_bar1  ,;  \x00e4\x00f6\x00fc \x6f22\x5b57x";
    EditWindow edit(text, 0, {10, 10, 310, 34});
    struct Case {
        int click;
        int32_t start;
        int32_t end;
    } cases[] = {{2, 0, 8}, {8, 8, 10}, {11, 10, 12}, {15, 14, 17}, {18, 18, 20}, {20, 20, 21}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.click);
        const POINT point = PointInto(text, c.click);
        edit.Mouse(WM_LBUTTONDOWN, point);
        edit.Mouse(WM_LBUTTONUP, point);
        edit.Mouse(WM_LBUTTONDBLCLK, point);
        edit.Mouse(WM_LBUTTONUP, point);
        EXPECT_EQ(edit.box.SelectionStart(), c.start);
        EXPECT_EQ(edit.box.SelectionEnd(), c.end);
        EXPECT_EQ(edit.box.caret, c.end);
    }
}

TEST(WinEditBoxUndo, SecondUndoRedoesForTypingPasteCutAndDrop) {
    EditWindow edit(L"hello");
    edit.Select(1, 4);
    edit.Type(L"X");
    EXPECT_EQ(edit.Text(), L"hXo");
    edit.Press('Z', kControl);
    EXPECT_EQ(edit.Text(), L"hello");
    EXPECT_EQ(edit.box.SelectionStart(), 1);  // the restored text is selected
    EXPECT_EQ(edit.box.SelectionEnd(), 4);
    edit.Press('Z', kControl);
    EXPECT_EQ(edit.Text(), L"hXo");

    ASSERT_TRUE(PutClipboard(L"12"));
    edit.Press('A', kControl);
    edit.Press('V', kControl);
    EXPECT_EQ(edit.Text(), L"12");
    edit.Press('Z', kControl);
    EXPECT_EQ(edit.Text(), L"hXo");
    edit.Press('Z', kControl);
    EXPECT_EQ(edit.Text(), L"12");

    edit.Select(0, 1);
    edit.Press('X', kControl);
    EXPECT_EQ(edit.Text(), L"2");
    EXPECT_EQ(ClipboardText(), L"1");  // a cut keeps what it removes
    edit.Press('Z', kControl);
    EXPECT_EQ(edit.Text(), L"12");
    edit.Press('Z', kControl);
    EXPECT_EQ(edit.Text(), L"2");

    HDROP drop = MakeDrop({L"C:\\a.txt"});
    edit.Drop(drop);
    EXPECT_EQ(edit.Text(), L"C:\\a.txt");
    edit.Press('Z', kControl);
    EXPECT_EQ(edit.Text(), L"2");
    edit.Press('Z', kControl);
    EXPECT_EQ(edit.Text(), L"C:\\a.txt");
}

TEST(WinEditBoxClipboard, CopyPasteBetweenBoxesThroughTheRealClipboard) {
    EditWindow source(L"copy \x20ac me");
    EditWindow target(L"[]", 0, {10, 40, 210, 64});
    source.Select(5, 6);
    source.Press('C', kControl);
    EXPECT_EQ(ClipboardText(), L"\x20ac");
    target.Select(1, 1);
    target.Press('V', kControl);
    EXPECT_EQ(target.Text(), L"[\x20ac]");
    EXPECT_EQ(target.box.caret, 2);

    // The clipboard gives at most 4,096 units.
    ASSERT_TRUE(PutClipboard(Repeat(L'x', 5000)));
    target.Press('A', kControl);
    target.Command(kEditBarPaste);
    EXPECT_EQ(target.Text().size(), 4096u);

    // No text on the clipboard: the selection stays.
    ASSERT_TRUE(PutClipboardPicture());
    target.Select(0, 10);
    target.Press('V', kControl);
    EXPECT_EQ(target.Text().size(), 4096u);
    EXPECT_EQ(target.box.SelectionEnd(), 10);

    // Nothing selected: the clipboard keeps what it has.
    ASSERT_TRUE(PutClipboard(L"kept"));
    source.Select(3, 3);
    source.Press('C', kControl);
    EXPECT_EQ(ClipboardText(), L"kept");
}

TEST(WinEditBoxModes, ReadOnlyBoxRefusesEveryEditButFinishesDrops) {
    EditWindow edit(L"keep", kEditReadOnly | kEditMultiLine, {10, 10, 210, 60});
    ASSERT_TRUE(PutClipboard(L"pasted"));
    edit.Select(1, 3);
    edit.Type(L"xy");
    for (UINT key : {VK_BACK, VK_DELETE, VK_RETURN, VK_TAB}) edit.Press(key);
    for (UINT letter : {'H', 'M', 'V', 'X', 'Z'}) edit.Press(letter, kControl);
    for (int command : {kEditBarUndo, kEditBarPaste, kEditBarDelete, kEditBarInsertTab}) edit.Command(command);
    HDROP drop = MakeDrop({L"C:\\x.txt"});
    edit.Drop(drop);
    EXPECT_EQ(edit.Text(), L"keep");
    EXPECT_EQ(edit.Count(NotifyChanged), 0);
    EXPECT_EQ(edit.Count(NotifyDropped), 0);
    EXPECT_TRUE(IsFinished(drop));
    // Reading still works.
    edit.Press('C', kControl);
    EXPECT_EQ(ClipboardText(), L"ee");
}

TEST(WinEditBoxModes, PasswordShowsAndCopiesAsterisks) {
    EditWindow edit(L"", kEditPassword);
    edit.Type(L"s3cr\x00e9t");
    EXPECT_EQ(edit.Text(), L"s3cr\x00e9t");
    edit.box.SyncText();
    EXPECT_EQ(WideOf(edit.box.displayText), L"******");
    edit.Press('A', kControl);
    edit.Press('C', kControl);
    EXPECT_EQ(ClipboardText(), L"******");
    EXPECT_EQ(edit.Text(), L"s3cr\x00e9t");
}

TEST(WinEditBoxModes, SingleLineShowsControlUnitsAsMarksAndEnterNotifies) {
    EditWindow edit(L"");
    ASSERT_TRUE(PutClipboard(L"a\r\nb\tc"));
    edit.Press('V', kControl);
    EXPECT_EQ(edit.Text(), L"a\r\nb\tc");
    edit.box.SyncText();
    EXPECT_EQ(WideOf(edit.box.displayText), L"a\x25a0\x25a0" L"b\tc");  // a tab is shown expanded
    edit.box.editFlags |= kEditTabMovesFocus;
    edit.box.SyncText();
    EXPECT_EQ(WideOf(edit.box.displayText), L"a\x25a0\x25a0" L"b\x25a0" L"c");
    edit.Press(VK_RETURN);
    EXPECT_EQ(edit.Text(), L"a\r\nb\tc");
    EXPECT_EQ(edit.Count(NotifyEnter), 1);
}

// Sent notices arrive at once, posted ones after the messages already queued.
TEST(WinEditBoxNotices, SentAtOncePostedInQueueOrder) {
    EditWindow edit(L"");
    PostMessageW(edit.Window(), WM_CHAR, L'x', 1);
    PostMessageW(edit.Window(), WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(edit.Window(), WM_KEYDOWN, VK_ESCAPE, 1);
    PumpWide();
    EXPECT_EQ(edit.Codes(), (std::vector<int>{NotifyEnter, NotifyCancel, NotifyChanged}));

    edit.host.notices.clear();
    edit.Drop(MakeDrop({L"C:\\one"}));
    EXPECT_EQ(edit.Codes(), (std::vector<int>{NotifyChanged, NotifyDropped}));

    edit.host.notices.clear();
    edit.Press('M', kControl);  // single-line: as Enter
    edit.Press(VK_RETURN, kControl);
    edit.Command(kEditBarCancel);
    EXPECT_EQ(edit.Codes(), (std::vector<int>{NotifyEnter, NotifyEnter, NotifyCancel}));
}

TEST(WinEditBoxDrop, EveryNameArrivesWholeJoinedByBlanks) {
    const std::wstring longName = L"C:\\" + Repeat(L'd', 200) + L"\\" + Repeat(L'f', 150) + L".txt";
    ASSERT_GT(longName.size(), 260u);
    const std::vector<std::wstring> names = {L"C:\\with blank\\one.txt", L"C:\\folder", longName,
                                             L"C:\\Z\x00fcrich\\\x0141\x00f3d\x017a.txt"};
    EditWindow edit(L"old");
    HDROP drop = MakeDrop(names);
    edit.Drop(drop);
    EXPECT_EQ(edit.Text(), names[0] + L" " + names[1] + L" " + longName + L" " + names[3]);
    EXPECT_TRUE(IsFinished(drop));
    EXPECT_EQ(edit.Count(NotifyDropped), 1);

    HDROP empty = MakeDrop({});
    edit.Drop(empty);
    EXPECT_TRUE(IsFinished(empty));
    EXPECT_EQ(edit.Count(NotifyDropped), 1);
}

// A dialog fits its boxes before their windows exist: the line height is measured then.
TEST(WinEditBoxMends, FittingBeforeTheWindowExistsMeasuresTheLineHeight) {
    WinEditBox box;
    box.SetText("2024/09/07");
    box.lineGap = 4;
    box.FitToText();
    EXPECT_GT(box.outerWidth, TextWidth(L"2024/09/07"));
    EXPECT_GT(box.textHeight, 4);
    const int32_t width = box.outerWidth;
    const int32_t height = box.outerHeight;
    ControlHost& host = SharedHost();
    host.Add(box, {10, 10, 10 + width, 10 + height});
    EXPECT_GT(box.lineHeight, 0);
    box.FitToText();
    EXPECT_EQ(box.outerWidth, width);
    EXPECT_EQ(box.outerHeight, height);
    EXPECT_EQ(box.textHeight, box.lineHeight + box.lineGap);
    DestroyWindow(box.Window());
    host.children.Remove(&box);
}

// A text replaced from outside is shorter than the positions kept for the old one.
TEST(WinEditBoxMends, OutsideTextChangeKeepsEveryPositionInsideTheText) {
    EditWindow edit(L"");
    SetFocus(edit.Window());
    edit.Type(L"2024/09/07 12");
    edit.Press(VK_END);
    edit.box.spanStart = 11;
    edit.box.spanEnd = 13;
    edit.box.SetText("2024/09/07");  // as the dialog shows a value
    edit.box.UpdateWindowText();
    SendMessageW(edit.Window(), WM_TIMER, kCaretTimer, 0);
    SetWindowPos(edit.Window(), nullptr, 0, 0, 150, 30, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(edit.box.caret, 10);
    EXPECT_EQ(edit.box.spanEnd, 10);
    edit.Press('Z', kControl);  // the record was of the old text: nothing to undo
    EXPECT_EQ(edit.Text(), L"2024/09/07");
    edit.Press(VK_DELETE);
    edit.Press(VK_RIGHT, kShift);
    EXPECT_EQ(edit.Text(), L"2024/09/07");
    edit.Press(VK_BACK);
    EXPECT_EQ(edit.Text(), L"2024/09/0");
    edit.Press('Z', kControl);
    EXPECT_EQ(edit.Text(), L"2024/09/07");
    PixelCanvas canvas(150, 30);
    edit.PrintInto(canvas);
}

TEST(WinEditBoxMends, CharacterTakesTheWholeUnit) {
    EditWindow edit(L"");
    edit.Type(L"\x0141\x20ac\x00e9");
    EXPECT_EQ(edit.Text(), L"\x0141\x20ac\x00e9");
    // Sent straight to the window, the character comes as the window's character set has it.
    const bool unicode = IsWindowUnicode(edit.Window()) != FALSE;
    SendMessageW(edit.Window(), WM_CHAR, 0x00e9, 1);
    if (unicode) {
        SendMessageW(edit.Window(), WM_CHAR, 0x0141, 1);
        EXPECT_EQ(edit.Text(), L"\x0141\x20ac\x00e9\x00e9\x0141");
    } else {
        SendMessageA(edit.Window(), WM_CHAR, 0x80, 1);  // a byte of the ANSI code page
        wchar_t expected = 0;
        const char euroByte = static_cast<char>(0x80);
        MultiByteToWideChar(CP_ACP, 0, &euroByte, 1, &expected, 1);
        EXPECT_EQ(edit.Text(), std::wstring(L"\x0141\x20ac\x00e9\x00e9") + expected);
    }
}

// The dialog loop hands typed characters on whole, also those outside the ANSI code page.
TEST(WinEditBoxMends, CharacterThroughTheDialogLoop) {
    class EditDialog : public WinDialog {
    public:
        EditDialog() {
            Property().className = "KairodexEditDialog";
            Property().style = WS_POPUP;
            viewRect = {60, 60, 260, 120};
            Children().Add(&box);
            box.viewRect = {5, 5, 195, 30};
        }
        void OnCreateWindow() override { box.Create(this); }
        WinEditBox box;
    } dialog;
    ASSERT_TRUE(dialog.Show());
    PostMessageW(dialog.box.Window(), WM_CHAR, 0x0141, 1);
    PostMessageW(dialog.Window(), WM_CLOSE, 0, 0);
    dialog.RunMessageLoop();
    EXPECT_EQ(WideOf(dialog.box.Property().text), L"\x0141");
}

TEST(WinEditBoxMenu, EditBarItemsByPositionWithTheirStates) {
    struct Item {
        UINT id;
        bool grey;
        std::wstring text;
    };
    auto items = [](HMENU menu) {
        std::vector<Item> read;
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t text[64] = {};
            GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
            const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
            const UINT id = (state & MF_SEPARATOR) ? 0 : GetMenuItemID(menu, i);
            read.push_back({id, (state & MF_GRAYED) != 0, text});
        }
        DestroyMenu(menu);
        return read;
    };
    EditWindow edit(L"text");
    const bool ime = edit.box.Ime().HasContext();
    std::vector<Item> plain = items(edit.box.BuildEditBar());
    ASSERT_EQ(plain.size(), 10u);
    const UINT ids[] = {2, 0, 3, 4, 5, 6, 7, 0, 8, 9};
    for (size_t i = 0; i < plain.size(); ++i) EXPECT_EQ(plain[i].id, ids[i]) << i;
    EXPECT_TRUE(plain[0].grey);  // nothing to undo yet
    EXPECT_EQ(plain[0].text, L"Undo text.");
    EXPECT_EQ(plain[2].text, L"Copy to clipboard.");
    EXPECT_EQ(plain[6].text, L"Insert tab code.");
    EXPECT_EQ(plain[9].text, L"Register selection.");
    EXPECT_FALSE(plain[2].grey);
    EXPECT_EQ(plain[8].grey, !ime);

    edit.Type(L"!");
    edit.box.editFlags |= kEditMenuCancel;
    std::vector<Item> cancel = items(edit.box.BuildEditBar());
    ASSERT_EQ(cancel.size(), 12u);
    EXPECT_EQ(cancel[0].id, 1u);
    EXPECT_EQ(cancel[0].text, L"Cancel edit.");
    EXPECT_EQ(cancel[1].id, 0u);
    EXPECT_EQ(cancel[2].id, 2u);
    EXPECT_FALSE(cancel[2].grey);
    edit.box.editFlags |= kEditReadOnly;
    EXPECT_TRUE(items(edit.box.BuildEditBar())[2].grey);
}

TEST(WinEditBoxMenu, TextsComeFromTheLanguageFile) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"KairodexEditBar.ini";
    auto write = [&path](const char* content) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, content, static_cast<DWORD>(strlen(content)), &written, nullptr);
        CloseHandle(file);
    };
    write("[Default]\r\nEditBar_Copy=Kopieren\r\n");
    RawLayer::RawLanguageTexts& texts = RawLayer::LanguageTexts();
    texts.SetFilePath(RawString::FromWide(path.c_str()));
    texts.SelectSection("Default");
    EditWindow edit(L"text");
    HMENU menu = edit.box.BuildEditBar();
    wchar_t copy[64] = {};
    wchar_t paste[64] = {};
    GetMenuStringW(menu, kEditBarCopy, copy, 64, MF_BYCOMMAND);
    GetMenuStringW(menu, kEditBarPaste, paste, 64, MF_BYCOMMAND);
    DestroyMenu(menu);
    EXPECT_STREQ(copy, L"Kopieren");
    EXPECT_STREQ(paste, L"Paste from clipboard.");
    texts.SetFilePath("");
    texts.SelectSection("Default");
    DeleteFileW(path.c_str());
}

TEST(WinEditBoxMenu, CommandsActOnTheSelection) {
    EditWindow edit(L"one two");
    edit.Command(kEditBarSelectAll);
    EXPECT_EQ(edit.box.SelectionEnd(), 7);
    edit.Select(4, 7);
    edit.Command(kEditBarCopy);
    EXPECT_EQ(ClipboardText(), L"two");
    edit.Command(kEditBarDelete);
    EXPECT_EQ(edit.Text(), L"one ");
    EXPECT_EQ(ClipboardText(), L"two");
    edit.Command(kEditBarUndo);
    EXPECT_EQ(edit.Text(), L"one two");
    edit.Select(3, 4);
    edit.Command(kEditBarInsertTab);
    EXPECT_EQ(edit.Text(), L"one\ttwo");
    edit.Command(kEditBarPaste);
    EXPECT_EQ(edit.Text(), L"one\ttwotwo");
    EXPECT_EQ(edit.box.OnFrameworkMessage(42, 0), -1);
    EXPECT_EQ(edit.box.OnFrameworkMessage(kEditBarSelectAll, 0), 0);
}

TEST(WinEditBoxIme, ContextOnlyWithAnImeAndResultTypedWithUndo) {
    EditWindow edit(L"ab");
    EXPECT_EQ(edit.box.Ime().HasContext(), ImmIsIME(GetKeyboardLayout(0)) != FALSE);
    EXPECT_EQ((edit.box.editFlags & kEditImeAssociated) != 0, edit.box.Ime().HasContext());
    EditWindow secret(L"", kEditPassword, {10, 40, 210, 64});
    EXPECT_FALSE(secret.box.editFlags & kEditImeAssociated);

    WinEditBoxIme& ime = edit.box.Ime();
    edit.Select(1, 2);  // "b" is replaced by the composition
    ime.StartComposition();
    EXPECT_EQ(edit.Text(), L"a");
    ime.PutComposition(RawString::FromWide(L"\x304b\x3093"));
    const DWORD clauses[] = {0, 1, 2};
    ime.PutClauses(clauses, 3);
    const BYTE attributes[] = {ATTR_INPUT, ATTR_TARGET_CONVERTED};
    ime.PutAttributes(attributes, 2);
    EXPECT_EQ(edit.Text(), L"a\x304b\x3093");
    EXPECT_EQ(edit.box.spanAttributes[0], kClauseEven);
    EXPECT_EQ(edit.box.spanAttributes[1], kClauseTarget);
    ime.PutResult(RawString::FromWide(L"\x6f22"));
    ime.EndComposition();
    EXPECT_EQ(edit.Text(), L"a\x6f22");
    EXPECT_EQ(edit.box.caret, 2);
    edit.Press('Z', kControl);
    EXPECT_EQ(edit.Text(), L"ab");
    edit.Press('Z', kControl);
    EXPECT_EQ(edit.Text(), L"a\x6f22");
}

// Reconversion takes back exactly the units it compared before the caret, and never writes
// past the buffer it was given.
TEST(WinEditBoxIme, ReconversionRemovesTheCheckedUnitsOnly) {
    EditWindow edit(L"");
    WinEditBoxIme& ime = edit.box.Ime();
    ime.StartComposition();
    ime.PutComposition(RawString::FromWide(L"xy"));
    ime.PutResult(RawString::FromWide(L"xy"));
    ime.EndComposition();
    edit.Type(L"QQxy");  // caret after the second "xy"; the span still ends after the first
    const LRESULT size = ime.Reconvert(nullptr);
    ASSERT_EQ(size, static_cast<LRESULT>(sizeof(RECONVERTSTRING) + 2 * sizeof(wchar_t)));
    std::vector<BYTE> small(size - 1);
    reinterpret_cast<RECONVERTSTRING*>(small.data())->dwSize = static_cast<DWORD>(small.size());
    EXPECT_EQ(ime.Reconvert(reinterpret_cast<RECONVERTSTRING*>(small.data())), 0);
    EXPECT_EQ(edit.Text(), L"xyQQxy");
    std::vector<BYTE> buffer(size);
    auto* request = reinterpret_cast<RECONVERTSTRING*>(buffer.data());
    request->dwSize = static_cast<DWORD>(size);
    EXPECT_EQ(ime.Reconvert(request), 1);
    EXPECT_EQ(edit.Text(), L"xyQQ");
    EXPECT_EQ(request->dwStrLen, 2u);
    EXPECT_EQ(std::wstring(reinterpret_cast<wchar_t*>(buffer.data() + request->dwStrOffset), 2), L"xy");
    edit.Select(1, 1);  // "y" alone is not the last composition
    EXPECT_EQ(ime.Reconvert(nullptr), 0);
}

TEST(WinEditBoxPixels, SelectionCaretAndFrames) {
    EditWindow edit(L"select me");
    SetFocus(edit.Window());
    ASSERT_TRUE(edit.box.planeFlags & kPlaneFocused);
    edit.Select(0, 6);
    PixelCanvas canvas(200, 24);
    edit.PrintInto(canvas);
    const int selected = TextWidth(L"select");
    EXPECT_EQ(canvas.Pixel(kMargin + 1, kMargin), COLORREF(0xFFD0C0));  // above the glyphs
    EXPECT_EQ(canvas.Pixel(kMargin + selected + 3, kMargin), edit.box.background);
    EXPECT_EQ(canvas.Pixel(0, 12), COLORREF(0xFFC0A0));  // focused frame
    EXPECT_EQ(canvas.Pixel(199, 12), COLORREF(0xFFC0A0));

    edit.Press(VK_END);
    edit.PrintInto(canvas);
    const int caretX = kMargin + TextWidth(L"select me");
    EXPECT_EQ(canvas.Pixel(caretX, kMargin + 1), RGB(0, 0, 0));  // the white background inverted
    EXPECT_EQ(canvas.Pixel(caretX + 1, kMargin + 1), RGB(0, 0, 0));
    EXPECT_EQ(canvas.Pixel(caretX + 2, kMargin + 1), edit.box.background);

    edit.box.editFlags |= kEditCaretHidden | kEditMarked;
    edit.PrintInto(canvas);
    EXPECT_EQ(canvas.Pixel(caretX, kMargin + 1), edit.box.background);
    EXPECT_EQ(canvas.Pixel(0, 12), COLORREF(0x4040FF));  // marked: red

    SetFocus(edit.host.Window());
    edit.box.editFlags &= ~kEditMarked;
    edit.PrintInto(canvas);
    EXPECT_EQ(canvas.Pixel(kMargin + 1, kMargin), edit.box.background);  // no selection without focus
    EXPECT_EQ(canvas.Pixel(0, 12), edit.box.background);                   // no frame
}

TEST(WinEditBoxPixels, DisabledTextIsGreyAndPicture) {
    EditWindow enabled(L"Kairodex 2024/09/07");
    EditWindow disabled(L"Kairodex 2024/09/07", 0, {10, 40, 210, 64});
    EditWindow marked(L"marked", kEditMarked, {10, 70, 210, 94});
    EditWindow focused(L"focused, selected", 0, {10, 100, 210, 124});
    EnableWindow(disabled.Window(), FALSE);
    SetFocus(focused.Window());
    focused.Select(9, 17);
    auto count = [](const PixelCanvas& canvas, COLORREF colour) {
        int found = 0;
        for (int y = 0; y < canvas.Height(); ++y) {
            for (int x = 0; x < canvas.Width(); ++x) found += canvas.Pixel(x, y) == colour ? 1 : 0;
        }
        return found;
    };
    PixelCanvas part(200, 24);
    PixelCanvas picture(200, 4 * 30);
    picture.Fill(RGB(255, 255, 255));
    int y = 0;
    for (EditWindow* edit : {&enabled, &disabled, &marked, &focused}) {
        edit->PrintInto(part);
        if (edit == &enabled) {
            EXPECT_GT(count(part, SystemColours().windowText), 0);
        }
        if (edit == &disabled) {
            EXPECT_GT(count(part, RGB(0xA0, 0xA0, 0xA0)), 0);
            EXPECT_EQ(count(part, SystemColours().windowText), 0);
        }
        picture.CopyFrom(part.Get(), 0, y, 200, 24);
        y += 30;
    }
    EXPECT_TRUE(picture.WritePng(ScreenFolder() + "/WinEditBox.png"));
}

TEST(WinEditBoxResources, ThousandEditsPaintsAndDropsLeaveNothingBehind) {
    EditWindow edit(L"", kEditMultiLine, {10, 10, 210, 80});
    SetFocus(edit.Window());
    PixelCanvas canvas(200, 70);
    edit.PrintInto(canvas);
    const long owned = LiveGdiObjects();
    const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    std::vector<HDROP> drops;
    for (int i = 0; i < 1000; ++i) {
        if (i % 50 == 0) {
            drops.push_back(MakeDrop({L"C:\\a", L"C:\\b"}));
            edit.Drop(drops.back());
        }
        edit.Type(i % 7 ? L"x" : L"\r");
        if (i % 3 == 0) edit.Press(VK_BACK);
        SendMessageW(edit.Window(), WM_TIMER, kCaretTimer, 0);
        edit.PrintInto(canvas);
    }
    EXPECT_EQ(LiveGdiObjects(), owned);
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), counted);
    for (HDROP drop : drops) EXPECT_TRUE(IsFinished(drop));
}
