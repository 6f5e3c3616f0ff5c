// The main dialog's controls, texts, layout and placement. What the controls do is in
// GuiMainDialogCommands.cpp.
#include "AppLayer/GuiMainDialog.h"

#include <algorithm>

#include "AppLayer/GuiMainDialogIds.h"
#include "AppLayer/StartUp.h"
#include "RawLayer/RawLanguageTexts.h"
#include "WinLayer/WinEnvironment.h"
#include "WinLayer/WinMonitorChoice.h"
#include "WinLayer/WinRect.h"
#include "WinLayer/WinRectParameters.h"

using RawLayer::RawLocaleRecord;
using RawLayer::RawString;
using WinLayer::WinView;
using WinLayer::WinViewResize;

namespace AppLayer {
namespace {

constexpr int kLargeIcon = 130;
constexpr int kSmallIcon = 139;
constexpr DWORD kTimeBoxExStyle = WS_EX_CLIENTEDGE | WS_EX_ACCEPTFILES;
constexpr uint32_t kCornersLeft = WinLayer::kButtonRoundTopLeft | WinLayer::kButtonRoundBottomLeft;
constexpr uint32_t kCornersRight = WinLayer::kButtonRoundTopRight | WinLayer::kButtonRoundBottomRight;
constexpr uint32_t kCornersAll = kCornersLeft | kCornersRight;
constexpr RECT kCheckBoxMargins = {0, 0, 0, -1};

// Anchor flags of the layout.
constexpr uint16_t kAnchorFullWidthTop = WinLayer::kAnchorStretchWidthAtTop;  // full width, fixed height, at the top
constexpr uint16_t kAnchorFill = WinLayer::kAnchorStretch;                    // grows in width and height
constexpr uint16_t kAnchorFullWidthBottom = WinLayer::kAnchorStretchWidthAtBottom;
constexpr uint16_t kAnchorFixedLeft = WinLayer::kAnchorTopLeft;
constexpr uint16_t kAnchorKeepRight = WinLayer::kAnchorTopRight;
constexpr uint16_t kAnchorRightFullHeight = WinLayer::kAnchorStretchHeightAtRight;

}  // namespace

const RawString& MainDialogTableName() {
    static const RawString text("MainDlg");
    return text;
}

const RawLocaleRecord* MainDialogTable() {
    static const RawLocaleRecord table[] = {
        {kTagDateTag, "Date:"},
        {kTagDateSelect, "select"},
        {kTagDateCurrent, "now"},
        {kTagTimeTag, "Time:"},
        {kTagTimeSelect, "select"},
        {kTagTimeCurrent, "now"},
        {kTagMSecTag, "MSec:"},
        {kTagMSecClear, "clear"},
        {kTagMSecCurrent, "now"},
        {kTagUtcTag, "Show date and time by UTC."},
        {kTagCreationTimeTag, "Modify creation time of files."},
        {kTagLastWriteTimeTag, "Modify last write time of files."},
        {kTagLastAccessTimeTag, "Modify last access time of files."},
        {kTagSourceBox, "Drop \nsource file !"},
        {kTagTargetBox, "Drop target files !"},
        {kTagCloseButton, "Close"},
        {kTagSourceUnreadable, "The time of this file could not be read, so the chosen time stays as it was:"},
        {kTagTargetFailed, "The times of %1 files could not be changed:"},
        {kTagRestartFailed, "The program could not be started again, so it stays open:"},
        {kTagJournalNotBegun, "The undo journal could not be written, so no file was changed:"},
        {kTagJournalFailed, "The undo journal could not be written, so the times of %1 files were not changed:"},
        {kTagUndoFailed, "The times of %1 files could not be put back:"},
        {kTagRunProgress, "%1 files"},
        {kTagRunCancelled, "Stopped: the times of %1 files were changed; the files not reached kept theirs."},
        {kTagUndoCancelled, "Stopped: the times of %1 files were put back; undo again for the rest."},
        {"", ""},
    };
    return table;
}

namespace {

// The display form of a default text, as the language file would give it.
RawString DefaultText(const char* tag) {
    for (const RawLocaleRecord* record = MainDialogTable(); !record->tag.IsEmpty(); ++record) {
        if (record->tag.Equals(tag)) return RawLayer::UnescapeText(RawLayer::EscapeText(record->defaultText));
    }
    return RawString();
}

struct TimeRowSetup {
    GuiTimeRow GuiMainControls::*row;
    int useCommand;
    const char* tag;
    const char* boxTemplate;
    uint16_t kind;
    const char* selectTag;
    int selectCommand;
    const char* currentTag;
    int currentCommand;
};

constexpr TimeRowSetup kTimeRows[] = {
    {&GuiMainControls::date, kCommandUseDate, kTagDateTag, "0000/00/00 ", kTimeBoxDate, kTagDateSelect,
     kCommandDateSelect, kTagDateCurrent, kCommandDateCurrent},
    {&GuiMainControls::time, kCommandUseTime, kTagTimeTag, "00:00:00 ", kTimeBoxTime, kTagTimeSelect,
     kCommandTimeSelect, kTagTimeCurrent, kCommandTimeCurrent},
    {&GuiMainControls::msec, kCommandUseMSec, kTagMSecTag, "000 ", kTimeBoxMSec, kTagMSecClear, kCommandMSecClear,
     kTagMSecCurrent, kCommandMSecCurrent},
};

struct OptionRowSetup {
    GuiOptionRow GuiMainControls::*row;
    int command;
    const char* tag;
};

constexpr OptionRowSetup kOptionRows[] = {
    {&GuiMainControls::utc, kCommandShowUtc, kTagUtcTag},
    {&GuiMainControls::creation, kCommandSetCreation, kTagCreationTimeTag},
    {&GuiMainControls::lastWrite, kCommandSetLastWrite, kTagLastWriteTimeTag},
    {&GuiMainControls::lastAccess, kCommandSetLastAccess, kTagLastAccessTimeTag},
};

void SetUpCheckBox(WinLayer::WinCheckBox& check, int command) {
    check.ConfigureButton(RawString(), WinLayer::kButtonToggle, static_cast<uint32_t>(command));
    check.margins = kCheckBoxMargins;
}

// Text at the left, centred vertically.
void SetUpLabel(WinLayer::WinStaticBox& label, const char* tag) {
    label.SetText(DefaultText(tag));
    label.alignment = static_cast<uint16_t>((label.alignment & ~(WinLayer::kAlignRight | WinLayer::kAlignCentre |
                                                                 WinLayer::kAlignTop | WinLayer::kAlignBottom)) |
                                            WinLayer::kAlignLeft | WinLayer::kAlignMiddle);
}

// An empty text (a translator's blank entry) leaves the control's default.
void TakeText(WinView& control, const RawLayer::RawTextMap& texts, const char* tag) {
    const RawString text = texts.Text(tag);
    if (!text.IsEmpty()) control.SetText(text);
}

void TakeButtonText(WinLayer::WinButton& button, const RawLayer::RawTextMap& texts, const char* tag) {
    button.ConfigureButton(texts.Text(tag), button.buttonStyle, button.clickCode);
}

using WinLayer::Height;
using WinLayer::Width;

// Widths shared by the three time rows.
struct Columns {
    int label = 0;
    int select = 0;
    int current = 0;
};

// Places one time row from x = 0: check box, label column, gap, time box, gap, select column,
// now column. The controls follow the row as it stands now, at the origin.
void LayOutTimeRow(GuiTimeRow& row, const Columns& columns, bool checkCounts, int gap, WinViewResize& rowRect) {
    int height = std::max({row.tag.outerHeight, row.box.outerHeight, row.select.outerHeight, row.current.outerHeight});
    if (checkCounts) height = std::max(height, row.use.outerHeight);
    int x = row.use.outerWidth;
    row.use.viewRect = {0, 0, x, height};
    row.tag.viewRect = {x, 0, x + columns.label, height};
    x += columns.label + gap;
    row.box.viewRect = {x, 0, x + row.box.outerWidth, height};
    x += row.box.outerWidth + gap;
    row.select.viewRect = {x, 0, x + columns.select, height};
    x += columns.select;
    row.current.viewRect = {x, 0, x + columns.current, height};
    rowRect.viewRect = {0, 0, x + columns.current, height};
    const RECT* reference = &rowRect.viewRect;
    row.use.SetAnchors(reference, kAnchorFixedLeft);
    row.tag.SetAnchors(reference, kAnchorFixedLeft);
    row.box.SetAnchors(reference, kAnchorFullWidthTop);
    row.select.SetAnchors(reference, kAnchorKeepRight);
    row.current.SetAnchors(reference, kAnchorKeepRight);
}

}  // namespace

std::array<WinView*, kMainControlCount> GuiMainControls::InOrder() {
    return {&date.use,     &date.tag,        &date.box,      &date.select,      &date.current,   &time.use,
            &time.tag,     &time.box,        &time.select,   &time.current,     &msec.use,       &msec.tag,
            &msec.box,     &msec.select,     &msec.current,  &utc.check,        &utc.tag,        &creation.check,
            &creation.tag, &lastWrite.check, &lastWrite.tag, &lastAccess.check, &lastAccess.tag, &sourceBox,
            &targetBox,    &closeButton};
}

GuiMainDialog::GuiMainDialog(GuiProfile& gui, RawLayer::RawProfile& configProfile)
    : titleMenu_(*this, configProfile, gui.profile), gui_(gui) {
    Property().className = ProductName();
    Property().text = ProductName();
    Property().style |= WS_OVERLAPPEDWINDOW;
    largeIconId = kLargeIcon;
    smallIconId = kSmallIcon;
    SetDefaultTexts();
    for (WinView* control : controls_.InOrder()) Children().Add(control);
}

// Texts, kinds, styles and commands as the controls start, before the language file is read.
void GuiMainDialog::SetDefaultTexts() {
    for (const TimeRowSetup& setup : kTimeRows) {
        GuiTimeRow& row = controls_.*setup.row;
        SetUpCheckBox(row.use, setup.useCommand);
        SetUpLabel(row.tag, setup.tag);
        row.box.SetText(setup.boxTemplate);
        row.box.kind = setup.kind;
        row.box.Property().exStyle |= kTimeBoxExStyle;
        row.select.ConfigureButton(DefaultText(setup.selectTag), kCornersLeft,
                                   static_cast<uint32_t>(setup.selectCommand));
        row.current.ConfigureButton(DefaultText(setup.currentTag), kCornersRight,
                                    static_cast<uint32_t>(setup.currentCommand));
    }
    for (const OptionRowSetup& setup : kOptionRows) {
        GuiOptionRow& row = controls_.*setup.row;
        SetUpCheckBox(row.check, setup.command);
        SetUpLabel(row.tag, setup.tag);
    }
    struct {
        GuiDropBox& box;
        const char* tag;
        int command;
    } drops[] = {{controls_.sourceBox, kTagSourceBox, kCommandSourceDrop},
                 {controls_.targetBox, kTagTargetBox, kCommandTargetDrop}};
    for (auto& drop : drops) {
        drop.box.SetText(DefaultText(drop.tag));
        drop.box.SetCommandNumber(static_cast<uint16_t>(drop.command));
        drop.box.Property().exStyle |= WS_EX_ACCEPTFILES;
        drop.box.SetLineMargin(gui_.lineMargin);
    }
    controls_.closeButton.ConfigureButton(DefaultText(kTagCloseButton), kCornersAll,
                                          static_cast<uint32_t>(kCommandClose));
}

void GuiMainDialog::LookUpTexts() {
    const RawLayer::RawTextMap texts(MainDialogTableName(), MainDialogTable());
    for (const TimeRowSetup& setup : kTimeRows) {
        GuiTimeRow& row = controls_.*setup.row;
        TakeText(row.tag, texts, setup.tag);
        TakeButtonText(row.select, texts, setup.selectTag);
        TakeButtonText(row.current, texts, setup.currentTag);
    }
    for (const OptionRowSetup& setup : kOptionRows) TakeText((controls_.*setup.row).tag, texts, setup.tag);
    TakeText(controls_.sourceBox, texts, kTagSourceBox);
    TakeText(controls_.targetBox, texts, kTagTargetBox);
    TakeButtonText(controls_.closeButton, texts, kTagCloseButton);
}

void GuiMainDialog::StartUp() {
    const RECT client = BuildControls();
    // The controls take their final places before their windows exist: moved later, on the
    // shown window, each would be moved, clipped and painted again.
    LayoutChildren();
    SetText(ProductName());
    PlaceWindow(client);
}

RECT GuiMainDialog::BuildControls() {
    LookUpTexts();
    FitControls();
    const int gap = WinLayer::Environment().StandardGap();
    LayOutTopGroup(gap);
    LayOutOptions(gap);
    LayOutTargetAndClose();
    return PlaceGroups(gap);
}

void GuiMainDialog::FitControls() {
    for (WinView* control : controls_.InOrder()) control->FitToText();
}

// The three time rows share their label, select and now columns, are widened to the widest and
// stacked a gap apart; the source box stands a gap to their right, at least as high as the stack.
void GuiMainDialog::LayOutTopGroup(int gap) {
    GuiTimeRow* rows[] = {&controls_.date, &controls_.time, &controls_.msec};
    Columns columns;
    for (GuiTimeRow* row : rows) {
        columns.label = std::max(columns.label, row->tag.outerWidth);
        columns.select = std::max(columns.select, row->select.outerWidth);
        columns.current = std::max(columns.current, row->current.outerWidth);
    }
    int width = 0;
    for (int i = 0; i < 3; ++i) {
        LayOutTimeRow(*rows[i], columns, i == 0, gap, layout_[kLayoutDateRow + i]);
        width = std::max(width, Width(layout_[kLayoutDateRow + i].viewRect));
    }
    int top = 0;
    for (int i = kLayoutDateRow; i <= kLayoutMSecRow; ++i) {
        RECT& row = layout_[i].viewRect;
        row = {0, top, width, top + Height(row)};
        top = row.bottom + gap;
    }
    GuiDropBox& source = controls_.sourceBox;
    const int height = std::max<int>(source.outerHeight, layout_[kLayoutMSecRow].viewRect.bottom);
    source.viewRect = {0, 0, source.outerWidth, height};
    layout_[kLayoutSource].viewRect = source.viewRect;
    source.SetAnchors(&layout_[kLayoutSource].viewRect, kAnchorFill);
    OffsetRect(&layout_[kLayoutSource].viewRect, width + gap, 0);
    layout_[kLayoutTop].viewRect = {0, 0, width + gap + source.outerWidth, height};
    for (int i = kLayoutDateRow; i <= kLayoutMSecRow; ++i) {
        layout_[i].SetAnchors(&layout_[kLayoutTop].viewRect, kAnchorFullWidthTop);
    }
    layout_[kLayoutSource].SetAnchors(&layout_[kLayoutTop].viewRect, kAnchorRightFullHeight);
}

// Four rows without gaps, as high as the UTC row; the labels share the widest label's width.
void GuiMainDialog::LayOutOptions(int gap) {
    GuiOptionRow* rows[] = {&controls_.utc, &controls_.creation, &controls_.lastWrite, &controls_.lastAccess};
    const int height = std::max(controls_.utc.check.outerHeight, controls_.utc.tag.outerHeight);
    int labelWidth = 0;
    for (GuiOptionRow* row : rows) labelWidth = std::max(labelWidth, row->tag.outerWidth);
    int right = 0;
    for (int i = 0; i < 4; ++i) {
        GuiOptionRow& row = *rows[i];
        const int top = i * height, checkWidth = row.check.outerWidth;
        row.check.viewRect = {0, top, checkWidth, top + height};
        row.tag.viewRect = {checkWidth, top, checkWidth + labelWidth, top + height};
        right = std::max(right, checkWidth + labelWidth);
    }
    layout_[kLayoutOptions].viewRect = {0, 0, right, 4 * height + gap / 2};
    for (GuiOptionRow* row : rows) {
        row->check.SetAnchors(&layout_[kLayoutOptions].viewRect, kAnchorFixedLeft);
        row->tag.SetAnchors(&layout_[kLayoutOptions].viewRect, kAnchorFullWidthTop);
    }
}

// The target box twice its fitted height; the Close button half as high again as it needs.
void GuiMainDialog::LayOutTargetAndClose() {
    GuiDropBox& target = controls_.targetBox;
    target.viewRect = {0, 0, target.outerWidth, 2 * target.outerHeight};
    layout_[kLayoutTarget].viewRect = target.viewRect;
    target.SetAnchors(&layout_[kLayoutTarget].viewRect, kAnchorFill);
    WinLayer::WinButton& close = controls_.closeButton;
    close.viewRect = {0, 0, close.outerWidth, close.outerHeight * 3 / 2};
    layout_[kLayoutClose].viewRect = close.viewRect;
    close.SetAnchors(&layout_[kLayoutClose].viewRect, kAnchorRightFullHeight);
}

// The four groups at the widest one's width, stacked a gap apart inside a gap of margin; they
// follow the client area, which starts at that size.
RECT GuiMainDialog::PlaceGroups(int gap) {
    const int groups[] = {kLayoutTop, kLayoutOptions, kLayoutTarget, kLayoutClose};
    const uint16_t followed[] = {kAnchorFullWidthTop, kAnchorFullWidthTop, kAnchorFill, kAnchorFullWidthBottom};
    int width = 0;
    for (int group : groups) width = std::max(width, Width(layout_[group].viewRect));
    int top = gap;
    for (int group : groups) {
        RECT& rect = layout_[group].viewRect;
        rect = {gap, top, gap + width, top + Height(rect)};
        top = rect.bottom + gap;
    }
    clientRect = {0, 0, gap + width + gap, top};
    contentRect = {};
    for (int i = 0; i < 4; ++i) {
        WinViewResize& group = layout_[groups[i]];
        group.SetAnchors(&clientRect, followed[i]);
        group.spareRect = group.viewRect;  // the initial size, the least the window may shrink to
    }
    return clientRect;
}

// The stored rectangle keeps the computed height; it is never narrower than the layout (a
// larger font since it was stored would otherwise cut the controls off) nor wider than its
// monitor's work area, and it is moved until its caption is in reach there. One that lies on
// no monitor is centred on the primary work area; one with a broken edge is not used at all.
void GuiMainDialog::PlaceWindow(const RECT& client) {
    static const RawString kSection("MainDialog"), kKey("WindowRect");
    viewRect = WinLayer::CentredOnPrimaryWorkArea(WinLayer::SizeOf(client));
    ClientToWindowRect();
    RawLayer::RawParameterList stored;
    if (!gui_.profile.ReadSection(stored, kSection)) return;
    RECT rect = viewRect;
    if (!WinLayer::ReadRectParameters(stored, kKey, rect)) return;
    const SIZE layout = {Width(viewRect), Height(viewRect)};
    // The edges are bounded, so their difference fits; an inverted rectangle is as wide as the layout.
    LONG width = std::max<LONG>(rect.right - rect.left, layout.cx);
    RECT work = {};
    if (!WinLayer::WorkAreaUnder({rect.left, rect.top, rect.left + width, rect.top + layout.cy}, &work)) {
        work = WinLayer::PrimaryWorkArea();
        viewRect = WinLayer::CentredOnPrimaryWorkArea(
            {std::max<LONG>(layout.cx, std::min<LONG>(width, Width(work))), layout.cy});
        return;
    }
    width = std::max<LONG>(layout.cx, std::min<LONG>(width, Width(work)));
    viewRect =
        WinLayer::KeepReachable({rect.left, rect.top, rect.left + width, rect.top + layout.cy}, work, kReachablePixels);
}

void GuiMainDialog::SaveState() {
    if (sizeState == SIZE_RESTORED) SaveWindowRect();
    RawLayer::LanguageTexts().SaveTexts();
}

void GuiMainDialog::OnCreateWindow() {
    for (WinView* control : controls_.InOrder()) control->Create(this);
    ShowSettings();
}

// The groups first, in their order, then the controls; a moved control is drawn anew.
void GuiMainDialog::LayoutChildren() {
    for (WinViewResize& group : layout_) group.ApplyAnchors();
    for (WinView* control : controls_.InOrder()) control->FollowAnchors();
}

// The window never becomes smaller than its first layout: the target box's growth is what it
// may give back.
bool GuiMainDialog::AdjustTrackLimits(SIZE& shrink, SIZE&) {
    const WinViewResize& target = layout_[kLayoutTarget];
    shrink.cx = std::min<LONG>(shrink.cx, Width(target.viewRect) - Width(target.spareRect));
    shrink.cy = std::min<LONG>(shrink.cy, Height(target.viewRect) - Height(target.spareRect));
    return true;
}

}  // namespace AppLayer
