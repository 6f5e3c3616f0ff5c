#include "WinLayer/WinEditBox.h"

#include <algorithm>

#include "RawLayer/RawClipboard.h"
#include "RawLayer/RawCodeUnits.h"
#include "RawLayer/RawDroppedFiles.h"
#include "WinLayer/WinCalls.h"
#include "WinLayer/WinDrawing.h"
#include "WinLayer/WinGdiObjects.h"

namespace WinLayer {

using RawLayer::RawString;

namespace {

using RawLayer::kDelete;
using RawLayer::kSpace;
constexpr LONG kMeasureExtent = 32767;
constexpr UINT kLineHeightFormat = DT_NOPREFIX | DT_TABSTOP | DT_EXPANDTABS;
constexpr UINT kFitFormat = DT_NOPREFIX;
constexpr UINT kFitMultiLineFormat = DT_EDITCONTROL | DT_NOPREFIX | DT_WORDBREAK;
constexpr int32_t kCaretScrollWidth = 3;
// Automatic scrolling while the mouse selects: near the left edge, and past the right edge
// less this margin.
constexpr LONG kAutoScrollLeftEdge = 7;
constexpr LONG kAutoScrollRightMargin = 8;
constexpr int32_t kAutoScrollStep = 2;
// Edit flags that change the display text.
constexpr uint16_t kDisplayFlags = kEditMultiLine | kEditPassword | kEditTabMovesFocus;

POINT PointOf(LPARAM lParam) { return {static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))}; }

RawString Units(const wchar_t* units) { return RawString::FromWide(units); }

// The height of "A" in font on the screen: the height of one line.
int32_t MeasureLineHeight(const WinFont& font) {
    static const RawString kLetter("A");
    const LentMemoryDC lent;  // put back as it was lent
    const HDC dc = lent.Get();
    SelectedObject selection(dc, font.Handle());
    RECT rect = {0, 0, 0, 0};
    MeasureTextRange(dc, kLetter, 0, 1, rect, kLineHeightFormat);
    return std::max<int32_t>(rect.bottom - rect.top, 0);
}

// A position the box moves to: the content may scroll only when it is larger than the view.
int32_t ScrolledToShow(int32_t position, int32_t first, int32_t past, int32_t visible, int32_t content) {
    if (content <= visible) return position;
    if (first < position) position = first;
    if (past > position + visible) position = past - visible;
    return std::clamp(position, 0, content - visible);
}

}  // namespace

WinEditBox::WinEditBox() : draw_(*this, *this), keys_(*this), ime_(*this) {
    Property().flags |= kViewPreTranslate;  // typed characters are taken from the loop
    planeFlags |= kPlaneKeepMargins;
    Property().style &= ~static_cast<DWORD>(WS_VSCROLL);
}

WinEditBox::~WinEditBox() = default;

// ---- messages ----

LRESULT WinEditBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!IsReadOnly()) {
        const LRESULT result = ime_.HandleMessage(message, wParam, lParam);
        if (result != NotHandled) return result;
    }
    const LRESULT result = HandleBoxMessage(message, wParam, lParam);
    return result != NotHandled ? result : WinPlaneBox::HandleMessage(message, wParam, lParam);
}

