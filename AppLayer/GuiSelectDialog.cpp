#include "AppLayer/GuiSelectDialog.h"

#include <algorithm>
#include <array>

#include "RawLayer/RawLanguageTexts.h"
#include "WinLayer/WinCommonDialog.h"
#include "WinLayer/WinEnvironment.h"
#include "WinLayer/WinMonitorChoice.h"
#include "WinLayer/WinRect.h"

using RawLayer::RawLocaleRecord;
using RawLayer::RawParameterList;
using RawLayer::RawParameterUnit;
using RawLayer::RawString;
using WinLayer::Height;
using WinLayer::Width;
using WinLayer::WinView;
using WinLayer::WinViewResize;

namespace AppLayer {

namespace {

constexpr uint16_t kSeparatorAlignClear = 0x33;
constexpr uint16_t kSeparatorAlignSet = 0x44;  // centred both ways

const RawString& TableName() {
    static const RawString text("SelectDialog");
    return text;
}

const RawLocaleRecord* TextTable() {
    static const RawLocaleRecord table[] = {
        {"DateTitle", "Specify date"},
        {"TimeTitle", "Specify time"},
        {"", ""},
    };
    return table;
}

// One list of a mode: its range, the least digits of a text and the text that fixes its width.
struct ListRange {
    int32_t minimum;
    int32_t end;
    int32_t digits;
    const char* widthTemplate;
};

const std::array<ListRange, 3>& ListRanges(uint16_t mode) {
    static const std::array<ListRange, 3> date = {{{1601, 3000, 4, "0000 "}, {1, 13, 2, "00 "}, {1, 32, 2, "00 "}}};
    static const std::array<ListRange, 3> time = {{{0, 24, 2, "00 "}, {0, 60, 2, "00 "}, {0, 60, 2, "00 "}}};
    return mode == kSelectDate ? date : time;
}

// The three fields of value that mode picks, in list order.
std::array<WORD*, 3> ModeFields(uint16_t mode, SYSTEMTIME& value) {
    if (mode == kSelectDate) return {&value.wYear, &value.wMonth, &value.wDay};
    return {&value.wHour, &value.wMinute, &value.wSecond};
}

RawString CommonText(const RawParameterList& texts, const char* tag) {
    const RawParameterUnit* unit = texts.Find(tag);
    return unit ? unit->value : RawString();
}

}  // namespace

GuiSelectDialog::GuiSelectDialog() {
    Property().className = "Kairodex_Select";
    for (WinView* child : std::array<WinView*, 7>{&firstList, &firstSeparator, &secondList, &secondSeparator,
                                                  &thirdList, &finishButton, &cancelButton}) {
        Children().Add(child);
    }
}

GuiSelectDialog::~GuiSelectDialog() {
    // The children's windows refer to the views, which die with this object.
    if (Window()) DestroyWindow(Window());
}

int32_t GuiSelectDialog::Run(WinView* owner, uint16_t selectMode, SYSTEMTIME& chosen) {
    SetUp(owner, selectMode, chosen);
    const int32_t code = RunModal(owner);
    if (code == 1) {
        const std::array<WORD*, 3> from = ModeFields(mode, value);
        const std::array<WORD*, 3> to = ModeFields(mode, chosen);
        for (size_t i = 0; i < from.size(); ++i) *to[i] = *from[i];
    }
    return code;
}

void GuiSelectDialog::SetUp(WinView* owner, uint16_t selectMode, const SYSTEMTIME& handedIn) {
    HWND ownerWindow = owner && owner->Root() ? owner->Root()->Window() : nullptr;
    RECT ownerRect = {};
    const bool hasOwner = ownerWindow && GetWindowRect(ownerWindow, &ownerRect);
    ownerWindow_ = hasOwner ? ownerWindow : nullptr;
    mode = static_cast<uint16_t>(mode | selectMode);
    value = handedIn;
    RECT client = {};
    BuildControls(client, groupA, groupB);
    Property().style |= WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
    Property().exStyle |= WS_EX_TOOLWINDOW;
    viewRect = clientRect = {0, 0, client.right, client.bottom};
    ClientToWindowRect();
    SetGroupAnchors(clientRect);
    contentRect = {};  // AdjustTrackLimits alone limits shrinking
    if (hasOwner) {
        PlaceOver(ownerRect);
    } else {
        PlaceOver(WinLayer::CentredOnPrimaryWorkArea(WinLayer::SizeOf(viewRect)));
    }
}

// Centred on the owner, shifted inside the primary work area, then exactly as tall as the owner.
void GuiSelectDialog::PlaceOver(const RECT& owner) {
    // Also when the whole window lies beyond an edge (an owner mostly off the screen): a modal
    // dialog out of reach would leave the owner blocked for good.
    viewRect =
        WinLayer::ShiftedInto(WinLayer::CentredIn(owner, WinLayer::SizeOf(viewRect)), WinLayer::PrimaryWorkArea());
    viewRect.top = owner.top;
    viewRect.bottom = owner.bottom;
}

void GuiSelectDialog::BuildControls(RECT& client, WinViewResize& lists, WinViewResize& buttons) {
    {
        RawLayer::RawTextMap texts(TableName(), TextTable());
        SetText(texts.Text(mode & kSelectDate ? "DateTitle" : "TimeTitle"));
    }
    BuildListsRow(lists);
    BuildButtonsRow(buttons);
    const LONG width = std::max(Width(lists.viewRect), Width(buttons.viewRect));
    const int gap = WinLayer::Environment().StandardGap();
    lists.viewRect = {gap, gap, gap + width, gap + Height(lists.viewRect)};
    const LONG buttonsTop = lists.viewRect.bottom + gap;
    buttons.viewRect = {gap, buttonsTop, gap + width, buttonsTop + Height(buttons.viewRect)};
    client = {0, 0, buttons.viewRect.right + gap, buttons.viewRect.bottom + gap};
}

// Left to right from 0, as high as the row, each as wide as its template; the controls follow
// the group from where it stands now, so the first layout moves them with it.
void GuiSelectDialog::BuildListsRow(WinViewResize& lists) {
    const std::array<ListRange, 3>& ranges = ListRanges(mode & kSelectDate ? kSelectDate : kSelectTime);
    const std::array<WORD*, 3> fields = ModeFields(mode & kSelectDate ? kSelectDate : kSelectTime, value);
    const std::array<GuiSelectBox*, 3> boxes = {&firstList, &secondList, &thirdList};
    for (size_t i = 0; i < boxes.size(); ++i) {
        boxes[i]->SetText(ranges[i].widthTemplate);
        boxes[i]->SetRange(ranges[i].minimum, ranges[i].end, *fields[i], ranges[i].digits);
    }
    for (WinLayer::WinStaticBox* separator : {&firstSeparator, &secondSeparator}) {
        separator->SetText(mode & kSelectDate ? "/" : ":");
        separator->alignment =
            static_cast<uint16_t>((separator->alignment & ~kSeparatorAlignClear) | kSeparatorAlignSet);
    }
    LONG x = 0;
    const std::array<WinView*, 5> row = {&firstList, &firstSeparator, &secondList, &secondSeparator, &thirdList};
    for (WinView* control : row) {
        control->FitToText();
        control->viewRect = {x, 0, x + control->outerWidth, kSelectListsHeight};
        x = control->viewRect.right;
    }
    lists.viewRect = {0, 0, x, kSelectListsHeight};
    for (WinView* control : row) control->SetAnchors(&lists.viewRect, WinLayer::kAnchorStretchHeightAtLeft);
}

void GuiSelectDialog::BuildButtonsRow(WinViewResize& buttons) {
    const RawParameterList texts = WinLayer::CommonDialogTexts();
    finishButton.ConfigureButton(CommonText(texts, "FinishButton"), kSelectFinishCorners, kSelectFinish);
    cancelButton.ConfigureButton(CommonText(texts, "CancelButton"), kSelectCancelCorners, kSelectCancel);
    LONG x = 0;
    LONG height = 0;
    for (WinLayer::WinButton* button : {&finishButton, &cancelButton}) {
        button->FitToText();
        button->viewRect = {x, 0, x + button->outerWidth, button->outerHeight};
        x = button->viewRect.right;
        height = std::max<LONG>(height, button->outerHeight);
    }
    buttons.viewRect = {0, 0, x, height};
    for (WinLayer::WinButton* button : {&finishButton, &cancelButton}) {
        button->viewRect.bottom = height;
        button->SetAnchors(&buttons.viewRect, WinLayer::kAnchorBottomRight);
    }
}

void GuiSelectDialog::SetGroupAnchors(const RECT& followed) {
    groupA.SetAnchors(&followed, WinLayer::kAnchorStretch);
    groupB.SetAnchors(&followed, WinLayer::kAnchorStretchWidthAtBottom);
    groupA.spareRect = groupA.viewRect;
    groupB.spareRect = groupB.viewRect;
}

void GuiSelectDialog::OnCreateWindow() {
    for (WinView* child : std::array<WinView*, 7>{&firstList, &firstSeparator, &secondList, &secondSeparator,
                                                  &thirdList, &finishButton, &cancelButton}) {
        child->Create(this);
    }
    result = 0;
    LayoutChildren();
}

void GuiSelectDialog::LayoutChildren() {
    groupA.ApplyAnchors();
    groupB.ApplyAnchors();
    for (WinView* child : std::array<WinView*, 7>{&firstList, &firstSeparator, &secondList, &secondSeparator,
                                                  &thirdList, &finishButton, &cancelButton}) {
        child->FollowAnchors();
    }
}

// The dialog shrinks no further than to the size its lists row had when it was built.
bool GuiSelectDialog::AdjustTrackLimits(SIZE& shrink, SIZE&) {
    shrink.cx = std::min<LONG>(shrink.cx, std::max<LONG>(0, Width(groupA.viewRect) - Width(groupA.spareRect)));
    shrink.cy = std::min<LONG>(shrink.cy, std::max<LONG>(0, Height(groupA.viewRect) - Height(groupA.spareRect)));
    return true;
}

void GuiSelectDialog::OnCreated() {
    // Owned by the blocked window, the dialog stays above it however that window is raised (a
    // click on its caption, the window manager), where the dialog's own raise would not reach:
    // raising the window that is already in front changes nothing.
    if (ownerWindow_ && Window()) {
        SetWindowLongPtrW(Window(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(ownerWindow_));
    }
    FillLists();
    // Keyboard users start in the first list: the dialog window itself takes no keys.
    if (firstList.Window()) SetFocus(firstList.Window());
}

void GuiSelectDialog::FillLists() {
    const std::array<ListRange, 3>& ranges = ListRanges(mode & kSelectDate ? kSelectDate : kSelectTime);
    const std::array<WORD*, 3> fields = ModeFields(mode & kSelectDate ? kSelectDate : kSelectTime, value);
    const std::array<GuiSelectBox*, 3> boxes = {&firstList, &secondList, &thirdList};
    for (size_t i = 0; i < boxes.size(); ++i) {
        boxes[i]->SetRange(ranges[i].minimum, ranges[i].end, *fields[i], ranges[i].digits);
        boxes[i]->Fill();
    }
}

LRESULT GuiSelectDialog::OnChildNotify(WinView*, int code) {
    switch (code) {
        case kSelectFinish:
            Finish();
            break;
        case kSelectCancel:
            End(0);
            break;
        case WinLayer::NotifyCancel:
            if (Window()) PostMessageW(Window(), WM_CLOSE, 0, 0);
            break;
        default:
            break;
    }
    return 0;
}

// Only the mode's three fields change; a list never moved gives back the number handed in.
void GuiSelectDialog::Finish() {
    const std::array<WORD*, 3> fields = ModeFields(mode & kSelectDate ? kSelectDate : kSelectTime, value);
    const std::array<const GuiSelectBox*, 3> boxes = {&firstList, &secondList, &thirdList};
    for (size_t i = 0; i < boxes.size(); ++i) *fields[i] = static_cast<WORD>(boxes[i]->Current());
    End(1);
}

void GuiSelectDialog::End(int32_t code) {
    if (flags & WinLayer::kDialogEnded) return;
    flags |= WinLayer::kDialogEnded;
    result = code;
    if (Window()) DestroyWindow(Window());
}

bool MergeSelection(FileTimeValue& target, const SYSTEMTIME& chosen, uint16_t mode, uint16_t settingsFlags) {
    TimeParts parts = PartsOf(chosen);
    const uint16_t part = mode == kSelectDate ? UseDate : UseTime;
    const uint16_t flags = WithParts(settingsFlags, part);
    while (!MergeParts(target, parts, flags)) {
        // A day its month does not have: the month's last day.
        if (mode != kSelectDate || parts.day <= 1) return false;
        --parts.day;
    }
    return true;
}

}  // namespace AppLayer
