// ButtonColours: the colours of a button's face for each draw state, as a table derived once
// from the system face colour.
#pragma once

#include <windows.h>

#include <cstdint>

namespace WinLayer {

// Draw state bits (the button style fills bits 0-7 and 12).
constexpr uint32_t kDrawDisabled = 0x100;
constexpr uint32_t kDrawPushed = 0x200;
constexpr uint32_t kDrawFocused = 0x400;
constexpr uint32_t kDrawStateMask = 0x700;
constexpr uint32_t kDrawChecked = 0x800;

struct ButtonColours {
    COLORREF outerTopLeft;
    COLORREF innerTopLeft;
    COLORREF innerBottomRight;
    COLORREF outerBottomRight;
    COLORREF fillUpper;
    COLORREF fillLower;
    COLORREF frameFillUpper;
    COLORREF frameFillLower;
    bool highlight;
};

// One set per draw state: normal, disabled, pushed, focused, each unchecked and checked.
class ButtonColourTable {
public:
    // Derived from the face colour given.
    explicit ButtonColourTable(COLORREF face);

    // The set of a draw state: bits 8-10 choose the row (pushed before focused before
    // disabled when several are set), 0x800 the checked frame fill.
    const ButtonColours& For(uint32_t drawState) const;

private:
    enum Row { kNormal, kDisabled, kPushed, kFocused, kRows };
    ButtonColours sets_[kRows][2];  // [row][checked]
};

// The table of the system face colour, made at first use.
const ButtonColourTable& SystemButtonColours();

}  // namespace WinLayer
