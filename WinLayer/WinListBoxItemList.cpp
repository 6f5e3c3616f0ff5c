#include "WinLayer/WinListBoxItemList.h"

namespace WinLayer {

void WinListBoxItemUnit::Reset() {
    flags &= kItemKeptByReset;
    rect = {};
}

WinListBoxItemUnit* WinListBoxItemList::AddElement(const void* element) {
    WinListBoxItemUnit* item = (creater ? creater : this)->CreateItem();
    if (!item) return nullptr;
    item->element = element;
    Add(item);
    return item;
}

}  // namespace WinLayer
