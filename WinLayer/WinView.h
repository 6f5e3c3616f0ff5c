// WinView: the base of every window of the framework. A view owns the description of its
// window and, once created, the window handle (but never destroys the window itself). It
// borrows its font, its parent view and its hooks; all three must outlive it.
#pragma once

#include <windows.h>

#include <climits>
#include <cstdint>

#include "RawLayer/RawString.h"
#include "WinLayer/WinViewList.h"
#include "WinLayer/WinViewProperty.h"

namespace WinLayer {

// A handler's answer for a message that is not its business.
constexpr LRESULT NotHandled = INT_MAX;

// Framework messages.
constexpr UINT ActivateBlocker = WM_APP;       // relayed to the blocking window of a blocked dialog
constexpr UINT BringToFront = WM_APP + 1;      // raise a dialog, then its blocking window
constexpr UINT TabNavigate = WM_APP + 2;       // wParam sender identifier, lParam 1 for backwards
constexpr UINT FrameworkMessage = WM_APP + 3;  // goes to OnFrameworkMessage

// Notification code (high word of WM_COMMAND) of Escape in a view.
constexpr int NotifyCancel = 0x1004;

// The WM_COMMAND word of a notification: identifier in the low word, code in the high word.
WPARAM CommandNotice(int identifier, int code);
// Posts that notification to window; false when it could not be posted.
bool PostCommandNotice(HWND window, int identifier, int code);

// Anchor flags: each adds one delta of the reference rectangle to one edge of the view.
constexpr uint16_t kAnchorLeftByLeft = 0x0001;
constexpr uint16_t kAnchorLeftByRight = 0x0002;
constexpr uint16_t kAnchorLeftByCentre = 0x0004;
constexpr uint16_t kAnchorRightByRight = 0x0010;
constexpr uint16_t kAnchorRightByLeft = 0x0020;
constexpr uint16_t kAnchorRightByCentre = 0x0040;
constexpr uint16_t kAnchorTopByTop = 0x0100;
constexpr uint16_t kAnchorTopByBottom = 0x0200;
constexpr uint16_t kAnchorTopByCentre = 0x0400;
constexpr uint16_t kAnchorBottomByBottom = 0x1000;
constexpr uint16_t kAnchorBottomByTop = 0x2000;
constexpr uint16_t kAnchorBottomByCentre = 0x4000;

// The combinations the dialogs use. Each edge either keeps its distance from the near edge of
// the reference (a fixed side) or follows it (a stretched side).
constexpr uint16_t kAnchorStretch = kAnchorLeftByLeft | kAnchorRightByRight | kAnchorTopByTop | kAnchorBottomByBottom;
constexpr uint16_t kAnchorStretchWidthAtTop =
    kAnchorLeftByLeft | kAnchorRightByRight | kAnchorTopByTop | kAnchorBottomByTop;
constexpr uint16_t kAnchorStretchWidthAtBottom =
    kAnchorLeftByLeft | kAnchorRightByRight | kAnchorTopByBottom | kAnchorBottomByBottom;
constexpr uint16_t kAnchorStretchHeightAtLeft =
    kAnchorLeftByLeft | kAnchorRightByLeft | kAnchorTopByTop | kAnchorBottomByBottom;
constexpr uint16_t kAnchorStretchHeightAtRight =
    kAnchorLeftByRight | kAnchorRightByRight | kAnchorTopByTop | kAnchorBottomByBottom;
constexpr uint16_t kAnchorTopLeft = kAnchorLeftByLeft | kAnchorRightByLeft | kAnchorTopByTop | kAnchorBottomByTop;
constexpr uint16_t kAnchorTopRight = kAnchorLeftByRight | kAnchorRightByRight | kAnchorTopByTop | kAnchorBottomByTop;
constexpr uint16_t kAnchorBottomRight =
    kAnchorLeftByRight | kAnchorRightByRight | kAnchorTopByBottom | kAnchorBottomByBottom;

// Alignment flags of a view's text: one of each group is set.
constexpr uint16_t kAlignLeft = 0x0001;
constexpr uint16_t kAlignRight = 0x0002;
constexpr uint16_t kAlignCentre = 0x0004;
constexpr uint16_t kAlignMultiLine = 0x0008;  // word-wrapped over several lines
constexpr uint16_t kAlignTop = 0x0010;
constexpr uint16_t kAlignBottom = 0x0020;
constexpr uint16_t kAlignMiddle = 0x0040;

// What every base of a view points at: the view's window handle and property. Both null for
// a stand-alone anchor record.
struct WinViewLink {
    HWND* window = nullptr;
    WinViewProperty* property = nullptr;
};

// The text operations.
class WinViewStyle {
public:
    explicit WinViewStyle(WinViewLink link) : link_(link) {}
    virtual ~WinViewStyle() = default;

