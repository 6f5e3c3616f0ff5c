#include "WinLayer/WinViewHook.h"

#include "WinLayer/WinView.h"

namespace WinLayer {

WinViewHook::WinViewHook(WinView& view) : hooked_(&view) { view.hookList.Add(this); }

WinViewHook::~WinViewHook() {
    if (!hooked_) return;
    WinViewHookList& hooks = hooked_->hookList;
    for (auto it = hooks.begin(); it != hooks.end(); ++it) {
        if (&*it == this) {
            hooks.Remove(it.Node());
            return;
        }
    }
}

}  // namespace WinLayer
