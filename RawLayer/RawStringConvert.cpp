// RawString conversion between encodings through UTF-16, and the call form a string needs.
#include <windows.h>

#include "RawLayer/RawString.h"
#include "RawLayer/RawStringBody.h"

namespace RawLayer {

using namespace StringBody;

namespace {

// Copies UTF-16 units between a byte stream and 16-bit units; `swap` for big-endian bytes.
void CopyPairs(const uint8_t* from, uint8_t* to, int32_t units, bool swap) {
    for (int32_t i = 0; i < units; ++i) {
        to[2 * i] = from[2 * i + (swap ? 1 : 0)];
        to[2 * i + 1] = from[2 * i + (swap ? 0 : 1)];
    }
}

bool IsUtf16Bytes(uint8_t encoding) { return encoding == Utf16BE || encoding == Utf16LE; }

// UTF-16 of a narrow text; an odd last byte of a UTF-16 byte stream is ignored.
RawStringBody* WidenUnits(const void* bytes, int32_t length, StringEncoding from) {
    if (IsUtf16Bytes(from)) {
        const int32_t units = length / 2;
        if (units <= 0) return CreateBody(Empty, Wide);
        RawStringBody* body = CopyUnits(nullptr, 0, Wide, units);
        CopyPairs(static_cast<const uint8_t*>(bytes), static_cast<uint8_t*>(body->buffer), units, from == Utf16BE);
        body->length = units;
        WriteUnit(body, units, 0);
        return body;
    }
    const char* text = static_cast<const char*>(bytes);
    const int codePage = CodePageOf(from);
    const int units = length > 0 ? MultiByteToWideChar(codePage, 0, text, length, nullptr, 0) : 0;
    if (units <= 0) return CreateBody(Empty, Wide);
    RawStringBody* body = CopyUnits(nullptr, 0, Wide, units);
    const int done = MultiByteToWideChar(codePage, 0, text, length, static_cast<wchar_t*>(body->buffer), units);
    body->length = done > 0 ? done : 0;
    WriteUnit(body, body->length, 0);
    return body;
}

// A narrow text in `to` from UTF-16 units.
RawStringBody* NarrowUnits(const void* wide, int32_t units, StringEncoding to) {
    if (IsUtf16Bytes(to)) {
        const int32_t bytes = units * 2;
        if (bytes <= 0) return CreateBody(Empty, to);
        RawStringBody* body = CopyUnits(nullptr, 0, to, bytes);
        CopyPairs(static_cast<const uint8_t*>(wide), static_cast<uint8_t*>(body->buffer), units, to == Utf16BE);
        body->length = bytes;
        WriteUnit(body, bytes, 0);
        return body;
    }
    const wchar_t* text = static_cast<const wchar_t*>(wide);
    const int codePage = CodePageOf(to);
    const int bytes = units > 0 ? WideCharToMultiByte(codePage, 0, text, units, nullptr, 0, nullptr, nullptr) : 0;
    if (bytes <= 0) return CreateBody(Empty, to);
    RawStringBody* body = CopyUnits(nullptr, 0, to, bytes);
    char* out = static_cast<char*>(body->buffer);
    const int done = WideCharToMultiByte(codePage, 0, text, units, out, bytes, nullptr, nullptr);
    body->length = done > 0 ? done : 0;
    WriteUnit(body, body->length, 0);
    return body;
}

}  // namespace

RawStringBody* StringBody::Convert(const void* units, int32_t length, StringEncoding from, StringEncoding to,
                                   bool exact) {
    if (from == to) return CopyUnits(units, length, to, exact || length == 0 ? length : GrowthCapacity(length));
    if (to == Wide) return WidenUnits(units, length, from);
    if (from == Wide) return NarrowUnits(units, length, to);
    RawStringBody* wide = WidenUnits(units, length, from);
    RawStringBody* result = NarrowUnits(wide->buffer, wide->length, to);
    DestroyBody(wide);
    return result;
}

int CodePageOf(StringEncoding encoding) {
    switch (encoding) {
        case Ansi:
            return CP_ACP;
        case ShiftJis:
            return 932;
        case Utf8:
            return CP_UTF8;
        case Utf7:
            return CP_UTF7;
        case MacCodePage:
            return CP_MACCP;
        default:
            return -1;
    }
}

// ---- platform call forms ----

NativeForm RawString::NativeCallForm() const {
    if (Length() == 0) return EmptyText;
    switch (body_->encoding) {
        case Ansi:
        case ShiftJis:
            return Narrow;
        case Wide:
            return WideDirect;
        case Utf8:
            for (int32_t pos = 0; pos < Length(); ++pos) {
                if (ReadUnit(body_, pos) > 126) return WideConverted;
            }
            return Narrow;
        default:
            return WideConverted;
    }
}

NativeForm CombineForms(NativeForm a, NativeForm b) {
    if (a == EmptyText) return b;
    if (b == EmptyText) return a;
    return a == b ? a : WideConverted;
}

NativeForm NativeCallForm(const RawString& a, const RawString& b) {
    const NativeForm form = CombineForms(a.NativeCallForm(), b.NativeCallForm());
    return form == EmptyText ? Narrow : form;
}

NativeForm NativeCallForm(const RawString& a, const RawString& b, const RawString& c) {
    const NativeForm form = CombineForms(CombineForms(a.NativeCallForm(), b.NativeCallForm()), c.NativeCallForm());
    return form == EmptyText ? Narrow : form;
}

}  // namespace RawLayer
