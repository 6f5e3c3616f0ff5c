// WinEditBoxIme: the edit box's inline composition. It owns the box's input context (made
// only when the keyboard layout has an IME, destroyed with the part) and edits the box's text
// through the box's own editing operations; it belongs to the box it serves, which outlives it.
#pragma once

#include <windows.h>
// after windows.h, whose types it uses
#include <imm.h>

#include <cstdint>

#include "RawLayer/RawString.h"

namespace WinLayer {

class WinEditBox;

class WinEditBoxIme {
public:
    explicit WinEditBoxIme(WinEditBox& box) : box_(box) {}
    ~WinEditBoxIme();
    WinEditBoxIme(const WinEditBoxIme&) = delete;
    WinEditBoxIme& operator=(const WinEditBoxIme&) = delete;

    // When the keyboard layout has an IME: makes the context and associates it with the box's
    // window, or leaves the window without one in a read-only or password box.
    void Prepare();
    bool HasContext() const { return context_ != nullptr; }

    // The IME messages of a box with a context; NotHandled for the others.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Edit bar: opens the IME with the selection as composition; registers the selection as a word.
    void OpenWithSelection();
    void RegisterSelection();
    // Ends a composition in progress, keeping its text.
    void Complete();

    // The composition steps, as the messages deliver them.
    void StartComposition();
    void PutResult(const RawLayer::RawString& result);
    void PutComposition(const RawLayer::RawString& composition);
    void PutCursor(int32_t position);
    // Clause boundaries (units from the span start, first 0, last the span length).
    void PutClauses(const DWORD* bounds, int32_t count);
    // One IME attribute per unit of the composition.
    void PutAttributes(const BYTE* attributes, int32_t count);
    void EndComposition();
    // IMR_RECONVERTSTRING: the size wanted without a buffer; 1 when the buffer was filled; 0 when
    // the text before the caret is not the last composition or the buffer is too small.
    LRESULT Reconvert(RECONVERTSTRING* buffer);
    LRESULT QueryCharPosition(IMECHARPOSITION* position);

private:
    LRESULT OnComposition(LPARAM flags);
    LRESULT OnRequest(WPARAM request, LPARAM data);
    void OnFocus(bool gained);
    RawLayer::RawString CompositionText(DWORD kind) const;
    void PutSpanText(const RawLayer::RawString& units);

    WinEditBox& box_;
    HIMC context_ = nullptr;
    bool composing_ = false;
};

}  // namespace WinLayer
