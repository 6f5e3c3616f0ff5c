#include "WinLayer/WinView.h"

#include <commctrl.h>

#include "RawLayer/RawProcedure.h"
#include "RawLayer/RawScopedLock.h"
#include "WinLayer/WinCalls.h"
#include "WinLayer/WinDrawing.h"
#include "WinLayer/WinEnvironment.h"
#include "WinLayer/WinGdiObjects.h"
#include "WinLayer/WinRect.h"
#include "WinLayer/WinViewHook.h"

namespace WinLayer {

using RawLayer::RawString;

namespace {

constexpr LONG kMeasureExtent = 32767;
constexpr UINT kMeasureFormat = DT_NOPREFIX;
constexpr UINT kMeasureMultiLineFormat = DT_EDITCONTROL | DT_NOPREFIX | DT_WORDBREAK;

// The subclassing calls of comctl32, taken by ordinal: older comctl32 versions export them
// under no name.
struct SubclassCalls {
    using SetProc = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR);
    using RemoveProc = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR);
    using DefaultProc = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
    SetProc set = nullptr;
    RemoveProc remove = nullptr;
    DefaultProc defaultProc = nullptr;
};

const SubclassCalls& Subclassing() {
    static const SubclassCalls calls = [] {
        SubclassCalls loaded;
        HMODULE module = LoadLibraryW(L"comctl32.dll");  // kept for the life of the process
        loaded.set = RawLayer::ProcedureOf<SubclassCalls::SetProc>(module, MAKEINTRESOURCEA(410));
        loaded.remove = RawLayer::ProcedureOf<SubclassCalls::RemoveProc>(module, MAKEINTRESOURCEA(412));
        loaded.defaultProc = RawLayer::ProcedureOf<SubclassCalls::DefaultProc>(module, MAKEINTRESOURCEA(413));
        return loaded;
    }();
    return calls;
}

int VerticalScrollWidth() {
    static const int width = GetSystemMetrics(SM_CXVSCROLL);
    return width;
}

int HorizontalScrollHeight() {
    static const int height = GetSystemMetrics(SM_CYHSCROLL);
    return height;
}

}  // namespace

// ---- WinViewStyle ----

RawString WinViewStyle::GetText() const { return RawString(link_.property->text, Environment().TextEncoding()); }

void WinViewStyle::ClearText() {
    RawString& text = link_.property->text;
    text = RawString(text.Encoding(), 0);
    ++link_.property->textRevision;
}

void WinViewStyle::SetText(const RawString& text) {
    if (&text != &link_.property->text) link_.property->text = text;
    ++link_.property->textRevision;
}

void WinViewStyle::AppendText(const RawString& text) {
    RawString& own = link_.property->text;
    if (text.Encoding() == own.Encoding()) {
        own.Concat(text);
    } else {
        own.Concat(RawString(text, own.Encoding()));
    }
    ++link_.property->textRevision;
}

bool WinViewStyle::UpdateWindowText() const {
    HWND window = *link_.window;
    return window && SetViewWindowText(window, GetText());
}

// ---- WinViewFitting ----

void WinViewFitting::MeasureText(RECT& rect) const {
    RawString text(link_.property->text, Environment().TextEncoding());
    const LentMemoryDC lent;  // put back as it was lent
    const HDC dc = lent.Get();
    SelectedObject font(dc, link_.property->ResolvedFont().Handle());
    rect = {0, 0, kMeasureExtent, kMeasureExtent};
    UINT format = (alignment & kAlignMultiLine) ? kMeasureMultiLineFormat : kMeasureFormat;
    MeasureTextRange(dc, text, 0, text.Length(), rect, format);
}

void WinViewFitting::AdjustOuterRect(RECT& rect) const {
    const WinViewProperty& property = *link_.property;
    AdjustWindowRectEx(&rect, property.style, FALSE, property.exStyle);
    if (property.style & WS_VSCROLL) rect.right += VerticalScrollWidth();
    if (property.style & WS_HSCROLL) rect.bottom += HorizontalScrollHeight();
}

