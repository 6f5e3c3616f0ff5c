// WinEditBox: the framework's own text editor, single- or multi-line, drawn by the framework
// into its plane's off-screen surface: caret, selection, one-step undo, the clipboard, drops
// of file names, the "EditBar" context menu and inline IME composition. The box owns its
// layout, undo record and IME part; like every view it borrows its font.
#pragma once

#include <windows.h>

#include <cstdint>

#include "RawLayer/RawString.h"
#include "WinLayer/WinEditBoxBasic.h"
#include "WinLayer/WinEditBoxDraw.h"
#include "WinLayer/WinEditBoxIme.h"
#include "WinLayer/WinPlaneBox.h"

namespace WinLayer {

// Notification codes of the box, as WM_COMMAND to its own window (high word): sent (S) or
// posted (P). NotifyCancel (S), NotifyFocusLost (S) and NotifyScrolled (S) come from the bases.
constexpr int NotifyEnter = 0x1002;    // S: Enter in a single-line box, Ctrl+Enter
constexpr int NotifyDownKey = 0x1003;  // S: Down in a single-line box in Up/Down mode
constexpr int NotifyChanged = 0x1006;  // P: after every change of the text
constexpr int NotifyDropped = 0x1007;  // P: after file names were dropped

// The caret blinks by this timer, which inverts it.
constexpr UINT_PTR kCaretTimer = 600;
constexpr UINT kCaretBlinkMilliseconds = 600;

// Commands of the "EditBar" context menu, posted to the box as FrameworkMessage (wParam).
enum WinEditBarCommand : int {
    kEditBarCancel = 1,
    kEditBarUndo = 2,
    kEditBarCopy = 3,
    kEditBarPaste = 4,
    kEditBarDelete = 5,
    kEditBarSelectAll = 6,
    kEditBarInsertTab = 7,
    kEditBarIme = 8,
    kEditBarRegister = 9,
};

class WinEditBox : public WinPlaneBox, public WinEditBoxBasic {
public:
    WinEditBox();
    ~WinEditBox() override;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Edit bar commands; 0 when handled, -1 for others.
    LRESULT OnFrameworkMessage(WPARAM wParam, LPARAM lParam) override;
    // Types the WM_CHAR of a loop that reads with the wide calls.
    bool PreTranslateMessage(UINT message, WPARAM wParam, LPARAM lParam, POINT point) override;
    void OnCreated() override;
    void OnDestroyed() override;
    // The display text measured as one text, its height counted in lines of line height plus gap.
    void MeasureText(RECT& rect) const override;
    SIZE MeasureContent(HDC dc, const RECT& contentRect) override;
    void DrawContent(OffscreenSurface& surface, const RECT& itemRect, const RECT& contentRect, POINT scroll) override;
    void OnContentMeasured() override;
    // Drawn over the background, under selection and text.
    virtual void DrawUnderlay(HDC dc, const RECT& rect);
    // The edit bar at a client point.
    virtual void ShowContextMenu(POINT client);
    // The edit bar as ShowContextMenu tracks it; the caller destroys it.
    HMENU BuildEditBar() const;

    // Editing, as keys, menu and IME use it. Ranges are clipped to the text.
    void RecordUndo(int32_t first, int32_t end, int32_t inserted);
    void DeleteRange(int32_t first, int32_t end);
    void ReplaceRange(int32_t first, int32_t end, const RawLayer::RawString& units);
    // Replaces the selection by units in one undo step; nothing in a read-only box.
    void TypeText(const RawLayer::RawString& units);
    void Copy();
    void Cut();
    void Paste();
    void Undo();
    bool CanUndo() const { return !undo_.IsEmpty(); }
    void DeleteSelection();
    void SelectAll();
    void SelectWordAt(int32_t index);
    // Refused (false) for an index outside the text.
    bool MoveCaret(int32_t index, bool extend);
    void ScrollCaretIntoView();

    // Brings the text caches up to the view's text revision.
    void SyncText();
    // The caches, then the layout when it is out of date.
    void EnsureLayout();
    // The line height, measured now when it is still unknown.
    int32_t EnsureLineHeight();

    const WinEditBoxDraw& Drawing() const { return draw_; }
    const WinEditBoxUndo& UndoRecord() const { return undo_; }
    WinEditBoxUndo& UndoRecord() { return undo_; }
    WinEditBoxIme& Ime() { return ime_; }

    void Invalidate();
    void SendNotice(int code);
    void PostNotice(int code);

private:
    LRESULT HandleBoxMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnSize(WPARAM wParam, LPARAM lParam);
    LRESULT OnChar(WPARAM unit);
    void TypeUnit(wchar_t unit);
    LRESULT OnCaretTimer();
    LRESULT OnButtonDown(POINT point);
    LRESULT OnMouseMove(POINT point);
    LRESULT OnButtonUp(POINT point);
    LRESULT OnDoubleClick();
    LRESULT OnDropFiles(HDROP drop);
    bool OnKeyDown(WPARAM key);
    bool OnEditingKey(WPARAM key, bool control, bool shift);
    bool OnMovingKey(WPARAM key, bool control, bool shift);
    bool OnControlLetter(WPARAM key);
    void Backspace();
    void DeleteForward();
    void Enter(bool control);
    void MoveLeft(bool shift);
    void MoveRight(bool shift);
    void MoveHome(bool shift);
    void MoveVertically(int32_t lines, bool extend);
    void UpOrDown(bool down, bool shift);
    void AutoScroll(POINT point);
    void ReplaceText(const RawLayer::RawString& text);

    WinEditBoxDraw draw_;
    WinEditBoxUndo undo_;
    WinEditBoxIme ime_;
    uint32_t ownRevision_ = UINT32_MAX;  // text revision made by the box's own last edit
    uint16_t displayFlags_ = UINT16_MAX;  // display-changing edit flags the display text was made with
    char pendingLeadByte_ = 0;            // first byte of a double-byte character typed in an ANSI window
};

}  // namespace WinLayer
