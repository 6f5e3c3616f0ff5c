#include "WinLayer/WinDialog.h"

#include <algorithm>

#include "RawLayer/RawPhaseClock.h"
#include "WinLayer/WinCalls.h"
#include "WinLayer/WinEnvironment.h"
#include "WinLayer/WinGdiObjects.h"

namespace WinLayer {

using RawLayer::RawListNode;
using RawLayer::RawString;

namespace {

// WM_MOUSEACTIVATE's lParam for a left click in the client area.
constexpr LPARAM kClientLeftClick = MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN);
// IDC_ARROW, whose macro has the narrow type under this build's character set.
constexpr WORD kArrowCursor = 32512;
constexpr UINT kAttentionFlashes = 5;
constexpr DWORD kAttentionFlashMilliseconds = 70;
// The system may refuse the foreground or hand it on at once; after a few tries the dialog
// stays where it is.
constexpr int kForegroundTries = 3;

LRESULT DefaultProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return IsWindowUnicode(window) ? DefWindowProcW(window, message, wParam, lParam)
                                   : DefWindowProcA(window, message, wParam, lParam);
}

// What a blocked dialog still handles as an unblocked one: paint requests that are not
// validated come back at once and for ever, and a window on its way out must be torn down.
bool HandledWhenBlocked(UINT message) {
    switch (message) {
        case WM_PAINT:
        case WM_NCPAINT:
        case WM_DESTROY:
        case WM_NCDESTROY:
            return true;
        default:
            return false;
    }
}

bool IsControlColour(UINT message) { return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC; }

HICON LoadDialogIcon(int identifier, int widthMetric, int heightMetric) {
    if (!identifier) return nullptr;
    // Shared icons belong to the system's cache: the class keeps them without an owner.
    return static_cast<HICON>(LoadImageW(Environment().Instance(), MAKEINTRESOURCEW(identifier), IMAGE_ICON,
                                         GetSystemMetrics(widthMetric), GetSystemMetrics(heightMetric), LR_SHARED));
}

// Brings window to the front with a beep and a flashing caption: the user tried to reach a
// window that a modal dialog blocks.
void RaiseWithAttention(HWND window) {
    // A window on its way out (hidden first by DestroyWindow) is not raised again.
    if (!IsWindowVisible(window)) return;
    SendMessageA(window, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(window), kClientLeftClick);
    SetForegroundWindow(window);
    MessageBeep(0);
    FLASHWINFO flash = {};
    flash.cbSize = sizeof(flash);
    flash.hwnd = window;
    flash.dwFlags = FLASHW_CAPTION;
    flash.uCount = kAttentionFlashes;
    flash.dwTimeout = kAttentionFlashMilliseconds;
    FlashWindowEx(&flash);
}

// One try to take the foreground from the window that has it. Attaching input to the
// foreground thread lets the system accept the change; there is nothing to attach to when no
// window is in front or it belongs to this thread.
void TakeForeground(HWND window) {
    HWND front = GetForegroundWindow();
    const DWORD frontThread = front ? GetWindowThreadProcessId(front, nullptr) : 0;
    const DWORD ownThread = GetCurrentThreadId();
    const bool attached = frontThread && frontThread != ownThread && AttachThreadInput(ownThread, frontThread, TRUE);
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(window);
    if (attached) AttachThreadInput(ownThread, frontThread, FALSE);
}

RawListNode* NodeOf(const WinViewList& list, int32_t identifier) {
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (it->Property().identifier == identifier) return it.Node();
    }
    return nullptr;
}

bool IsTabStop(const WinView& view) {
    return view.Window() && IsWindowEnabled(view.Window()) && !(view.Property().flags & kViewNotATabStop);
}

// The next (or previous) tab stop after the sender's node, wrapping round the list; null when
// the walk comes back to the sender.
HWND NextTabStop(RawListNode* sender, bool backwards) {
    for (RawListNode* node = sender;;) {
        node = backwards ? node->previous : node->next;
        if (node == sender) return nullptr;
        if (RawLayer::RawListBody::IsEnd(node)) continue;
        const WinView& child = *WinViewList::Element(node);
        if (IsTabStop(child)) return child.Window();
    }
}

// Hands the focus back to owner after its modal dialog closed.
void ReturnFromModal(WinView& root, WinView& owner) {
    root.SetBlockingWindow(nullptr);
    if (HWND rootWindow = root.Window()) {
        SendMessageA(rootWindow, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(rootWindow), kClientLeftClick);
    }
    if (owner.Window()) SetFocus(owner.Window());
}

}  // namespace

