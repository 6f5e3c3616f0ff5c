#include "WinLayer/ButtonColours.h"

#include "WinLayer/WinDrawing.h"
#include "WinLayer/WinPalette.h"

namespace WinLayer {

namespace {

constexpr COLORREF kCheckedFrameUpper = 0xFF27FF;
constexpr COLORREF kCheckedFrameLower = 0xFF00FF;

using Channel = int (*)(int);

COLORREF PerChannel(COLORREF colour, Channel red, Channel green, Channel blue) {
    return RGB(red(GetRValue(colour)), green(GetGValue(colour)), blue(GetBValue(colour)));
}

COLORREF AllChannels(COLORREF colour, Channel channel) { return PerChannel(colour, channel, channel, channel); }

// The face tinted a little toward blue: red down by 3/256, green and blue up by 2/256 of the room.
COLORREF Base(COLORREF face) {
    return PerChannel(
        face, [](int x) { return x - 3 * x / 256; }, [](int x) { return x + 2 * (255 - x) / 256; },
        [](int x) { return x + 2 * (255 - x) / 256; });
}

COLORREF Lighter(COLORREF c) {
    return AllChannels(c, [](int x) { return x + 127 - x / 2; });
}

}  // namespace

ButtonColourTable::ButtonColourTable(COLORREF face) {
    const COLORREF base = Base(face);
    const COLORREF d10 = Darkened(base, kShadeParts), d25 = Darkened(base, 25), d40 = Darkened(base, 40);
    const COLORREF light = Lighter(base);
    // outer TL, inner TL, inner BR, outer BR, fill upper, fill lower (frame fill set below), highlight
    const ButtonColours rows[kRows] = {
        {0x808080, light, d40, 0x000000, d10, d25, 0, 0, true},
        {0xC0C0C0, 0xE0E0E0, 0xC0C0C0, 0xA0A0A0, d10, d10, 0, 0, false},
        {0x000000, 0x606060, 0x808080, 0x404040, d10, d25, 0, 0, false},
        {0xFF0000, 0xFFD0A0, 0xE0A060, 0xF00000, d10, d25, 0, 0, true},
    };
    for (int row = 0; row < kRows; ++row) {
        ButtonColours plain = rows[row];
        plain.frameFillUpper = plain.fillUpper;
        plain.frameFillLower = plain.fillLower;
        ButtonColours checked = rows[row];
        checked.frameFillUpper = kCheckedFrameUpper;
        checked.frameFillLower = kCheckedFrameLower;
        sets_[row][0] = plain;
        sets_[row][1] = checked;
    }
}

const ButtonColours& ButtonColourTable::For(uint32_t drawState) const {
    Row row = kNormal;
    if (drawState & kDrawPushed) {
        row = kPushed;
    } else if (drawState & kDrawFocused) {
        row = kFocused;
    } else if (drawState & kDrawDisabled) {
        row = kDisabled;
    }
    return sets_[row][(drawState & kDrawChecked) ? 1 : 0];
}

const ButtonColourTable& SystemButtonColours() {
    static const ButtonColourTable table(SystemColours().face);
    return table;
}

}  // namespace WinLayer