LRESULT WinEditBox::HandleBoxMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            return OnSize(wParam, lParam);
        case WM_SETFOCUS:
            SelectAll();
            return NotHandled;
        case WM_DRAWITEM:
            SyncText();  // so that the plane measures a new text before it draws
            return NotHandled;
        case WM_KEYDOWN:
            // Space is no key of the box's, but the button under it would take it for a click.
            return (keys_.OnKeyDown(wParam) || wParam == VK_SPACE) ? 0 : NotHandled;
        case WM_KEYUP:
            return wParam == VK_SPACE ? 0 : NotHandled;
        case WM_CHAR:
            return OnChar(wParam);
        case WM_TIMER:
            return wParam == kCaretTimer ? OnCaretTimer() : NotHandled;
        case WM_LBUTTONDOWN:
            return OnButtonDown(PointOf(lParam));
        case WM_MOUSEMOVE:
            return (editFlags & kEditMouseSelecting) ? OnMouseMove(PointOf(lParam)) : NotHandled;
        case WM_LBUTTONUP:
            return (editFlags & kEditMouseSelecting) ? OnButtonUp(PointOf(lParam)) : 0;
        case WM_CAPTURECHANGED:
            editFlags &= ~kEditMouseSelecting;
            return NotHandled;
        case WM_LBUTTONDBLCLK:
            return OnDoubleClick();
        case WM_RBUTTONDOWN:
            ShowContextMenu(PointOf(lParam));
            return 0;
        case WM_DROPFILES:
            return OnDropFiles(reinterpret_cast<HDROP>(wParam));
        default:
            return NotHandled;
    }
}

LRESULT WinEditBox::OnSize(WPARAM wParam, LPARAM lParam) {
    const POINT kept = {scrollX, scrollY};
    Remeasure(true);
    scrollX = kept.x;
    scrollY = kept.y;
    ScrollCaretIntoView();
    return WinPlaneBox::HandleMessage(WM_SIZE, wParam, lParam);
}

// The dialog loop reads its messages with the wide calls, so a typed character is here still
// the whole UTF-16 unit, before the window's ANSI procedure would pass it through the code page
// (where a character outside it becomes another).
bool WinEditBox::PreTranslateMessage(UINT message, WPARAM wParam, LPARAM, POINT) {
    if (message != WM_CHAR || !Window() || IsWindowUnicode(Window())) return false;
    TypeUnit(static_cast<wchar_t>(wParam & 0xFFFF));
    return true;
}

// A unicode window receives whole UTF-16 units; an ANSI window bytes of the ANSI code page, a
// double-byte character as its lead byte and then its trail byte.
LRESULT WinEditBox::OnChar(WPARAM unit) {
    if (!Window() || IsWindowUnicode(Window())) {
        TypeUnit(static_cast<wchar_t>(unit & 0xFFFF));
        return 0;
    }
    const char byte = static_cast<char>(unit & 0xFF);
    char bytes[2] = {pendingLeadByte_, byte};
    int count = 2;
    if (pendingLeadByte_ == 0) {
        if (IsDBCSLeadByte(static_cast<BYTE>(byte))) {
            pendingLeadByte_ = byte;
            return 0;
        }
        bytes[0] = byte;
        count = 1;
    }
    pendingLeadByte_ = 0;
    wchar_t converted = 0;
    if (MultiByteToWideChar(CP_ACP, 0, bytes, count, &converted, 1) == 1) TypeUnit(converted);
    return 0;
}

// Units below the blank and DEL are no characters to type.
void WinEditBox::TypeUnit(wchar_t unit) {
    if (IsReadOnly() || unit < kSpace || unit == kDelete) return;
    const wchar_t units[] = {unit, 0};
    TypeText(Units(units));
}

// Blinks the caret by inverting it on the window; only while the box has the focus, and only
// over a layout that fits the text (a new text waits for its drawing).
LRESULT WinEditBox::OnCaretTimer() {
    SyncText();
    const bool shown = (planeFlags & kPlaneFocused) && !(editFlags & kEditCaretHidden);
    if (!shown || !Window() || (planeFlags & kPlaneMeasureAgain)) return 0;
    WindowDC dc(Window());
    const RECT cell = draw_.CaretCell(caret, contentRect, {scrollX, scrollY});
    BitBlt(dc.Get(), cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top, nullptr, 0, 0, DSTINVERT);
    return 0;
}

