// WinEditBoxBasic: the state of an edit box (flags, text caches, caret, selection, composition
// span, layout parameters) and the rules over its text that need no window: the display text,
// character classes, caret steps and words. Every index is a position in the Wide text; the
// display text has one unit per unit of the text. WinEditBoxUndo is the box's one undo step.
// Both are plain values owned by the box.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "RawLayer/RawString.h"

namespace WinLayer {

// Edit flags.
constexpr uint16_t kEditMultiLine = 0x001;       // CR and LF break lines; Enter inserts CR LF
constexpr uint16_t kEditReadOnly = 0x002;        // no editing command changes the text; no IME
constexpr uint16_t kEditPassword = 0x004;        // shown as "*" per unit; no IME
constexpr uint16_t kEditTabMovesFocus = 0x008;   // Tab is not typed; tabs show as marks
constexpr uint16_t kEditMenuCancel = 0x010;      // the context menu starts with "Cancel"
constexpr uint16_t kEditMarked = 0x020;          // red frame
constexpr uint16_t kEditCaretHidden = 0x040;
constexpr uint16_t kEditImeAssociated = 0x100;   // the box's input context is associated with its window
constexpr uint16_t kEditImeOpen = 0x200;
constexpr uint16_t kEditUpDownMode = 0x400;      // single-line: Up does nothing, Down notifies
constexpr uint16_t kEditMouseSelecting = 0x800;

// Character classes for word selection.
enum WinCharClass : int {
    kCharOther = 0,  // punctuation below 256
    kCharWord = 1,
    kCharBlank = 2,
    kCharLineBreak = 3,
    kCharControl = 4,
    kCharLatin1 = 5,
    kCharWide = 6,
};

// Units shown in place of control units.
constexpr wchar_t kControlMark = 0x25A0;  // ■
constexpr wchar_t kPasswordMark = L'*';

// Display attributes of composition units, and room for them.
constexpr uint8_t kClauseEven = 0;
constexpr uint8_t kClauseOdd = 1;
constexpr uint8_t kClauseTarget = 2;
constexpr int32_t kCompositionRoom = 1024;

int CharClassOf(uint32_t unit);

// The text as drawn: "*" per unit for a password; CR and LF kept only in a multi-line box, TAB
// kept unless kEditTabMovesFocus; every other unit below 32, and 127, shown as kControlMark.
RawLayer::RawString MakeDisplayText(const RawLayer::RawString& wideText, uint16_t flags);

// Caret steps: CR LF is one step, also at the ends of the text. index is clamped first.
int32_t PreviousPosition(const RawLayer::RawString& text, int32_t index);
int32_t NextPosition(const RawLayer::RawString& text, int32_t index);

// The run of units of one class around index (past the end counts as a control unit).
RawLayer::RawRange WordAt(const RawLayer::RawString& text, int32_t index);

// COLOR_WINDOW, read once per process.
COLORREF WindowColour();

struct WinEditBoxBasic {
    uint16_t editFlags = 0;
    uint32_t textRevisionSeen = UINT32_MAX;  // view text revision the caches were built from
    RawLayer::RawString text{RawLayer::Wide, 0};
    RawLayer::RawString displayText{RawLayer::Wide, 0};
    int32_t spanStart = 0;  // composition span
    int32_t spanEnd = 0;
    uint8_t spanAttributes[kCompositionRoom] = {};  // per unit of the span
    RawLayer::RawString lastComposition{RawLayer::Wide, 0};
    int32_t caret = 0;   // the moving end of the selection
    int32_t anchor = 0;  // the fixed end
    int32_t rememberedX = -1;  // pixels from the line start for Up and Down; -1 none
    int32_t tabStop = 4;       // characters
    COLORREF textColour = CLR_INVALID;  // CLR_INVALID: the window text colour, grey when disabled
    COLORREF background = WindowColour();
    int32_t lineHeight = 0;  // measured
    int32_t lineGap = 0;
    int32_t wrapWidth = 0;  // 0: the content width

    int32_t SelectionStart() const { return std::min(caret, anchor); }
    int32_t SelectionEnd() const { return std::max(caret, anchor); }
    bool HasSelection() const { return caret != anchor; }
    bool IsReadOnly() const { return (editFlags & kEditReadOnly) != 0; }
    bool IsMultiLine() const { return (editFlags & kEditMultiLine) != 0; }
    int32_t Pitch() const { return lineHeight + lineGap; }
    // Puts caret, anchor and composition span inside the text.
    void ClampToText();
};

// Text removed by the last edit and the span that edit inserted.
struct WinEditBoxUndo {
    RawLayer::RawString removed{RawLayer::Wide, 0};
    int32_t start = 0;
    int32_t end = 0;

    bool IsEmpty() const { return removed.IsEmpty() && start == end; }
    void Clear() { *this = WinEditBoxUndo(); }
};

}  // namespace WinLayer
