// WinDialog: the framework's top-level window, with its children, its sizing and its message
// loop. A dialog borrows its children (they must outlive its window) and is entered in the
// process-wide dialog list from Show until its window is destroyed or the object dies, so the
// window procedure never reaches a dialog object that is gone.
#pragma once

#include <windows.h>

#include <cstdint>

#include "WinLayer/WinView.h"
#include "WinLayer/WinViewList.h"

namespace WinLayer {

// Size states besides the WM_SIZE types (0 restored, 1 minimised, 2 maximised).
constexpr int kSizeStateNone = 5;        // no WM_SIZE yet
constexpr int kSizeStateFirstSized = 6;  // reported once, as the previous state, after the first WM_SIZE
constexpr int kSizeStateDestroyed = 7;   // reported when the window is destroyed

// Dialog flags.
constexpr uint16_t kDialogPreTranslate = 0x0001;  // some child wants queued messages first
constexpr uint16_t kDialogEnded = 0x0002;         // set and tested by the application

// OnBlockedMessage's answer for a message that the dialog handles as if it were not blocked.
constexpr LRESULT kPassBlock = INT_MAX - 1;

constexpr int32_t kFirstDialogIdentifier = 2000;
constexpr int32_t kFirstChildIdentifier = 2500;

// The sizing record of a dialog.
struct WinDialogResize {
    RECT clientRect = {};   // {0, 0, client width, client height}; children anchor to it
    RECT contentRect = {};  // what the children need; sizing never shrinks the client below it
    int sizeState = kSizeStateNone;
    RECT normalRect = {};  // window rectangle while neither minimised nor maximised, screen coordinates
};

class WinDialog : public WinView, public WinDialogResize {
public:
    WinDialog();
    ~WinDialog() override;

    // WM_CREATE, before the dispatch: the place to create the children.
    virtual void OnCreateWindow() {}
    // WM_CLOSE: false keeps the dialog open.
    virtual bool CanClose() { return true; }
    // While blocked, every message but painting and destruction comes here first: NotHandled
    // leaves it to the blocking rules, kPassBlock handles it as unblocked, anything else is the
    // answer.
    virtual LRESULT OnBlockedMessage(UINT, WPARAM, LPARAM) { return NotHandled; }
    // Escape in any child (NotifyCancel) closes the dialog through WM_CLOSE. Returns 0.
    LRESULT OnChildNotify(WinView* child, int code) override;

    // Registers the class when no shown dialog has registered it, creates the window (the view
    // rectangle is the window rectangle, in screen coordinates) and shows it. False when the
    // window could not be made; the dialog is then not in the dialog list.
    bool Show();
    // Runs the thread's messages until WM_QUIT and returns its exit code; at once (0) without
    // a window, -1 when GetMessage fails.
    int RunMessageLoop();
    // Shows the dialog over the root of owner, blocks that root until the dialog's window is
    // gone and returns result. 0 at once when the root is already blocked or the window could
    // not be made. A WM_QUIT that is not the dialog's own ends its loop too; the dialog is then
    // destroyed, and its own WM_QUIT passed on to the loop outside.
    int32_t RunModal(WinView* owner);
    // Blocks the dialog's input as a modal dialog over it would, for work that runs elsewhere;
    // the blocker is a hidden window of its own, so nothing is raised or activated instead.
    // False when the dialog is blocked already or the blocker could not be made.
    bool BlockSelf();
    // Ends BlockSelf's blocking; nothing when it is not in force.
    void UnblockSelf();
    // Turns the view rectangle, taken as the wanted client area, into the window rectangle.
    void ClientToWindowRect();

    WinViewList& Children() { return children_; }
    const WinViewList& Children() const { return children_; }

    // The process-wide list of shown dialogs; it does not own them.
    static WinViewList& DialogList();
    // The one window procedure of every dialog class.
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    uint16_t flags = 0;
    int largeIconId = 0;  // resource identifiers in the environment's instance; 0 = none
    int smallIconId = 0;
    int32_t result = 0;  // returned by RunModal; set by the application before it closes the dialog
    int showCommand = SW_SHOWNORMAL;

private:
    static WinDialog* Attach(HWND window, LPARAM createStruct);
    LRESULT HandleBlocked(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleDialog(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleFrameworkMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleChildMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void TearDown();
    LRESULT OnActivate(WPARAM wParam, LPARAM lParam);
    LRESULT OnMove(WPARAM wParam, LPARAM lParam);
    LRESULT OnSize(WPARAM wParam, LPARAM lParam);
    void ApplySize(int type, int previous, int width, int height);
    LRESULT OnPaint();
    LRESULT OnGetMinMaxInfo(WPARAM wParam, LPARAM lParam);
    void ApplySizeLimits(WPARAM wParam, MINMAXINFO& limits);
    LRESULT OnDialogCommand(WPARAM wParam);
    LRESULT OnOwnerDraw(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnControlColour(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnParentNotify(WPARAM wParam);
    LRESULT TabNavigateFrom(int32_t sender, bool backwards);
    LRESULT TabIntoChildren(bool backwards);
    void BringToFrontNow();
    bool RegisterClassOnce() const;
    void UpdatePreTranslateFlag();
    bool PreTranslated(const MSG& message);
    int RunLoop();

    WinViewList children_{kFirstChildIdentifier};
    bool creating_ = false;       // inside Show's window creation
    HWND focusChild_ = nullptr;   // the control that held the focus when the dialog was deactivated
    HWND selfBlocker_ = nullptr;  // BlockSelf's hidden window, destroyed by UnblockSelf
};

}  // namespace WinLayer