// The box takes the button's mouse messages itself: the button would capture the mouse and
// show itself pushed. The point is read before the focus arrives: taking the focus selects all, which scrolls.
LRESULT WinEditBox::OnButtonDown(POINT point) {
    EnsureLayout();
    const int32_t index = draw_.PointToIndex(point);
    if (Window() && GetFocus() != Window()) SetFocus(Window());
    editFlags |= kEditMouseSelecting;
    if (Window()) SetCapture(Window());
    rememberedX = -1;
    MoveCaret(index, false);
    return 0;
}

LRESULT WinEditBox::OnMouseMove(POINT point) {
    EnsureLayout();
    AutoScroll(point);
    MoveCaret(draw_.PointToIndex(point), true);
    return 0;
}

LRESULT WinEditBox::OnButtonUp(POINT point) {
    editFlags &= ~kEditMouseSelecting;
    if (GetCapture() == Window()) ReleaseCapture();
    EnsureLayout();
    MoveCaret(draw_.PointToIndex(point), true);
    return 0;
}

void WinEditBox::AutoScroll(POINT point) {
    RECT client = {};
    if (Window()) GetClientRect(Window(), &client);
    const int32_t limit = std::max(0, contentWidth - VisibleWidth());
    const int32_t before = scrollX;
    if (point.x <= kAutoScrollLeftEdge && scrollX >= 1) {
        scrollX = std::max(0, scrollX - kAutoScrollStep);
    } else if (caret < text.Length() && point.x > client.right - kAutoScrollRightMargin) {
        scrollX = std::min(limit, scrollX + kAutoScrollStep);
    }
    if (scrollX != before) planeFlags |= kPlaneScrollBarsStale;
}

LRESULT WinEditBox::OnDoubleClick() {
    EnsureLayout();
    SelectWordAt(caret);
    return 0;
}

// Every name of the drop, whole, joined by single blanks, replaces the text in one undo step.
// The drop is finished in every case, also in a read-only box.
LRESULT WinEditBox::OnDropFiles(HDROP drop) {
    RawLayer::RawDroppedFiles handle(drop);
    if (IsReadOnly()) return 0;
    RawString joined(RawLayer::Wide, 0);
    for (const RawString& name : RawLayer::DroppedFileNames(drop)) {
        if (!joined.IsEmpty()) joined.Append(kSpace);
        joined.Concat(name);
    }
    if (joined.IsEmpty()) return 0;
    SyncText();
    RecordUndo(0, text.Length(), joined.Length());
    ReplaceRange(0, text.Length(), joined);
    PostNotice(NotifyDropped);
    return 0;
}

// ---- editing ----

void WinEditBox::RecordUndo(int32_t first, int32_t end, int32_t inserted) {
    SyncText();
    first = std::clamp(first, 0, text.Length());
    end = std::clamp(end, first, text.Length());
    undo_.removed = RawString::FromRange(text, first, end, RawLayer::Wide);
    undo_.start = first;
    undo_.end = first + std::max(inserted, 0);
}

void WinEditBox::DeleteRange(int32_t first, int32_t end) { ReplaceRange(first, end, RawString(RawLayer::Wide, 0)); }

void WinEditBox::ReplaceRange(int32_t first, int32_t end, const RawString& units) {
    SyncText();
    first = std::clamp(first, 0, text.Length());
    end = std::clamp(end, first, text.Length());
    const RawString wide(units, RawLayer::Wide);
    RawString next(text);
    next.ReplaceRange(first, end, wide, 0, wide.Length());
    caret = anchor = first + wide.Length();
    ReplaceText(next);
    ScrollCaretIntoView();
    Invalidate();
    PostNotice(NotifyChanged);
}

// The box's own edit: its revision is remembered, so that the undo record survives it.
void WinEditBox::ReplaceText(const RawString& next) {
    SetText(next);
    ownRevision_ = Property().textRevision;
    SyncText();
    UpdateWindowText();
}

