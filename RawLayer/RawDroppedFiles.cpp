#include "RawLayer/RawDroppedFiles.h"

#include <algorithm>
#include <vector>

namespace RawLayer {

namespace {

// DragQueryFile answers the number of names for this index instead of a name's length.
constexpr UINT kDropCountIndex = 0xFFFFFFFF;

// Asking with no buffer gives the length without the terminating zero; the name is then read
// into a buffer of exactly that size.
RawString NarrowName(HDROP drop, UINT index, StringEncoding encoding) {
    const UINT length = DragQueryFileA(drop, index, nullptr, 0);
    if (length == 0) return RawString(encoding, 0);
    std::vector<char> buffer(length + 1);
    const UINT copied = DragQueryFileA(drop, index, buffer.data(), length + 1);
    return RawString::FromUnits(buffer.data(), static_cast<int32_t>(std::min(copied, length)), encoding);
}

RawString WideName(HDROP drop, UINT index) {
    const UINT length = DragQueryFileW(drop, index, nullptr, 0);
    if (length == 0) return RawString(Wide, 0);
    std::vector<wchar_t> buffer(length + 1);
    const UINT copied = DragQueryFileW(drop, index, buffer.data(), length + 1);
    return RawString::FromWide(buffer.data(), static_cast<int32_t>(std::min(copied, length)));
}

}  // namespace

void RawDroppedFiles::Finish() {
    if (drop_) DragFinish(drop_);
    drop_ = nullptr;
}

uint32_t DroppedFileCount(HDROP drop) { return drop ? DragQueryFileW(drop, kDropCountIndex, nullptr, 0) : 0; }

RawString DroppedFileName(HDROP drop, uint32_t index, StringEncoding encoding) {
    if (!drop || index == kDropCountIndex) return RawString(encoding, 0);
    if (encoding == Ansi || encoding == ShiftJis) return NarrowName(drop, index, encoding);
    RawString name = WideName(drop, index);
    return encoding == Wide ? name : RawString(name, encoding);
}

RawStringList DroppedFileNames(HDROP drop, StringEncoding encoding) {
    RawStringList names;
    const uint32_t count = DroppedFileCount(drop);
    for (uint32_t index = 0; index < count; ++index) {
        RawString name = DroppedFileName(drop, index, encoding);
        if (!name.IsEmpty()) names.Add(name);
    }
    return names;
}

}  // namespace RawLayer
