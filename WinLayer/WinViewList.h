// The view lists. Neither owns its elements: views and hooks must outlive their entries, and
// removing an entry leaves the view or hook alive.
#pragma once

#include <windows.h>

#include <cstdint>

#include "RawLayer/RawList.h"
#include "RawLayer/RawScopedLock.h"

namespace WinLayer {

class WinView;
class WinViewHook;

class WinViewListAllocator : public RawLayer::RawListAllocator<WinView> {
public:
    using RawLayer::RawListAllocator<WinView>::Release;
    void Release(WinView*) override {}
};

class WinViewHookListAllocator : public RawLayer::RawListAllocator<WinViewHook> {
public:
    using RawLayer::RawListAllocator<WinViewHook>::Release;
    void Release(WinViewHook*) override {}
};

// Hooks of one view, in the order they see messages.
class WinViewHookList : public RawLayer::RawListR<WinViewHookListAllocator, WinViewHook> {};

// Views numbered in the order they are added. Every traversal and change takes the list's
// lock; callers that walk the list themselves hold a Guard.
class WinViewList : public RawLayer::RawListR<WinViewListAllocator, WinView> {
public:
    class Guard : public RawLayer::RawScopedLock {
    public:
        explicit Guard(const WinViewList& list) : RawScopedLock(list.lock_) {}
    };

    explicit WinViewList(int32_t firstIdentifier);
    ~WinViewList() override;
    WinViewList(const WinViewList&) = delete;
    WinViewList& operator=(const WinViewList&) = delete;

    // Gives the view the next identifier, then appends it.
    RawLayer::RawListNode* Add(WinView* view);
    // Removes the view's entry; false when it is not in the list.
    bool Remove(WinView* view);
    using RawLayer::RawListBody::Remove;
    // Removes every entry; the views stay alive.
    void Clear();
    bool Contains(const WinView* view) const;
    WinView* FindByIdentifier(int32_t identifier) const;
    WinView* FindByWindow(HWND window) const;
    // The first view for which test answers true, or nullptr. test runs under the lock: it
    // must not call into views' virtual operations nor change the list.
    template <class Test>
    WinView* FindIf(Test test) const {
        Guard guard(*this);
        for (WinView& view : *this) {
            if (test(view)) return &view;
        }
        return nullptr;
    }

private:
    mutable CRITICAL_SECTION lock_;
    int32_t nextIdentifier_;
};

}  // namespace WinLayer
