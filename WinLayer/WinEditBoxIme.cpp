#include "WinLayer/WinEditBoxIme.h"

#include <algorithm>
#include <vector>

#include "WinLayer/WinEditBox.h"

namespace WinLayer {

using RawLayer::RawString;

namespace {

// Whether the keyboard layout of the thread has an IME, asked once per process.
bool LayoutHasIme() {
    static const bool hasIme = ImmIsIME(GetKeyboardLayout(0)) != FALSE;
    return hasIme;
}

template <class Unit>
std::vector<Unit> ReadComposition(HIMC context, DWORD kind) {
    const LONG bytes = ImmGetCompositionStringW(context, kind, nullptr, 0);
    if (bytes <= 0) return {};
    std::vector<Unit> units((static_cast<size_t>(bytes) + sizeof(Unit) - 1) / sizeof(Unit));
    const LONG read = ImmGetCompositionStringW(context, kind, units.data(), static_cast<DWORD>(bytes));
    units.resize(read > 0 ? std::min(units.size(), static_cast<size_t>(read) / sizeof(Unit)) : 0);
    return units;
}

}  // namespace

WinEditBoxIme::~WinEditBoxIme() {
    if (!context_) return;
    const HWND window = box_.Window();
    if (window && IsWindow(window) && ImmGetContext(window) == context_) {
        ImmReleaseContext(window, context_);
        ImmAssociateContext(window, nullptr);
    }
    ImmDestroyContext(context_);
}

void WinEditBoxIme::Prepare() {
    if (context_ || !LayoutHasIme()) return;
    context_ = ImmCreateContext();
    const HWND window = box_.Window();
    if (!context_ || !window) return;
    if (box_.editFlags & (kEditReadOnly | kEditPassword)) {
        ImmAssociateContext(window, nullptr);
        return;
    }
    ImmAssociateContext(window, context_);
    box_.editFlags |= kEditImeAssociated;
}

LRESULT WinEditBoxIme::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!context_) return NotHandled;
    switch (message) {
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            OnFocus(message == WM_SETFOCUS);
            return NotHandled;
        case WM_KEYDOWN:
            return (composing_ && (box_.editFlags & kEditImeOpen)) ? 0 : NotHandled;
        case WM_IME_STARTCOMPOSITION:
            StartComposition();
            return 0;
        case WM_IME_COMPOSITION:
            return OnComposition(lParam);
        case WM_IME_ENDCOMPOSITION:
            EndComposition();
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            if (composing_) Complete();
            return NotHandled;
        case WM_IME_NOTIFY:
            if (wParam == IMN_SETOPENSTATUS && (box_.planeFlags & kPlaneFocused)) OnFocus(true);
            return 0;
        case WM_IME_CHAR:
            return 0;
        case WM_IME_REQUEST:
            return OnRequest(wParam, lParam);
        default:
            return NotHandled;
    }
}

void WinEditBoxIme::OnFocus(bool gained) {
    const bool open = gained && ImmGetOpenStatus(context_);
    box_.editFlags = static_cast<uint16_t>(open ? box_.editFlags | kEditImeOpen : box_.editFlags & ~kEditImeOpen);
    box_.Invalidate();
    if (!gained && composing_) Complete();
}

LRESULT WinEditBoxIme::OnComposition(LPARAM flags) {
    if (flags & GCS_RESULTSTR) PutResult(CompositionText(GCS_RESULTSTR));
    if (flags & GCS_COMPSTR) PutComposition(CompositionText(GCS_COMPSTR));
    if (flags & GCS_CURSORPOS) PutCursor(ImmGetCompositionStringW(context_, GCS_CURSORPOS, nullptr, 0));
    if (flags & GCS_COMPCLAUSE) {
        const std::vector<DWORD> bounds = ReadComposition<DWORD>(context_, GCS_COMPCLAUSE);
        PutClauses(bounds.data(), static_cast<int32_t>(bounds.size()));
    }
    if (flags & GCS_COMPATTR) {
        const std::vector<BYTE> attributes = ReadComposition<BYTE>(context_, GCS_COMPATTR);
        PutAttributes(attributes.data(), static_cast<int32_t>(attributes.size()));
    }
    return 0;
}