void WinEditBox::TypeText(const RawString& units) {
    if (IsReadOnly()) return;
    SyncText();
    RecordUndo(SelectionStart(), SelectionEnd(), units.Length());
    ReplaceRange(SelectionStart(), SelectionEnd(), units);
}

void WinEditBox::Copy() {
    SyncText();
    if (HasSelection()) RawLayer::PutClipboardText(displayText, SelectionStart(), SelectionEnd());
}

// The selection goes to the clipboard before it is removed, so that a cut loses nothing.
void WinEditBox::Cut() {
    if (IsReadOnly()) return;
    SyncText();
    if (!HasSelection()) return;
    Copy();
    DeleteSelection();
}

// A clipboard without text (busy, or holding only a picture) leaves the selection as it is.
void WinEditBox::Paste() {
    if (IsReadOnly()) return;
    const RawString pasted = RawLayer::GetClipboardText();
    if (!pasted.IsEmpty()) TypeText(pasted);
}

void WinEditBox::Undo() {
    SyncText();
    if (IsReadOnly() || undo_.IsEmpty()) return;
    const RawString removed = undo_.removed;
    const int32_t first = std::clamp(undo_.start, 0, text.Length());
    const int32_t end = std::clamp(undo_.end, first, text.Length());
    RecordUndo(first, end, removed.Length());
    ReplaceRange(first, end, removed);
    anchor = first;
    caret = std::min(first + removed.Length(), text.Length());
    ScrollCaretIntoView();
    Invalidate();
}

void WinEditBox::DeleteSelection() {
    SyncText();
    if (IsReadOnly() || !HasSelection()) return;
    const int32_t first = SelectionStart();
    const int32_t end = SelectionEnd();
    RecordUndo(first, end, 0);
    DeleteRange(first, end);
}

void WinEditBox::SelectAll() {
    SyncText();
    anchor = 0;
    caret = text.Length();
    ScrollCaretIntoView();
    Invalidate();
}

void WinEditBox::SelectWordAt(int32_t index) {
    SyncText();
    const RawLayer::RawRange word = WordAt(text, index);
    anchor = word.start;
    caret = word.end;
    ScrollCaretIntoView();
    Invalidate();
}

bool WinEditBox::MoveCaret(int32_t index, bool extend) {
    SyncText();
    if (index < 0 || index > text.Length()) return false;
    caret = index;
    if (!extend) anchor = caret;
    ScrollCaretIntoView();
    Invalidate();
    return true;
}

void WinEditBox::ScrollCaretIntoView() {
    EnsureLayout();
    const RECT cell = draw_.CaretRect(caret, kCaretScrollWidth);
    const int32_t x = ScrolledToShow(scrollX, cell.left, cell.right, VisibleWidth(), contentWidth);
    const int32_t y = ScrolledToShow(scrollY, cell.top, cell.bottom, VisibleHeight(), contentHeight);
    if (x == scrollX && y == scrollY) return;
    scrollX = x;
    scrollY = y;
    planeFlags |= kPlaneScrollBarsStale;
    Invalidate();
}

// ---- caches and layout ----

// A text put in from outside (a shown value, a dialog) may be shorter than the positions kept
// for the old one, and the undo record would splice a text that is gone: the positions are
// clamped and an undo record that is not the box's own is dropped.
void WinEditBox::SyncText() {
    const uint32_t revision = Property().textRevision;
    const uint16_t shown = editFlags & kDisplayFlags;
    if (revision == textRevisionSeen && shown == displayFlags_) return;
    if (revision != textRevisionSeen) {
        textRevisionSeen = revision;
        text = RawString(Property().text, RawLayer::Wide);
        if (revision != ownRevision_) undo_.Clear();
        ClampToText();
    }
    displayFlags_ = shown;
    displayText = MakeDisplayText(text, editFlags);
    planeFlags |= kPlaneMeasureAgain;
}

void WinEditBox::EnsureLayout() {
    SyncText();
    if (planeFlags & kPlaneMeasureAgain) Remeasure(false);
}

