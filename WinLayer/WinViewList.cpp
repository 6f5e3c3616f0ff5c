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

void WinViewList::Clear() {
    Guard guard(*this);
    RemoveAll();
}

bool WinViewList::Contains(const WinView* view) const {
    return FindIf([view](const WinView& entry) { return &entry == view; }) != nullptr;
}

WinView* WinViewList::FindByIdentifier(int32_t identifier) const {
    return FindIf([identifier](const WinView& view) { return view.Property().identifier == identifier; });
}

WinView* WinViewList::FindByWindow(HWND window) const {
    if (!window) return nullptr;
    return FindIf([window](const WinView& view) { return view.Window() == window; });
}

}  // namespace WinLayer
