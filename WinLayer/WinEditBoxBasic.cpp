#include "WinLayer/WinEditBoxBasic.h"

#include "RawLayer/RawCodeUnits.h"

namespace WinLayer {

using RawLayer::RawString;

namespace {

using RawLayer::kDelete;
using RawLayer::kLineFeed;
using RawLayer::kReturn;
using RawLayer::kSpace;
using RawLayer::kTab;

bool IsWordUnit(uint32_t unit) {
    return (unit >= '0' && unit <= '9') || (unit >= 'A' && unit <= 'Z') || unit == '_' || (unit >= 'a' && unit <= 'z');
}

uint32_t DisplayUnit(uint32_t unit, uint16_t flags) {
    if (unit == kReturn || unit == kLineFeed) return (flags & kEditMultiLine) ? unit : kControlMark;
    if (unit == kTab) return (flags & kEditTabMovesFocus) ? kControlMark : unit;
    if (unit < kSpace || unit == kDelete) return kControlMark;
    return unit;
}

}  // namespace

int CharClassOf(uint32_t unit) {
    if (unit >= 256) return kCharWide;
    if (IsWordUnit(unit)) return kCharWord;
    if (unit == kTab || unit == kSpace) return kCharBlank;
    if (unit == kLineFeed || unit == kReturn) return kCharLineBreak;
    if (unit < kSpace || (unit >= kDelete && unit <= 160)) return kCharControl;
    if (unit >= 161) return kCharLatin1;
    return kCharOther;
}

RawString MakeDisplayText(const RawString& wideText, uint16_t flags) {
    const int32_t length = wideText.Length();
    RawString display(RawLayer::Wide, length);
    for (int32_t i = 0; i < length; ++i) {
        display.Append((flags & kEditPassword) ? kPasswordMark : DisplayUnit(wideText.UnitAt(i), flags));
    }
    return display;
}

int32_t PreviousPosition(const RawString& text, int32_t index) {
    index = std::clamp(index, 0, text.Length());
    if (index < 1) return 0;
    if (index >= 2 && text.UnitAt(index - 2) == kReturn && text.UnitAt(index - 1) == kLineFeed) return index - 2;
    return index - 1;
}

int32_t NextPosition(const RawString& text, int32_t index) {
    index = std::clamp(index, 0, text.Length());
    if (index >= text.Length()) return index;
    if (text.UnitAt(index) == kReturn && index + 1 < text.Length() && text.UnitAt(index + 1) == kLineFeed) {
        return index + 2;
    }
    return index + 1;
}

RawLayer::RawRange WordAt(const RawString& text, int32_t index) {
    const int32_t length = text.Length();
    index = std::clamp(index, 0, length);
    const int kind = CharClassOf(text.UnitAt(index));  // 0 past the end: a control unit
    int32_t end = index + 1;
    while (end < length && CharClassOf(text.UnitAt(end)) == kind) ++end;
    int32_t start = index;
    while (start > 0 && CharClassOf(text.UnitAt(start - 1)) == kind) --start;
    return {start, std::min(end, length)};
}

COLORREF WindowColour() {
    static const COLORREF colour = GetSysColor(COLOR_WINDOW);
    return colour;
}

void WinEditBoxBasic::ClampToText() {
    const int32_t length = text.Length();
    caret = std::clamp(caret, 0, length);
    anchor = std::clamp(anchor, 0, length);
    spanStart = std::clamp(spanStart, 0, length);
    spanEnd = std::clamp(spanEnd, spanStart, length);
}

}  // namespace WinLayer