// ---- lists and lifetime ----

WinViewList& WinDialog::DialogList() {
    static WinViewList list(kFirstDialogIdentifier);
    return list;
}

WinDialog::WinDialog() = default;

// The window may outlive the object: once out of the list, its messages go to the default
// procedure instead of a dead dialog.
WinDialog::~WinDialog() {
    DialogList().Remove(this);
    UnblockSelf();
}

LRESULT WinDialog::OnChildNotify(WinView*, int code) {
    if (code == NotifyCancel && Window()) PostMessageW(Window(), WM_CLOSE, 0, 0);
    return 0;
}

bool WinDialog::BlockSelf() {
    if (BlockingWindow()) return false;
    // A message-only static window: it ignores what a blocked dialog relays to its blocker.
    static const RawString kStatic("STATIC");
    selfBlocker_ = CreateViewWindow(0, kStatic, RawString(), 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    Environment().Instance(), nullptr);
    if (!selfBlocker_) return false;
    SetBlockingWindow(selfBlocker_);
    return true;
}

void WinDialog::UnblockSelf() {
    if (!selfBlocker_) return;
    if (BlockingWindow() == selfBlocker_) SetBlockingWindow(nullptr);
    DestroyWindow(selfBlocker_);
    selfBlocker_ = nullptr;
}

void WinDialog::ClientToWindowRect() { AdjustWindowRectEx(&viewRect, Property().style, FALSE, Property().exStyle); }

// ---- showing and running ----