LRESULT WinEditBoxIme::OnRequest(WPARAM request, LPARAM data) {
    if (request == IMR_QUERYCHARPOSITION) return QueryCharPosition(reinterpret_cast<IMECHARPOSITION*>(data));
    if (request == IMR_RECONVERTSTRING) return Reconvert(reinterpret_cast<RECONVERTSTRING*>(data));
    return 0;
}

RawString WinEditBoxIme::CompositionText(DWORD kind) const {
    const std::vector<wchar_t> units = ReadComposition<wchar_t>(context_, kind);
    return RawString::FromWide(units.data(), static_cast<int32_t>(units.size()));
}

void WinEditBoxIme::StartComposition() {
    composing_ = true;
    box_.SyncText();
    const int32_t start = box_.SelectionStart();
    box_.RecordUndo(start, box_.SelectionEnd(), 0);
    if (box_.HasSelection()) box_.DeleteRange(start, box_.SelectionEnd());
    box_.spanStart = box_.spanEnd = start;
    std::fill(std::begin(box_.spanAttributes), std::end(box_.spanAttributes), kClauseEven);
    if (context_) {
        LOGFONTW font = box_.ResolvedFont().LogFont();
        ImmSetCompositionFontW(context_, &font);
    }
}

// The span's text becomes units; the span and the undo record's inserted span follow it.
void WinEditBoxIme::PutSpanText(const RawString& units) {
    box_.SyncText();
    const int32_t start = box_.spanStart;
    box_.ReplaceRange(start, box_.spanEnd, units);
    box_.spanStart = start;
    box_.spanEnd = std::min(start + units.Length(), box_.text.Length());
    WinEditBoxUndo& undo = box_.UndoRecord();
    if (undo.start == start) undo.end = box_.spanEnd;
}

void WinEditBoxIme::PutResult(const RawString& result) {
    PutSpanText(result);
    box_.spanStart = box_.spanEnd;
    if (!result.IsEmpty()) box_.lastComposition = result;
}

void WinEditBoxIme::PutComposition(const RawString& composition) {
    PutSpanText(composition);
    box_.lastComposition = composition;
}

void WinEditBoxIme::PutCursor(int32_t position) {
    const int32_t index = box_.spanStart + position;
    if (position <= 0 || index > box_.text.Length()) return;
    box_.caret = box_.anchor = index;
    box_.ScrollCaretIntoView();
    box_.Invalidate();
}

void WinEditBoxIme::PutClauses(const DWORD* bounds, int32_t count) {
    const int32_t room = std::min(box_.spanEnd - box_.spanStart, kCompositionRoom);
    for (int32_t clause = 0; clause + 1 < count; ++clause) {
        const int32_t from = std::clamp<int32_t>(static_cast<int32_t>(bounds[clause]), 0, room);
        const int32_t to = std::clamp<int32_t>(static_cast<int32_t>(bounds[clause + 1]), from, room);
        std::fill(box_.spanAttributes + from, box_.spanAttributes + to, clause % 2 ? kClauseOdd : kClauseEven);
    }
    box_.Invalidate();
}

void WinEditBoxIme::PutAttributes(const BYTE* attributes, int32_t count) {
    const int32_t room = std::min({box_.spanEnd - box_.spanStart, kCompositionRoom, count});
    for (int32_t i = 0; i < room; ++i) {
        if (attributes[i] == ATTR_TARGET_CONVERTED || attributes[i] == ATTR_TARGET_NOTCONVERTED) {
            box_.spanAttributes[i] = kClauseTarget;
        }
    }
    box_.Invalidate();
}

