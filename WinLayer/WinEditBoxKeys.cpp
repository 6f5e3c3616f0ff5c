#include "WinLayer/WinEditBoxKeys.h"

#include "WinLayer/WinEditBox.h"

namespace WinLayer {

using RawLayer::RawString;

namespace {

bool IsKeyHeld(int key) { return (GetKeyState(key) & 0x8000) != 0; }

const RawString& LineBreak() {
    static const RawString kLineBreak = RawString::FromWide(L"\r\n", 2);
    return kLineBreak;
}

}  // namespace

bool WinEditBoxKeys::OnKeyDown(WPARAM key) {
    const bool control = IsKeyHeld(VK_CONTROL);
    const bool shift = IsKeyHeld(VK_SHIFT);
    box_.EnsureLayout();
    const bool vertical = key == VK_UP || key == VK_DOWN || (control && (key == 'I' || key == 'K'));
    if (!vertical) box_.rememberedX = -1;
    if (control && key >= 'A' && key <= 'Z') return OnControlLetter(key);
    return OnEditingKey(key, control, shift) || OnMovingKey(key, control, shift);
}

bool WinEditBoxKeys::OnEditingKey(WPARAM key, bool control, bool shift) {
    switch (key) {
        case VK_BACK:
            Backspace();
            return true;
        case VK_TAB:
            if (control || shift || (box_.editFlags & kEditTabMovesFocus)) return false;
            if (!box_.IsReadOnly()) box_.TypeText(RawString::FromWide(L"\t", 1));
            return true;
        case VK_RETURN:
            Enter(control);
            return true;
        case VK_ESCAPE:
            box_.SendNotice(NotifyCancel);
            return true;
        case VK_DELETE:
            DeleteForward();
            return true;
        default:
            return false;
    }
}

bool WinEditBoxKeys::OnMovingKey(WPARAM key, bool control, bool shift) {
    switch (key) {
        case VK_LEFT:
            control ? MoveHome(shift) : MoveLeft(shift);
            return true;
        case VK_RIGHT:
            control ? (void)box_.MoveCaret(box_.text.Length(), shift) : MoveRight(shift);
            return true;
        case VK_HOME:
            MoveHome(shift);
            return true;
        case VK_END:
            box_.MoveCaret(box_.text.Length(), shift);
            return true;
        case VK_UP:
        case VK_DOWN:
            UpOrDown(key == VK_DOWN, shift);
            return true;
        default:
            return false;
    }
}

bool WinEditBoxKeys::OnControlLetter(WPARAM key) {
    const bool shift = IsKeyHeld(VK_SHIFT);
    switch (key) {
        case 'A':
            box_.SelectAll();
            return true;
        case 'C':
            box_.Copy();
            return true;
        case 'H':
            Backspace();
            return true;
        case 'I':
        case 'K':
            if (box_.IsMultiLine()) MoveVertically(key == 'K' ? 1 : -1, false);
            return true;
        case 'J':
            MoveLeft(shift);
            return true;
        case 'L':
            MoveRight(shift);
            return true;
        case 'M':
            Enter(false);
            return true;
        case 'Q':
            return true;
        case 'V':
            box_.Paste();
            return true;
        case 'X':
            box_.Cut();
            return true;
        case 'Z':
            box_.Undo();
            return true;
        default:
            return false;
    }
}

// Nothing to remove (the caret at the start) leaves the text, the undo record and the
// listeners alone.
void WinEditBoxKeys::Backspace() {
    if (box_.IsReadOnly()) return;
    const int32_t first = box_.HasSelection() ? box_.SelectionStart() : PreviousPosition(box_.text, box_.caret);
    const int32_t end = box_.HasSelection() ? box_.SelectionEnd() : box_.caret;
    if (first >= end) return;
    box_.RecordUndo(first, end, 0);
    box_.DeleteRange(first, end);
}

void WinEditBoxKeys::DeleteForward() {
    if (box_.IsReadOnly()) return;
    const int32_t first = box_.HasSelection() ? box_.SelectionStart() : box_.caret;
    const int32_t end = box_.HasSelection() ? box_.SelectionEnd() : NextPosition(box_.text, box_.caret);
    if (first >= end) return;
    box_.RecordUndo(first, end, 0);
    box_.DeleteRange(first, end);
}

// A line break goes in as CR LF in one step, so that undo never leaves half of it.
void WinEditBoxKeys::Enter(bool control) {
    if (control || !box_.IsMultiLine()) {
        box_.SendNotice(NotifyEnter);
        return;
    }
    if (!box_.IsReadOnly()) box_.TypeText(LineBreak());
}

void WinEditBoxKeys::MoveLeft(bool shift) {
    if (!shift && box_.HasSelection()) {
        box_.MoveCaret(box_.SelectionStart(), false);
    } else if (box_.caret > 0) {
        box_.MoveCaret(PreviousPosition(box_.text, box_.caret), shift);
    }
}

void WinEditBoxKeys::MoveRight(bool shift) {
    if (!shift && box_.HasSelection()) {
        box_.MoveCaret(box_.SelectionEnd(), false);
    } else if (box_.caret < box_.text.Length()) {
        box_.MoveCaret(NextPosition(box_.text, box_.caret), shift);
    }
}

void WinEditBoxKeys::MoveHome(bool shift) { box_.MoveCaret(0, shift); }

void WinEditBoxKeys::MoveVertically(int32_t lines, bool extend) {
    const int32_t target = box_.Drawing().LineOf(box_.caret) + lines;
    if (target < 0 || target >= box_.Drawing().LineCount()) return;
    if (box_.rememberedX == -1) box_.rememberedX = box_.Drawing().XOf(box_.caret);
    box_.MoveCaret(box_.Drawing().IndexAtX(target, box_.rememberedX), extend);
}

void WinEditBoxKeys::UpOrDown(bool down, bool shift) {
    if (box_.IsMultiLine()) {
        MoveVertically(down ? 1 : -1, shift);
    } else if (box_.editFlags & kEditUpDownMode) {
        if (down) box_.SendNotice(NotifyDownKey);
    } else if (box_.Parent() && box_.Parent()->Window()) {
        SendMessageA(box_.Parent()->Window(), TabNavigate, static_cast<WPARAM>(box_.Property().identifier),
                     down ? 0 : 1);
    }
}

}  // namespace WinLayer