void WinViewFitting::FitToText() {
    RECT rect;
    MeasureText(rect);
    textWidth = rect.right - rect.left;
    textHeight = rect.bottom - rect.top;
    rect.left -= margins.left;
    rect.top -= margins.top;
    rect.right += margins.right;
    rect.bottom += margins.bottom;
    AdjustOuterRect(rect);
    outerWidth = rect.right - rect.left;
    outerHeight = rect.bottom - rect.top;
}

// ---- WinViewResize ----

void WinViewResize::SetAnchors(const RECT* followed, uint16_t flags) {
    reference = followed;
    lastReference = followed ? *followed : RECT{};
    anchors = flags;
}

bool WinViewResize::ApplyAnchors() {
    if (!reference) return false;
    const RECT& now = *reference;
    const RECT& was = lastReference;
    // Each centre is halved separately, truncating toward zero.
    const LONG centreX = (now.left + now.right) / 2 - (was.left + was.right) / 2;
    const LONG centreY = (now.top + now.bottom) / 2 - (was.top + was.bottom) / 2;
    const struct {
        uint16_t flag;
        LONG* edge;
        LONG delta;
    } moves[] = {
        {kAnchorLeftByLeft, &viewRect.left, now.left - was.left},
        {kAnchorLeftByRight, &viewRect.left, now.right - was.right},
        {kAnchorLeftByCentre, &viewRect.left, centreX},
        {kAnchorRightByRight, &viewRect.right, now.right - was.right},
        {kAnchorRightByLeft, &viewRect.right, now.left - was.left},
        {kAnchorRightByCentre, &viewRect.right, centreX},
        {kAnchorTopByTop, &viewRect.top, now.top - was.top},
        {kAnchorTopByBottom, &viewRect.top, now.bottom - was.bottom},
        {kAnchorTopByCentre, &viewRect.top, centreY},
        {kAnchorBottomByBottom, &viewRect.bottom, now.bottom - was.bottom},
        {kAnchorBottomByTop, &viewRect.bottom, now.top - was.top},
        {kAnchorBottomByCentre, &viewRect.bottom, centreY},
    };
    for (const auto& move : moves) {
        if (anchors & move.flag) *move.edge += move.delta;
    }
    lastReference = now;
    return true;
}

// ---- WinView ----

WinView::WinView()
    : WinViewStyle({&window_, &property_}),
      WinViewFitting({&window_, &property_}),
      WinViewResize({&window_, &property_}),
      WinViewAction({&window_, &property_}) {
    InitializeCriticalSection(&lock_);
}

WinView::~WinView() {
    // The window may outlive the object; its messages must not reach a dead view.
    if (window_ && IsWindow(window_)) {
        if (property_.kind == kViewSubclassed && Subclassing().remove) {
            Subclassing().remove(window_, &WinView::SubclassProcedure, static_cast<UINT_PTR>(property_.identifier));
        }
    }
    DeleteCriticalSection(&lock_);
}

HWND WinView::Create(WinView* parent) {
    parent_ = parent;
    property_.parent = parent ? &parent->property_ : nullptr;
    RawString text = GetText();
    RawString className(property_.className, Environment().TextEncoding());
    const RECT& r = viewRect;
    // For a window without WS_CHILD this argument is a menu handle, which an identifier is not.
    HMENU identifier =
        (property_.style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(property_.identifier)) : nullptr;
    window_ = CreateViewWindow(property_.exStyle, className, text, property_.style, r.left, r.top, r.right - r.left,
                               r.bottom - r.top, parent ? parent->window_ : nullptr, identifier,
                               Environment().Instance(), nullptr);
    if (property_.kind == kViewSubclassed) {
        Subclass();
    } else {
        property_.flags |= kViewNotATabStop;
    }
    HFONT font = ResolvedFont().Handle();
    if (font && window_) SendMessageA(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    OnCreated();
    return window_;
}

void WinView::Subclass() {
    if (!window_ || !Subclassing().set) return;
    Subclassing().set(window_, &WinView::SubclassProcedure, static_cast<UINT_PTR>(property_.identifier),
                      reinterpret_cast<DWORD_PTR>(this));
}

LRESULT WinView::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = HandleMessage(message, wParam, lParam);
    for (WinViewHook& hook : hookList) {
        LRESULT hooked = hook.HookMessage(message, wParam, lParam);
        if (hooked != NotHandled) return hooked;
    }
    return result;
}

