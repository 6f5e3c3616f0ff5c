// The text arguments of a wrapped platform call. A wrapper asks UsesNarrowCall of the native call
// form of its strings, then passes NarrowText to the ...A entry point or a WideText to the ...W
// one; callers of the wrappers never choose.
#pragma once

#include <cstdint>

#include "RawLayer/RawString.h"

namespace RawLayer {

// An empty text takes the narrow call: it needs no conversion.
inline bool UsesNarrowCall(NativeForm form) { return form == Narrow || form == EmptyText; }

// Bytes for a ...A call; an empty text of any encoding is "".
inline const char* NarrowText(const RawString& text) { return text.IsEmpty() ? "" : text.Bytes(); }

// Units for a ...W call: shares a Wide body, else holds a Wide copy for as long as it lives.
class WideText {
public:
    explicit WideText(const RawString& text) : text_(text, Wide) {}
    const wchar_t* Get() const { return text_.IsEmpty() ? L"" : text_.WideUnits(); }
    int32_t Length() const { return text_.Length(); }

private:
    RawString text_;
};

}  // namespace RawLayer
