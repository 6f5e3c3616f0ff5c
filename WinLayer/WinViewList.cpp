#include "WinLayer/WinViewList.h"

#include "WinLayer/WinView.h"

namespace WinLayer {

WinViewList::WinViewList(int32_t firstIdentifier) : nextIdentifier_(firstIdentifier) {
    InitializeCriticalSection(&lock_);
}

WinViewList::~WinViewList() { DeleteCriticalSection(&lock_); }

RawLayer::RawListNode* WinViewList::Add(WinView* view) {
    Guard guard(*this);
    view->Property().identifier = nextIdentifier_++;
    return AppendElement(view);
}

bool WinViewList::Remove(WinView* view) {
    Guard guard(*this);
    for (auto it = begin(); it != end(); ++it) {
        if (&*it == view) {
            Remove(it.Node());
            return true;
        }
    }
    return false;
}

WinView* WinViewList::FindByIdentifier(int32_t identifier) const {
    Guard guard(*this);
    for (WinView& view : *this) {
        if (view.Property().identifier == identifier) return &view;
    }
    return nullptr;
}

WinView* WinViewList::FindByWindow(HWND window) const {
    if (!window) return nullptr;
    Guard guard(*this);
    for (WinView& view : *this) {
        if (view.Window() == window) return &view;
    }
    return nullptr;
}

}  // namespace WinLayer