LRESULT WinView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            return OnCommand(HIWORD(wParam));
        case FrameworkMessage:
            return OnFrameworkMessage(wParam, lParam);
        case WM_KEYDOWN:
            if (wParam == VK_TAB) return OnTabKey();
            if (wParam == VK_ESCAPE) return OnEscapeKey();
            return NotHandled;
        default:
            return NotHandled;
    }
}

LRESULT WinView::OnTabKey() {
    LPARAM backwards = (GetKeyState(VK_SHIFT) & 0x8000) ? 1 : 0;
    if (parent_ && parent_->window_) {
        SendMessageA(parent_->window_, TabNavigate, static_cast<WPARAM>(property_.identifier), backwards);
    }
    return 0;
}

LRESULT WinView::OnEscapeKey() {
    PostNotification(NotifyCancel);
    return 0;
}

void WinView::PostNotification(int code) const {
    if (window_) PostCommandNotice(window_, property_.identifier, code);
}

void WinView::SendNotification(int code) const {
    if (window_) SendMessageW(window_, WM_COMMAND, CommandNotice(property_.identifier, code), 0);
}

void WinView::MoveToViewRect() const {
    if (!window_) return;
    MoveWindow(window_, viewRect.left, viewRect.top, Width(viewRect), Height(viewRect), FALSE);
    // Not repainted by the move: a control that only moved would show its old picture.
    InvalidateRect(window_, nullptr, FALSE);
}

bool WinView::FollowAnchors() {
    const RECT before = viewRect;
    if (!ApplyAnchors() || EqualRect(&before, &viewRect) || !window_) return false;
    MoveToViewRect();
    return true;
}

WPARAM CommandNotice(int identifier, int code) {
    return MAKEWPARAM(static_cast<WORD>(identifier), static_cast<WORD>(code));
}

bool PostCommandNotice(HWND window, int identifier, int code) {
    return PostMessageW(window, WM_COMMAND, CommandNotice(identifier, code), 0) != FALSE;
}

LRESULT WinView::OnCommand(int code) { return parent_ ? parent_->OnChildNotify(this, code) : -1; }

LRESULT WinView::OnFrameworkMessage(WPARAM, LPARAM) { return -1; }

bool WinView::PreTranslateMessage(UINT, WPARAM, LPARAM, POINT) { return false; }

LRESULT WinView::OnChildNotify(WinView*, int) { return 0; }

bool WinView::AdjustTrackLimits(SIZE&, SIZE&) { return false; }

void WinView::OnSizeStateChanged(int, int) {}

HWND WinView::BlockingWindow() const {
    RawLayer::RawScopedLock hold(lock_);
    return blockingWindow_;
}

void WinView::SetBlockingWindow(HWND window) {
    RawLayer::RawScopedLock hold(lock_);
    blockingWindow_ = window;
}

WinView* WinView::Root() {
    WinView* view = this;
    while (view->parent_) view = view->parent_;
    return view;
}

bool WinView::RootBlocked() const {
    const WinView* view = this;
    while (view->parent_) view = view->parent_;
    return view->BlockingWindow() != nullptr;
}

LRESULT CALLBACK WinView::SubclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR identifier, DWORD_PTR reference) {
    auto* view = reinterpret_cast<WinView*>(reference);
    if (!view) return -1;
    // A blocked dialog's children post commands to themselves (a button's click, a double
    // click, Escape); run now, they would act on the owner while its modal dialog is open.
    if (message == WM_COMMAND && view->RootBlocked()) return 0;
    LRESULT result = view->Dispatch(message, wParam, lParam);
    if (result == NotHandled) result = Subclassing().defaultProc(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        Subclassing().remove(window, &WinView::SubclassProcedure, identifier);
        if (view->window_ == window) view->window_ = nullptr;
    }
    return result;
}

}  // namespace WinLayer
