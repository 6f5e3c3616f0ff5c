#include "RawLayer/RawClipboard.h"

#include <windows.h>

#include <algorithm>

namespace RawLayer {

namespace {

// A movable global memory block, freed unless handed over to the clipboard.
class GlobalBlock {
public:
    explicit GlobalBlock(SIZE_T bytes) : handle_(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes)) {}
    ~GlobalBlock() {
        if (handle_) GlobalFree(handle_);
    }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    HGLOBAL Get() const { return handle_; }
    // The clipboard owns the block from now on.
    void HandOver() { handle_ = nullptr; }

private:
    HGLOBAL handle_;
};

// A global block locked for one scope: GlobalLock / GlobalUnlock.
class LockedBlock {
public:
    explicit LockedBlock(HGLOBAL block) : block_(block), data_(block ? GlobalLock(block) : nullptr) {}
    ~LockedBlock() {
        if (data_) GlobalUnlock(block_);
    }
    LockedBlock(const LockedBlock&) = delete;
    LockedBlock& operator=(const LockedBlock&) = delete;
    void* Data() const { return data_; }

private:
    HGLOBAL block_;
    void* data_;
};

// The clipboard opened without an owner window for one scope: OpenClipboard / CloseClipboard.
class OpenedClipboard {
public:
    OpenedClipboard() : open_(OpenClipboard(nullptr) != FALSE) {}
    ~OpenedClipboard() {
        if (open_) CloseClipboard();
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    bool IsOpen() const { return open_; }

private:
    bool open_;
};

// Copies count units, stopping at a zero unit; the zeroed block supplies the terminator.
template <class Unit>
void CopyUpToZero(void* target, const void* source, int32_t count) {
    auto* to = static_cast<Unit*>(target);
    const auto* from = static_cast<const Unit*>(source);
    for (int32_t i = 0; i < count && from[i] != 0; ++i) to[i] = from[i];
}

// Puts the units of text, a narrow slice for CF_TEXT or a Wide one for CF_UNICODETEXT.
bool PutUnits(const RawString& text, UINT format) {
    const bool wide = format == CF_UNICODETEXT;
    const SIZE_T unitSize = wide ? sizeof(wchar_t) : 1;
    GlobalBlock block((static_cast<SIZE_T>(text.Length()) + 1) * unitSize);
    if (!block.Get()) return false;
    {
        LockedBlock locked(block.Get());
        if (!locked.Data()) return false;
        if (wide) {
            CopyUpToZero<wchar_t>(locked.Data(), text.Buffer(), text.Length());
        } else {
            CopyUpToZero<char>(locked.Data(), text.Buffer(), text.Length());
        }
    }
    OpenedClipboard clipboard;
    // The block stays ours until SetClipboardData takes it; any failure before frees it.
    if (!clipboard.IsOpen() || !EmptyClipboard()) return false;
    if (!SetClipboardData(format, block.Get())) return false;
    block.HandOver();
    return true;
}

}  // namespace

bool PutClipboardText(const RawString& text, int32_t first, int32_t end) {
    switch (text.NativeCallForm()) {
        case Narrow:
        case EmptyText:
            return PutUnits(RawString::FromRange(text, first, end), CF_TEXT);
        case WideDirect:
            return PutUnits(RawString::FromRange(text, first, end), CF_UNICODETEXT);
        default:
            return PutUnits(RawString::FromRange(text, first, end, Wide), CF_UNICODETEXT);
    }
}

RawString GetClipboardText() {
    OpenedClipboard clipboard;
    if (!clipboard.IsOpen()) return RawString(Wide, 0);
    HANDLE block = GetClipboardData(CF_UNICODETEXT);
    if (!block) return RawString(Wide, 0);
    LockedBlock locked(block);
    if (!locked.Data()) return RawString(Wide, 0);
    // Any program can put a block without a terminator there: never scan past its end.
    const SIZE_T inBlock = GlobalSize(block) / sizeof(wchar_t);
    const int32_t limit = static_cast<int32_t>(std::min<SIZE_T>(inBlock, kClipboardReadLimit));
    const auto* units = static_cast<const wchar_t*>(locked.Data());
    int32_t length = 0;
    while (length < limit && units[length] != 0) ++length;
    return RawString::FromUnits(units, length, Wide);
}

}  // namespace RawLayer
