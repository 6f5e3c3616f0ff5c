#include "WinLayer/WinStaticBox.h"

#include "WinLayer/WinCalls.h"
#include "WinLayer/WinDrawContext.h"
#include "WinLayer/WinDrawing.h"
#include "WinLayer/WinPalette.h"
#include "WinLayer/WinRect.h"

namespace WinLayer {

using RawLayer::RawString;

namespace {

constexpr DWORD kStaticWindowStyle = WS_CHILD | WS_VISIBLE | SS_OWNERDRAW;

}  // namespace

WinStaticBox::WinStaticBox() : backgroundColour(SystemColours().face), textColour(SystemColours().windowText) {
    WinViewProperty& property = Property();
    property.className = "STATIC";
    property.kind = 0;
    property.flags |= kViewNotATabStop;
    property.style |= kStaticWindowStyle;
    alignment = static_cast<uint16_t>((alignment & ~(kAlignRight | kAlignCentre | kAlignBottom | kAlignMiddle)) |
                                      kAlignLeft | kAlignTop);
    margins = {2, 2, 2, 2};
}

LRESULT WinStaticBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_DRAWITEM) return WinView::HandleMessage(message, wParam, lParam);
    if (lParam) Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return 1;
}

void WinStaticBox::Draw(const DRAWITEMSTRUCT& item) {
    WinDrawContext dc(item.hDC);
    const RECT& box = item.rcItem;
    FillSolid(dc, box, backgroundColour);
    if (bandColour != kNoBand)
        FillSolid(dc, {box.left, box.top + (box.bottom - box.top) / 2, box.right, box.bottom}, bandColour);
    dc.SetTransparentBackground();
    dc.SetTextColour((item.itemState & (ODS_GRAYED | ODS_DISABLED)) ? kGreyText : textColour);
    dc.SelectFont(ResolvedFont().Handle());
    const UINT format = AlignedTextFormat(alignment);
    const RawString text = GetText();
    RECT rect = PlaceTextVertically(dc.Get(), text, Inset(box, margins), alignment, textHeight, format);
    DrawTextRange(dc.Get(), text, 0, text.Length(), rect, format);
}

}  // namespace WinLayer
