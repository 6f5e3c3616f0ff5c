// The items of a list box: one unit per row, owned by the item list, which deletes a unit when
// it is removed or when the list goes. A unit only refers to its element (the owner's value the
// row shows); the element must outlive the unit.
#pragma once

#include <windows.h>

#include <cstdint>

#include "RawLayer/RawList.h"

namespace WinLayer {

// Item flags.
constexpr uint16_t kItemSelected = 0x0002;
constexpr uint16_t kItemHidden = 0x0004;       // skipped by the cursor keys, takes no room
constexpr uint16_t kItemKeptByReset = 0x0060;  // the owner's bits, which Reset leaves alone
constexpr uint16_t kItemMeasured = 0x0100;     // internal: the size in rect is a measured one

class WinListBoxItemUnit {
public:
    WinListBoxItemUnit() = default;
    virtual ~WinListBoxItemUnit() = default;
    WinListBoxItemUnit(const WinListBoxItemUnit&) = delete;
    WinListBoxItemUnit& operator=(const WinListBoxItemUnit&) = delete;

    // Clears every flag but the owner's bits 5-6, and the rectangle; the element stays.
    virtual void Reset();

    bool IsSelected() const { return (flags & kItemSelected) != 0; }
    bool IsHidden() const { return (flags & kItemHidden) != 0; }

    uint16_t flags = 0;
    const void* element = nullptr;  // borrowed; given by the owner when it adds the item
    RECT rect = {};                 // in content coordinates, set by the list box's layout
};

// Disposes of a unit through its own virtual destructor, so derived units are freed whole.
class WinListBoxItemListAllocator : public RawLayer::RawListAllocator<WinListBoxItemUnit> {
public:
    using RawLayer::RawListAllocator<WinListBoxItemUnit>::Release;
    void Release(WinListBoxItemUnit* item) override { delete item; }
};

// Makes the unit for every added element; an owner that needs a unit of its own kind points
// the item list's creater at a subclass.
class WinListBoxItemCreater {
public:
    virtual ~WinListBoxItemCreater() = default;
    virtual WinListBoxItemUnit* CreateItem() { return new WinListBoxItemUnit; }
};

class WinListBoxItemList : public RawLayer::RawListR<WinListBoxItemListAllocator, WinListBoxItemUnit>,
                           public WinListBoxItemCreater {
public:
    WinListBoxItemList() = default;
    // One list per list box: a copy would share the body but not the creater.
    WinListBoxItemList(const WinListBoxItemList&) = delete;
    WinListBoxItemList& operator=(const WinListBoxItemList&) = delete;

    // A new unit from the creater, referring to element, appended at the end.
    WinListBoxItemUnit* AddElement(const void* element);

    WinListBoxItemCreater* creater = this;  // borrowed; must outlive the list when not the list itself
};

}  // namespace WinLayer