int32_t WinEditBox::EnsureLineHeight() {
    if (lineHeight == 0) lineHeight = MeasureLineHeight(ResolvedFont());
    return lineHeight;
}

// The line height is measured here when the box has none yet: a dialog fits its boxes before
// their windows exist. A height that cannot be measured leaves the measured text height.
void WinEditBox::MeasureText(RECT& rect) const {
    const RawString display = MakeDisplayText(RawString(Property().text, RawLayer::Wide), editFlags);
    const LentMemoryDC lent;  // put back as it was lent
    const HDC dc = lent.Get();
    SelectedObject font(dc, ResolvedFont().Handle());
    rect = {0, 0, kMeasureExtent, kMeasureExtent};
    const UINT format = (alignment & kAlignMultiLine) ? kFitMultiLineFormat : kFitFormat;
    MeasureTextRange(dc, display, 0, display.Length(), rect, format);
    const int32_t height = lineHeight > 0 ? lineHeight : MeasureLineHeight(ResolvedFont());
    if (height > 0) rect.bottom = (rect.bottom - rect.top) / height * (height + lineGap) + rect.top;
}

SIZE WinEditBox::MeasureContent(HDC dc, const RECT& area) {
    SyncText();
    EnsureLineHeight();
    return draw_.Layout(dc, area);
}

void WinEditBox::OnContentMeasured() { ScrollCaretIntoView(); }

void WinEditBox::DrawContent(OffscreenSurface& surface, const RECT& itemRect, const RECT& area, POINT scroll) {
    WinDrawContext dc(surface.Get());
    FillSolid(dc, itemRect, background);
    DrawUnderlay(surface.Get(), itemRect);
    draw_.Paint(dc, itemRect, area, scroll);
}

void WinEditBox::DrawUnderlay(HDC, const RECT&) {}

// ---- life ----

void WinEditBox::OnCreated() {
    lineHeight = MeasureLineHeight(ResolvedFont());
    ime_.Prepare();
    if (Window()) SetTimer(Window(), kCaretTimer, kCaretBlinkMilliseconds, nullptr);
}

void WinEditBox::OnDestroyed() {
    if (Window()) KillTimer(Window(), kCaretTimer);
}

// ---- notices and the edit bar ----

void WinEditBox::Invalidate() {
    if (Window()) InvalidateRect(Window(), nullptr, FALSE);
}

void WinEditBox::SendNotice(int code) { SendNotification(code); }

void WinEditBox::PostNotice(int code) { PostNotification(code); }

HMENU WinEditBox::BuildEditBar() const {
    return WinLayer::BuildEditBar({(editFlags & kEditMenuCancel) != 0, !IsReadOnly() && CanUndo(), ime_.HasContext()});
}

void WinEditBox::ShowContextMenu(POINT client) {
    const int chosen = TrackEditBar(Window(), client, BuildEditBar());
    if (chosen > 0 && Window()) PostMessageW(Window(), FrameworkMessage, static_cast<WPARAM>(chosen), 0);
}

LRESULT WinEditBox::OnFrameworkMessage(WPARAM command, LPARAM) {
    switch (static_cast<int>(command)) {
        case kEditBarCancel:
            SendNotice(NotifyCancel);
            return 0;
        case kEditBarUndo:
            Undo();
            return 0;
        case kEditBarCopy:
            Copy();
            return 0;
        case kEditBarPaste:
            Paste();
            return 0;
        case kEditBarDelete:
            DeleteSelection();
            return 0;
        case kEditBarSelectAll:
            SelectAll();
            return 0;
        case kEditBarInsertTab:
            TypeText(Units(L"\t"));
            return 0;
        case kEditBarIme:
            ime_.OpenWithSelection();
            return 0;
        case kEditBarRegister:
            ime_.RegisterSelection();
            return 0;
        default:
            return -1;
    }
}

}  // namespace WinLayer
