// Text on the Windows clipboard. The clipboard is opened without an owner window and closed
// again before either call returns; on success the clipboard owns the memory put there.
#pragma once

#include <cstdint>

#include "RawLayer/RawString.h"

namespace RawLayer {

// Most units GetClipboardText returns.
constexpr int32_t kClipboardReadLimit = 4096;

// Replaces the clipboard contents by the units of [first, end) of text (clipped to the string).
// Narrow and empty strings go as CF_TEXT, Wide ones as CF_UNICODETEXT, any other encoding is
// converted to Wide first. A zero unit inside the range ends the text. False when the memory
// or the clipboard could not be had; the clipboard then keeps what it held.
bool PutClipboardText(const RawString& text, int32_t first, int32_t end);

// The clipboard's Unicode text up to its first zero unit, at most kClipboardReadLimit units;
// an empty Wide string when there is none or the clipboard cannot be opened.
RawString GetClipboardText();

}  // namespace RawLayer