void WinEditBoxIme::EndComposition() {
    box_.SyncText();
    if (box_.spanEnd > box_.spanStart) {
        // An abandoned composition leaves nothing inserted for the undo record to take back.
        WinEditBoxUndo& undo = box_.UndoRecord();
        if (undo.start == box_.spanStart) undo.end = undo.start;
        box_.DeleteRange(box_.spanStart, box_.spanEnd);
    }
    box_.spanStart = box_.spanEnd = box_.caret;
    composing_ = false;
}

void WinEditBoxIme::Complete() {
    if (context_) ImmNotifyIME(context_, NI_COMPOSITIONSTR, CPS_COMPLETE, 0);
}

// Reopens the last composition when it stands right before the caret: the units checked are
// the units removed, and nothing is written past the size the caller gave.
LRESULT WinEditBoxIme::Reconvert(RECONVERTSTRING* buffer) {
    box_.SyncText();
    const RawString last = box_.lastComposition;
    const int32_t count = last.Length();
    const int32_t first = std::max(0, box_.caret - count);
    const int32_t end = std::min(box_.text.Length(), box_.caret);
    if (count == 0 || !box_.text.RangeEquals(first, end, last, 0, count)) return 0;
    const DWORD size = static_cast<DWORD>(sizeof(RECONVERTSTRING) + count * sizeof(wchar_t));
    if (!buffer) return size;
    if (buffer->dwSize < size) return 0;
    box_.RecordUndo(first, end, 0);
    box_.DeleteRange(first, end);
    buffer->dwVersion = 0;
    buffer->dwStrLen = static_cast<DWORD>(count);
    buffer->dwStrOffset = sizeof(RECONVERTSTRING);
    buffer->dwCompStrLen = static_cast<DWORD>(count);
    buffer->dwCompStrOffset = 0;
    buffer->dwTargetStrLen = static_cast<DWORD>(count);
    buffer->dwTargetStrOffset = 0;
    auto* units = reinterpret_cast<wchar_t*>(reinterpret_cast<BYTE*>(buffer) + sizeof(RECONVERTSTRING));
    std::copy(last.WideUnits(), last.WideUnits() + count, units);
    return 1;
}

LRESULT WinEditBoxIme::QueryCharPosition(IMECHARPOSITION* position) {
    const HWND window = box_.Window();
    if (!position || position->dwSize < sizeof(IMECHARPOSITION) || !window) return 0;
    box_.EnsureLayout();
    RECT area = {};
    GetWindowRect(window, &area);
    const RECT caret = box_.Drawing().CaretCell(box_.caret, box_.contentRect, {box_.scrollX, box_.scrollY});
    POINT point = {caret.left, caret.top};
    ClientToScreen(window, &point);
    position->dwCharPos = static_cast<DWORD>(box_.caret);
    position->pt = point;
    position->cLineHeight = static_cast<UINT>(area.bottom - area.top);
    position->rcDocument = area;
    return 1;
}

void WinEditBoxIme::OpenWithSelection() {
    if (!context_ || box_.IsReadOnly()) return;
    box_.SyncText();
    ImmSetOpenStatus(context_, TRUE);
    const RawString selected = RawString::FromRange(box_.text, box_.SelectionStart(), box_.SelectionEnd(), RawLayer::Wide);
    const wchar_t* units = selected.IsEmpty() ? L"" : selected.WideUnits();
    ImmSetCompositionStringW(context_, SCS_SETSTR, const_cast<wchar_t*>(units),
                             static_cast<DWORD>(selected.Length() * sizeof(wchar_t)), nullptr, 0);
}

void WinEditBoxIme::RegisterSelection() {
    if (!context_ || !box_.Window()) return;
    box_.SyncText();
    RawString selected = RawString::FromRange(box_.text, box_.SelectionStart(), box_.SelectionEnd(), RawLayer::Wide);
    selected.MakeWritable();  // a private, terminated buffer the IME may read
    REGISTERWORDW word = {};
    word.lpWord = const_cast<wchar_t*>(selected.IsEmpty() ? L"" : selected.WideUnits());
    ImmConfigureIMEW(GetKeyboardLayout(0), box_.Window(), IME_CONFIG_REGISTERWORD, &word);
}

}  // namespace WinLayer
