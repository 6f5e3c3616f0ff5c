#include "WinLayer/WinButton.h"

#include "WinLayer/ButtonColours.h"
#include "WinLayer/WinCalls.h"
#include "WinLayer/WinDrawing.h"
#include "WinLayer/WinPalette.h"
#include "WinLayer/WinRect.h"

namespace WinLayer {

using RawLayer::RawString;

namespace {

constexpr DWORD kButtonWindowStyle = WS_CHILD | WS_VISIBLE | BS_MULTILINE | BS_OWNERDRAW;
constexpr int kCornerRadius = 3;
constexpr int kFrameWidth = 2;
constexpr COLORREF kFrameTopLeft = 0x808080;
constexpr COLORREF kFrameBottomRight = 0x000000;
// The highlight: a disc drawn four times as large as its 3 x 3 place and shrunk into it.
constexpr int kHighlightOffset = 2;
constexpr int kHighlightSize = 3;
constexpr int kHighlightScale = 4;

CornerRadii RadiiOf(uint32_t style) {
    auto radius = [style](uint32_t bit) { return (style & bit) ? kCornerRadius : 0; };
    return {radius(kButtonRoundTopLeft), radius(kButtonRoundBottomLeft), radius(kButtonRoundTopRight),
            radius(kButtonRoundBottomRight)};
}

RECT Shrunk(RECT rect, int by) {
    InflateRect(&rect, -by, -by);
    return rect;
}

void DrawHighlight(WinDrawContext& dc, const RECT& face) {
    const RECT target = {face.left + kHighlightOffset, face.top + kHighlightOffset,
                         face.left + kHighlightOffset + kHighlightSize, face.top + kHighlightOffset + kHighlightSize};
    const int side = kHighlightSize * kHighlightScale;
    OffscreenSurface surface(dc.Get(), target, {side, side});
    if (!surface.Load()) return;
    {
        WinDrawContext offscreen(surface.Get());
        WhiteEllipse(offscreen, {0, 0, side, side});
        WhiteEllipse(offscreen, {2, 2, side - 2, side - 2});
    }
    surface.Store();
}

}  // namespace

WinButton::WinButton() {
    WinViewProperty& property = Property();
    property.className = "BUTTON";
    property.kind = kViewSubclassed;
    property.style |= kButtonWindowStyle;
    alignment = static_cast<uint16_t>((alignment & ~(kAlignLeft | kAlignRight | kAlignTop | kAlignBottom)) |
                                      kAlignCentre | kAlignMiddle);
    margins = {4, 4, 4, 4};
}

void WinButton::ConfigureButton(const RawString& caption, uint32_t style, uint32_t code) {
    RawString text(caption);
    const RawString escape(RawString("\\n"), text.Encoding());
    const RawString lineBreak(RawString("\r\n"), text.Encoding());
    for (int32_t pos = text.Find(escape, 0, text.Length()); pos < text.Length();
         pos = text.Find(escape, pos + lineBreak.Length(), text.Length())) {
        text.ReplaceRange(pos, pos + escape.Length(), lineBreak, 0, lineBreak.Length());
    }
    buttonStyle = style;
    clickCode = code;
    if (!text.IsEmpty()) SetText(text);
}

LRESULT WinButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            focus = message == WM_SETFOCUS ? 1 : 0;
            if (Window()) InvalidateRect(Window(), nullptr, FALSE);
            return WinView::HandleMessage(message, wParam, lParam);
        case WM_DRAWITEM:
            if (lParam) Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return 1;
        case WM_ERASEBKGND:
            return 1;
        case WM_KEYDOWN:
            switch (wParam) {
                case VK_RETURN:
                case VK_SPACE:
                    return PostClick();  // the system button never sees the key
                case VK_LEFT:
                case VK_UP:
                    return Navigate(true);
                case VK_RIGHT:
                case VK_DOWN:
                    return Navigate(false);
                default:
                    return WinView::HandleMessage(message, wParam, lParam);
            }
        case WM_LBUTTONDBLCLK:
            return PostClick();  // the second click of a double click
        default:
            return WinView::HandleMessage(message, wParam, lParam);
    }
}

LRESULT WinButton::PostClick() {
    PostNotification(0);
    return 0;
}

void WinButton::SetChecked(bool set) {
    checked = set ? 1 : 0;
    if (!Window()) return;
    SendMessageW(Window(), BM_SETCHECK, checked, 0);
    InvalidateRect(Window(), nullptr, FALSE);
}

LRESULT WinButton::Navigate(bool backwards) {
    WinView* parent = Parent();
    if (!parent || !parent->Window()) return 0;
    return SendMessageA(parent->Window(), TabNavigate, static_cast<WPARAM>(Property().identifier), backwards ? 1 : 0);
}

LRESULT WinButton::OnCommand(int code) {
    if (code == 0) {
        if (buttonStyle & kButtonToggle) SetChecked(!checked);
        if (clickCode != 0) PostNotification(static_cast<int>(clickCode));
    }
    return WinView::OnCommand(code);
}

uint32_t WinButton::DrawStateOf(UINT itemState) const {
    uint32_t state = buttonStyle | (checked ? kDrawChecked : 0);
    if (itemState & ODS_SELECTED) return state | kDrawPushed;
    if (itemState & ODS_FOCUS) return state | kDrawFocused;
    if (itemState & ODS_DISABLED) return state | kDrawDisabled;
    return state;
}

void WinButton::Draw(const DRAWITEMSTRUCT& item) {
    WinDrawContext dc(item.hDC);
    dc.SelectFont(ResolvedFont().Handle());
    dc.SetTransparentBackground();
    const uint32_t drawState = DrawStateOf(item.itemState);
    FillSolid(dc, item.rcItem, SystemColours().face);
    DrawFace(dc, item.rcItem, drawState);
    const RECT& box = item.rcItem;
    RECT text = PlaceTextVertically(dc.Get(), GetText(), Inset(box, margins), alignment, textHeight,
                                    AlignedTextFormat(alignment));
    DrawCaption(dc, text, drawState);
}

void WinButton::DrawFace(WinDrawContext& dc, RECT face, uint32_t drawState) {
    const ButtonColours& colours = SystemButtonColours().For(drawState);
    const CornerRadii radii = RadiiOf(drawState);
    if (drawState & kButtonFrames) {
        FillTwoTone(dc, face, radii, colours.frameFillUpper, colours.frameFillLower);
        OutlineBevel(dc, face, radii, kFrameTopLeft, kFrameBottomRight);
        if (drawState & kButtonFrameLeft) face.left += kFrameWidth;
        if (drawState & kButtonFrameRight) face.right -= kFrameWidth;
        if (drawState & kButtonFrameTop) face.top += kFrameWidth;
        if (drawState & kButtonFrameBottom) face.bottom -= kFrameWidth;
    }
    FillTwoTone(dc, face, radii, colours.fillUpper, colours.fillLower);
    OutlineBevel(dc, Shrunk(face, 1), radii, colours.innerTopLeft, colours.innerBottomRight);
    OutlineBevel(dc, face, radii, colours.outerTopLeft, colours.outerBottomRight);
    if (colours.highlight) DrawHighlight(dc, face);
}

void WinButton::DrawCaption(WinDrawContext& dc, RECT& rect, uint32_t drawState) {
    const bool disabled = (drawState & kDrawStateMask) == kDrawDisabled;
    dc.SetTextColour(disabled ? kGreyText : SystemColours().windowText);
    RawString text = GetText();
    DrawTextRange(dc.Get(), text, 0, text.Length(), rect, AlignedTextFormat(alignment));
}

}  // namespace WinLayer
