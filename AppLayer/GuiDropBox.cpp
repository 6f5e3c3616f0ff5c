#include "AppLayer/GuiDropBox.h"

#include "RawLayer/RawCodeUnits.h"
#include "RawLayer/RawDroppedFiles.h"
#include "WinLayer/WinCalls.h"
#include "WinLayer/WinDrawContext.h"
#include "WinLayer/WinDrawing.h"
#include "WinLayer/WinPalette.h"
#include "WinLayer/WinRect.h"

namespace AppLayer {

using RawLayer::RawString;
using namespace WinLayer;

namespace {

constexpr DWORD kDropBoxWindowStyle = WS_CHILD | WS_VISIBLE | BS_OWNERDRAW;
using RawLayer::kLineFeed;
using RawLayer::kReturn;

struct DropBoxColours {
    COLORREF background;
    COLORREF frame;
    COLORREF text;
};

// The system face colour in the buttons' first shade.
COLORREF ShadedFace() { return WinLayer::Darkened(SystemColours().face, WinLayer::kShadeParts); }

// The colours of a box, enabled and disabled; made at first use.
const DropBoxColours& ColoursFor(UINT itemState) {
    static const DropBoxColours sets[2] = {
        {ShadedFace(), 0xC0C0C0, SystemColours().windowText},
        {ShadedFace(), 0xC0C0C0, WinLayer::kGreyText},
    };
    return sets[(itemState & (ODS_GRAYED | ODS_DISABLED)) ? 1 : 0];
}

}  // namespace

GuiDropBox::GuiDropBox() {
    WinViewProperty& property = Property();
    property.className = "BUTTON";
    property.kind = kViewSubclassed;
    property.style |= kDropBoxWindowStyle;
    property.flags |= kViewNotATabStop;
    alignment = static_cast<uint16_t>((alignment & ~(kAlignLeft | kAlignRight | kAlignTop | kAlignBottom)) |
                                      kAlignCentre | kAlignMiddle);
    margins = {2, 2, 2, 2};
}

LRESULT GuiDropBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DRAWITEM:
            if (lParam) Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return 1;
        case WM_DROPFILES:
            return TakeDrop(reinterpret_cast<HDROP>(wParam));
        default:
            return WinView::HandleMessage(message, wParam, lParam);
    }
}

void GuiDropBox::MeasureText(RECT& rect) const {
    WinView::MeasureText(rect);
    const int32_t lineFeeds = Property().text.CountLineFeeds();
    lineHeight_ = (rect.bottom - rect.top) / (lineFeeds + 1);
    rect.bottom += lineFeeds * lineMargin_;
}

LRESULT GuiDropBox::TakeDrop(HDROP drop) {
    RawLayer::RawDroppedFiles finished(drop);  // finished on every path
    // A disabled box takes no drop: its dialog is not ready for one.
    if (Window() && !IsWindowEnabled(Window())) return 0;
    // Nor does a blocked one (a drop being applied, a modal dialog open): its command would be
    // dropped, and the names would no longer say what was dropped last.
    if (RootBlocked()) return 0;
    // A new list rather than emptying the old one: a copy the dialog may hold keeps its names.
    droppedNames_ = RawLayer::DroppedFileNames(drop);
    PostNotification(commandNumber_);
    return 0;
}

void GuiDropBox::Draw(const DRAWITEMSTRUCT& item) {
    const DropBoxColours& colours = ColoursFor(item.itemState);
    WinDrawContext dc(item.hDC);
    const RECT& box = item.rcItem;
    FillSolid(dc, box, colours.background);
    OutlineBevel(dc, box, CornerRadii{}, colours.frame, colours.frame);
    dc.SetTransparentBackground();
    dc.SelectFont(ResolvedFont().Handle());
    dc.SetTextColour(colours.text);

    if (lineHeight_ <= 0) {  // drawn before it was fitted
        RECT measured;
        MeasureText(measured);
    }
    const RawString text = GetText();
    const int32_t lines = text.CountLineFeeds() + 1;
    const LONG step = lineHeight_ + lineMargin_;
    const LONG blockHeight = lines * lineHeight_ + (lines - 1) * lineMargin_;
    const UINT format = AlignedTextFormat(alignment);
    const RECT inner = WinLayer::Inset(box, margins);
    RECT line = PlaceTextVertically(dc.Get(), text, inner, alignment, blockHeight, format);
    for (int32_t start = 0; start <= text.Length(); line.top += step) {
        const int32_t feed = text.FindUnit(kLineFeed, start);
        int32_t end = feed;
        if (end > start && text.UnitAt(end - 1) == kReturn) --end;
        DrawTextRange(dc.Get(), text, start, end, line, format);
        start = feed + 1;
    }
}

}  // namespace AppLayer