bool WinDialog::RegisterClassOnce() const {
    const RawString className(Property().className, Environment().TextEncoding());
    auto sameClass = [&className](const WinView& dialog) {
        return RawString(dialog.Property().className, Environment().TextEncoding()).EqualsIgnoreCase(className);
    };
    if (DialogList().FindIf(sameClass)) return true;
    HICON largeIcon = LoadDialogIcon(largeIconId, SM_CXICON, SM_CYICON);
    HICON smallIcon = LoadDialogIcon(smallIconId, SM_CXSMICON, SM_CYSMICON);
    HCURSOR arrow = LoadCursorW(nullptr, MAKEINTRESOURCEW(kArrowCursor));
    if (RegisterViewClass(Environment().Instance(), largeIcon, arrow, RawString(), className, smallIcon)) return true;
    // Registered before by a dialog that is gone: the class lives as long as the process.
    return GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool WinDialog::Show() {
    if (Window()) {
        ShowWindow(Window(), showCommand);
        return true;
    }
    RegisterClassOnce();
    if (!DialogList().Contains(this)) DialogList().Add(this);
    sizeState = kSizeStateNone;
    const RECT& r = viewRect;
    creating_ = true;
    HWND window = CreateViewWindow(Property().exStyle, RawString(Property().className, Environment().TextEncoding()),
                                   GetText(), Property().style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                   nullptr, nullptr, Environment().Instance(), static_cast<WinView*>(this));
    creating_ = false;
    flags &= static_cast<uint16_t>(~kDialogEnded);
    if (!window) {
        // No window will ever post the WM_QUIT that a loop waits for.
        DialogList().Remove(this);
        SetWindow(nullptr);
        return false;
    }
    KAIRODEX_PHASE("window and controls created");
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    KAIRODEX_PHASE("shown and painted (UpdateWindow)");
    UpdatePreTranslateFlag();
    OnCreated();
    KAIRODEX_PHASE("initial update");
    return true;
}

void WinDialog::UpdatePreTranslateFlag() {
    const bool wanted =
        children_.FindIf([](const WinView& child) { return (child.Property().flags & kViewPreTranslate) != 0; });
    flags = wanted ? static_cast<uint16_t>(flags | kDialogPreTranslate)
                   : static_cast<uint16_t>(flags & ~kDialogPreTranslate);
}

bool WinDialog::PreTranslated(const MSG& message) {
    if (!(flags & kDialogPreTranslate)) return false;
    WinView* child = children_.FindByWindow(message.hwnd);
    return child && (child->Property().flags & kViewPreTranslate) &&
           child->PreTranslateMessage(message.message, message.wParam, message.lParam, message.pt);
}

int WinDialog::RunMessageLoop() {
    const int code = RunLoop();
    SetWindow(nullptr);
    return code;
}

int WinDialog::RunLoop() {
    if (!Window()) return 0;
    MSG message = {};
    BOOL got;
    // The wide calls: the narrow ones would pass every typed character through the ANSI code
    // page, and one outside it would reach the windows as "?".
    while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        if (PreTranslated(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
        KAIRODEX_PHASE_WHEN_PAINTED(Window(), "first complete paint");
    }
    return got < 0 ? -1 : static_cast<int>(message.wParam);
}

int32_t WinDialog::RunModal(WinView* owner) {
    WinView* root = owner ? owner->Root() : nullptr;
    // A second modal dialog over the same root would end the first one's loop with its own.
    if (root && root->BlockingWindow()) return 0;
    result = 0;
    if (!Show()) return 0;
    if (root) root->SetBlockingWindow(Window());
    RunLoop();
    // The loop took a WM_QUIT that was not this dialog's (its owner was destroyed, or the
    // program is quitting): the dialog goes too, and its own WM_QUIT ends the loop outside.
    if (Window()) DestroyWindow(Window());
    SetWindow(nullptr);
    if (root) ReturnFromModal(*root, *owner);
    return result;
}

// ---- the window procedure ----

LRESULT CALLBACK WinDialog::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* dialog = static_cast<WinDialog*>(DialogList().FindByWindow(window));
    if (!dialog && (message == WM_NCCREATE || message == WM_CREATE)) dialog = Attach(window, lParam);
    if (!dialog) return DefaultProcedure(window, message, wParam, lParam);
    bool blocked = dialog->BlockingWindow() && !HandledWhenBlocked(message);
    if (blocked) {
        const LRESULT own = dialog->OnBlockedMessage(message, wParam, lParam);
        if (own == kPassBlock) {
            blocked = false;
        } else if (own != NotHandled) {
            return own;
        }
    }
    const LRESULT result =
        blocked ? dialog->HandleBlocked(message, wParam, lParam) : dialog->HandleDialog(message, wParam, lParam);
    return result == NotHandled ? DefaultProcedure(window, message, wParam, lParam) : result;
}

WinDialog* WinDialog::Attach(HWND window, LPARAM createStruct) {
    auto* parameter = static_cast<WinView*>(reinterpret_cast<const CREATESTRUCTW*>(createStruct)->lpCreateParams);
    auto* dialog = dynamic_cast<WinDialog*>(parameter);
    if (!dialog || !DialogList().Contains(dialog)) return nullptr;
    dialog->SetWindow(window);
    // Never subclassed: this procedure already hands every message to the dialog.
    if (dialog->Property().kind != kViewSubclassed) dialog->Property().flags |= kViewNotATabStop;
    return dialog;
}

// A modal dialog is open over this one: input is eaten and the user is sent to the blocker.
LRESULT WinDialog::HandleBlocked(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND blocker = BlockingWindow();
    switch (message) {
        case WM_MOUSEACTIVATE:
            PostMessageW(blocker, ActivateBlocker, 0, 0);
            return MA_NOACTIVATEANDEAT;
        case WM_ACTIVATE:
            // Activated all the same (switched to, or focused by the desktop): the blocker takes
            // the activation and the keyboard back, as from a disabled owner.
            if (LOWORD(wParam) != WA_INACTIVE) PostMessageW(blocker, BringToFront, 0, 0);
            return 0;
        case WM_WINDOWPOSCHANGED:
            if (!(reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_NOZORDER)) RaiseWithAttention(blocker);
            return HandleMessage(message, wParam, lParam);
        case WM_SETCURSOR:
        case WM_NCLBUTTONDOWN:
        case WM_NCLBUTTONUP:
            return HandleMessage(message, wParam, lParam);
        case ActivateBlocker:
            PostMessageW(blocker, ActivateBlocker, 0, 0);
            return 0;
        case BringToFront:
            // Only relayed: raising this dialog would move it over its blocker, whose raise
            // would move it again, without end.
            PostMessageW(blocker, BringToFront, wParam, lParam);
            return 0;
        default:
            return -1;
    }
}

LRESULT WinDialog::HandleDialog(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN && wParam == VK_TAB) return TabIntoChildren((GetKeyState(VK_SHIFT) & 0x8000) != 0);
    switch (message) {
        case WM_CREATE:
            OnCreateWindow();
            return Dispatch(message, wParam, lParam);
        case WM_DESTROY: {
            TearDown();
            const LRESULT handled = Dispatch(message, wParam, lParam);
            SetWindow(nullptr);
            return handled;
        }
        case WM_ENDSESSION:
            // wParam FALSE: another program vetoed the shutdown and the session goes on.
            if (wParam) TearDown();
            return Dispatch(message, wParam, lParam);
        case WM_ACTIVATE:
            return OnActivate(wParam, lParam);
        case WM_MOVE:
            return OnMove(wParam, lParam);
        case WM_SIZE:
            return OnSize(wParam, lParam);
        case WM_PAINT:
            return OnPaint();
        case WM_CLOSE:
            return CanClose() ? Dispatch(message, wParam, lParam) : 0;
        case WM_GETMINMAXINFO:
            return OnGetMinMaxInfo(wParam, lParam);
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT and the controls cover the background
        default:
            return HandleFrameworkMessage(message, wParam, lParam);
    }
}

