// Drops built in process as the shell builds them for WM_DROPFILES: a DROPFILES header in
// movable, zeroed global memory, followed by the names, each ending in a zero, and one more zero.
#pragma once

#include <windows.h>
// after windows.h, which it needs
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

namespace ShellDrop {

// Wide names, as the shell of every current system sends them.
inline HDROP MakeDrop(const std::vector<std::wstring>& names) {
    size_t units = names.empty() ? 2 : 1;  // the double zero end even without names
    for (const std::wstring& name : names) units += name.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + units * sizeof(wchar_t));
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->pt = {10, 10};
    header->fNC = FALSE;
    header->fWide = TRUE;
    auto* text = reinterpret_cast<wchar_t*>(header + 1);
    for (const std::wstring& name : names) {
        std::memcpy(text, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
        text += name.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

// Narrow names in the ANSI code page, as older shells send them.
inline HDROP MakeNarrowDrop(const std::vector<std::string>& names) {
    size_t bytes = names.empty() ? 2 : 1;
    for (const std::string& name : names) bytes += name.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + bytes);
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = FALSE;
    auto* text = reinterpret_cast<char*>(header + 1);
    for (const std::string& name : names) {
        std::memcpy(text, name.c_str(), name.size() + 1);
        text += name.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

// Whether the block of a drop is still allocated. DragFinish frees it; a freed handle has no
// size (and is not handed out again before the next allocation).
inline bool IsAllocated(HDROP drop) { return GlobalSize(static_cast<HGLOBAL>(drop)) != 0; }

}  // namespace ShellDrop