    // The text converted to the environment encoding.
    virtual RawLayer::RawString GetText() const;
    virtual void ClearText();
    virtual void SetText(const RawLayer::RawString& text);
    virtual void AppendText(const RawLayer::RawString& text);
    // Puts GetText() into the window's own text when the window exists.
    bool UpdateWindowText() const;

protected:
    WinViewLink link_;
};

// Text measuring and the fitted sizes.
class WinViewFitting {
public:
    explicit WinViewFitting(WinViewLink link) : link_(link) {}
    virtual ~WinViewFitting() = default;

    // The text's rectangle, from (0, 0), with the resolved font.
    virtual void MeasureText(RECT& rect) const;
    // Grows a client rectangle to the window rectangle of the view's styles.
    virtual void AdjustOuterRect(RECT& rect) const;
    // Measures the text and sets the text and outer sizes from it and the margins.
    void FitToText();

    uint16_t alignment = 0;  // 1 left, 2 right, 4 centred, 8 multi-line, 0x10 top, 0x20 bottom, 0x40 centred
    int32_t textWidth = 0;
    int32_t textHeight = 0;
    int32_t outerWidth = 0;
    int32_t outerHeight = 0;
    RECT margins = {};  // left, top, right, bottom

protected:
    WinViewLink link_;
};

// The anchor record: how the view rectangle follows a reference rectangle.
class WinViewResize {
public:
    explicit WinViewResize(WinViewLink link = {}) : link_(link) {}

    // Follow reference (borrowed; it must outlive the record) with the given flags, starting
    // from its present value.
    void SetAnchors(const RECT* reference, uint16_t flags);
    // Moves the view rectangle by the reference's change since the last call; false without
    // a reference.
    bool ApplyAnchors();

    RECT viewRect = {};  // parent client coordinates
    RECT spareRect = {};
    const RECT* reference = nullptr;
    RECT lastReference = {};
    uint16_t anchors = 0;

protected:
    WinViewLink link_;
};

// The hooks that see the view's messages after the view.
class WinViewAction {
public:
    explicit WinViewAction(WinViewLink link) : link_(link) {}

    WinViewHookList hookList;  // refers to the hooks, never deletes them

protected:
    WinViewLink link_;
};

class WinView : public WinViewStyle, public WinViewFitting, public WinViewResize, public WinViewAction {
public:
    WinView();
    ~WinView() override;
    WinView(const WinView&) = delete;
    WinView& operator=(const WinView&) = delete;

    // Creates the window as a child of parent (null: no parent window); null when creation
    // failed.
    HWND Create(WinView* parent);
    // The view's handler, then its hooks: the first hook result other than NotHandled wins.
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnCommand(int code);
    virtual LRESULT OnFrameworkMessage(WPARAM wParam, LPARAM lParam);
    virtual bool PreTranslateMessage(UINT message, WPARAM wParam, LPARAM lParam, POINT point);
    virtual void OnCreated() {}
    virtual void OnDestroyed() {}
    virtual LRESULT OnChildNotify(WinView* child, int code);
    virtual bool AdjustTrackLimits(SIZE& shrink, SIZE& growth);
    virtual void LayoutChildren() {}
    virtual void OnSizeStateChanged(int previous, int current);

    HWND Window() const { return window_; }
    void SetWindow(HWND window) { window_ = window; }
    WinViewProperty& Property() { return property_; }
    const WinViewProperty& Property() const { return property_; }
    WinView* Parent() const { return parent_; }
    const WinFont& ResolvedFont() const { return property_.ResolvedFont(); }

    // Post or send the notification code with this view's identifier to its own window, whose
    // OnCommand hands it to the parent; nothing without a window.
    void PostNotification(int code) const;
    void SendNotification(int code) const;
    // Moves the window to viewRect and has it drawn anew; nothing without a window.
    void MoveToViewRect() const;
    // ApplyAnchors, then MoveToViewRect when the rectangle changed; true when the window moved.
    bool FollowAnchors();

    // The window of the modal dialog open over this root view (null: none).
    HWND BlockingWindow() const;
    void SetBlockingWindow(HWND window);

    // The top of the parent chain: the dialog this view belongs to (itself for a dialog).
    WinView* Root();
    // True while a modal dialog is open over this view's root: input must not reach it.
    bool RootBlocked() const;

    // Subclass procedure of views of kind kViewSubclassed; reference data is the view.
    static LRESULT CALLBACK SubclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                              UINT_PTR identifier, DWORD_PTR view);

private:
    LRESULT OnTabKey();
    LRESULT OnEscapeKey();
    void Subclass();

    HWND window_ = nullptr;
    WinViewProperty property_;
    WinView* parent_ = nullptr;      // borrowed
    mutable CRITICAL_SECTION lock_;  // guards blockingWindow_
    HWND blockingWindow_ = nullptr;
};

}  // namespace WinLayer