LRESULT WinDialog::HandleFrameworkMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case BringToFront:
            BringToFrontNow();
            return 0;
        case ActivateBlocker: {
            // The innermost blocker: the user clicked a window that it blocks.
            const LRESULT handled = Dispatch(message, wParam, lParam);
            if (handled == NotHandled) RaiseWithAttention(Window());
            return 0;
        }
        case TabNavigate:
            return TabNavigateFrom(static_cast<int32_t>(wParam), lParam != 0);
        default:
            return HandleChildMessage(message, wParam, lParam);
    }
}

LRESULT WinDialog::HandleChildMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            return OnDialogCommand(wParam);
        case WM_DRAWITEM:
        case WM_MEASUREITEM:
            return OnOwnerDraw(message, wParam, lParam);
        case WM_PARENTNOTIFY:
            return OnParentNotify(wParam);
        default:
            if (IsControlColour(message)) return OnControlColour(message, wParam, lParam);
            return Dispatch(message, wParam, lParam);
    }
}

// ---- message handlers ----

void WinDialog::TearDown() {
    OnSizeStateChanged(sizeState, kSizeStateDestroyed);
    sizeState = kSizeStateDestroyed;
    {
        WinViewList::Guard guard(children_);
        for (WinView& child : children_) child.OnDestroyed();
        children_.Clear();
    }
    OnDestroyed();
    UnblockSelf();
    DialogList().Remove(this);
    // A window that failed during its creation had no loop waiting for it.
    if (!creating_) PostQuitMessage(0);
}

// The control that had the keyboard focus gets it back when the dialog is activated again (the
// user switched to another program and back, or a blocked window sent the user here): the
// system's default would give it to the dialog window, and the keyboard would reach no control.
LRESULT WinDialog::OnActivate(WPARAM wParam, LPARAM lParam) {
    HWND window = Window();
    const LRESULT handled = Dispatch(WM_ACTIVATE, wParam, lParam);
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(window, focus)) focusChild_ = focus;
        return handled;
    }
    const bool minimised = HIWORD(wParam) != 0;
    if (handled != NotHandled || minimised || !focusChild_ || !IsChild(window, focusChild_) ||
        !IsWindowVisible(focusChild_) || !IsWindowEnabled(focusChild_)) {
        return handled;
    }
    SetFocus(focusChild_);
    return 0;
}

LRESULT WinDialog::OnMove(WPARAM wParam, LPARAM lParam) {
    HWND window = Window();
    if (!IsIconic(window) && !IsZoomed(window)) {
        GetWindowRect(window, &viewRect);
        normalRect = viewRect;
    }
    return Dispatch(WM_MOVE, wParam, lParam);
}

LRESULT WinDialog::OnSize(WPARAM wParam, LPARAM lParam) {
    const int type = static_cast<int>(wParam);
    GetWindowRect(Window(), &viewRect);
    const int previous = sizeState;
    if (type != SIZE_MINIMIZED && type != SIZE_MAXIMIZED) normalRect = viewRect;
    if (HandleMessage(WM_SIZE, wParam, lParam) == NotHandled) ApplySize(type, previous, LOWORD(lParam), HIWORD(lParam));
    return Dispatch(WM_SIZE, wParam, lParam);
}

void WinDialog::ApplySize(int type, int previous, int width, int height) {
    if (type != previous) {
        OnSizeStateChanged(previous, type);
        sizeState = type;
    }
    if (type == SIZE_RESTORED || type == SIZE_MAXIMIZED) {
        clientRect = {0, 0, width, height};
        LayoutChildren();
        InvalidateRect(Window(), nullptr, FALSE);
    }
    if (previous == kSizeStateNone) OnSizeStateChanged(kSizeStateFirstSized, type);
}

