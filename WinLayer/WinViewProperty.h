// WinViewProperty: the description of one view's window, embedded in the view. The font and
// parent pointers are borrowed: the font and the parent view must outlive the view.
#pragma once

#include <windows.h>

#include <cstdint>

#include "RawLayer/RawString.h"
#include "WinLayer/WinFont.h"

namespace WinLayer {

// Property flags.
constexpr uint16_t kViewPreTranslate = 0x0001;  // the dialog loop offers queued messages first
constexpr uint16_t kViewNotATabStop = 0x0002;   // Tab navigation skips the view

// Kind: the window is subclassed after creation so that every message reaches the view.
constexpr int32_t kViewSubclassed = 2;

struct WinViewProperty {
    uint16_t flags = 0;
    int32_t identifier = 0;  // control identifier, subclass identifier
    RawLayer::RawString className;
    int32_t kind = 0;
    RawLayer::RawString text;
    uint32_t textRevision = 0;  // incremented by every text operation
    DWORD style = 0;
    DWORD exStyle = 0;
    const WinFont* font = nullptr;             // borrowed; null = inherit
    const WinViewProperty* parent = nullptr;  // the parent view's property, set at creation

    // This font, else the nearest parent's, else the environment's default font.
    const WinFont& ResolvedFont() const;
};

}  // namespace WinLayer