LRESULT WinDialog::OnPaint() {
    if (Dispatch(WM_PAINT, 0, 0) != NotHandled) return 0;
    PaintDC dc(Window());
    RECT client = {};
    GetClientRect(Window(), &client);
    if (dc.Get()) FillRect(dc.Get(), &client, GetSysColorBrush(COLOR_BTNFACE));
    return 0;
}

LRESULT WinDialog::OnGetMinMaxInfo(WPARAM wParam, LPARAM lParam) {
    auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
    if (limits && sizeState != SIZE_MINIMIZED) ApplySizeLimits(wParam, *limits);
    return Dispatch(WM_GETMINMAXINFO, wParam, lParam);
}

// The client area may shrink to the content rectangle and the window grow to the work area.
void WinDialog::ApplySizeLimits(WPARAM wParam, MINMAXINFO& limits) {
    HWND window = Window();
    if (IsIconic(window)) return;
    if (!IsZoomed(window)) normalRect = viewRect;
    GetWindowRect(window, &viewRect);
    GetClientRect(window, &clientRect);
    if (HandleMessage(WM_GETMINMAXINFO, wParam, reinterpret_cast<LPARAM>(&limits)) != NotHandled) return;
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const LONG width = viewRect.right - viewRect.left;
    const LONG height = viewRect.bottom - viewRect.top;
    SIZE growth = {work.right - work.left - width, work.bottom - work.top - height};
    SIZE shrink = {std::min(clientRect.right - (contentRect.right - contentRect.left), width),
                   std::min(clientRect.bottom - (contentRect.bottom - contentRect.top), height)};
    AdjustTrackLimits(shrink, growth);
    limits.ptMinTrackSize = {width - shrink.cx, height - shrink.cy};
    limits.ptMaxTrackSize = {width + growth.cx, height + growth.cy};
}

LRESULT WinDialog::OnDialogCommand(WPARAM wParam) {
    WinView* child = children_.FindByIdentifier(LOWORD(wParam));
    (child ? child : this)->OnCommand(HIWORD(wParam));
    return 0;
}

// Owner drawing goes to the child named by wParam without its hooks; wParam 0 is a menu.
LRESULT WinDialog::OnOwnerDraw(UINT message, WPARAM wParam, LPARAM lParam) {
    WinView* target = wParam ? children_.FindByIdentifier(static_cast<int32_t>(wParam)) : this;
    if (target) target->HandleMessage(message, wParam, lParam);
    return TRUE;
}

// The child's answer is a brush handle: returned whole.
LRESULT WinDialog::OnControlColour(UINT message, WPARAM wParam, LPARAM lParam) {
    if (WinView* child = children_.FindByWindow(reinterpret_cast<HWND>(lParam))) {
        const LRESULT brush = child->HandleMessage(message, wParam, lParam);
        if (brush != NotHandled) return brush;
    }
    return Dispatch(message, wParam, lParam);
}

LRESULT WinDialog::OnParentNotify(WPARAM wParam) {
    if (LOWORD(wParam) != WM_DESTROY) return 0;
    if (WinView* child = children_.FindByIdentifier(HIWORD(wParam))) {
        child->OnDestroyed();
        children_.Remove(child);
    }
    return 0;
}

LRESULT WinDialog::TabNavigateFrom(int32_t sender, bool backwards) {
    HWND target = nullptr;
    {
        WinViewList::Guard guard(children_);
        RawListNode* node = NodeOf(children_, sender);
        if (node) target = NextTabStop(node, backwards);
    }
    if (target) SetFocus(target);
    return 0;
}

// The dialog itself holds the focus until a control takes it (so when it is first shown): Tab
// then gives the focus to the first tab stop, Shift+Tab to the last, so the keyboard alone can
// reach the controls.
LRESULT WinDialog::TabIntoChildren(bool backwards) {
    HWND target = nullptr;
    {
        WinViewList::Guard guard(children_);
        target = NextTabStop(children_.EndNode(), backwards);
    }
    if (target) SetFocus(target);
    return 0;
}

// ---- bringing to the front ----

void WinDialog::BringToFrontNow() {
    HWND window = Window();
    if (!window) return;
    if (Property().exStyle & WS_EX_NOACTIVATE) {
        ShowWindow(window, SW_SHOWNOACTIVATE);
        return;
    }
    // A minimised dialog is restored; a maximised one stays maximised.
    ShowWindow(window, IsIconic(window) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(window);
    for (int tries = 0; tries < kForegroundTries && GetForegroundWindow() != window; ++tries) TakeForeground(window);
}

}  // namespace WinLayer
