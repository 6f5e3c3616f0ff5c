// Encoding detection on raw bytes: code page 932 or UTF-8, character boundaries, byte-order marks.
#include "RawLayer/RawCodeUnits.h"
#include "RawLayer/RawString.h"

namespace RawLayer {

namespace {

// Code page 932 reading of one byte; false when the run cannot be 932 text.
struct ShiftJisReader {
    bool inTrail = false;
    int32_t singleByteKana = 0;
    bool Take(uint8_t byte) {
        if (inTrail) {
            inTrail = false;
            return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
        }
        if (byte <= 0x7F) return true;
        if (IsShiftJisLead(byte)) {
            inTrail = true;
            return true;
        }
        if (byte < 0xA1 || byte > 0xDF) return false;
        ++singleByteKana;
        return true;
    }
};

// UTF-8 reading of one byte; false when the run cannot be UTF-8 text.
struct Utf8Reader {
    int32_t due = 0;
    int32_t longLeads = 0;
    bool Take(uint8_t byte) {
        if (due > 0) {
            --due;
            return byte >= 0x80 && byte <= 0xBF;
        }
        if (byte <= 0x7F) return true;
        due = Utf8Trail(byte);
        if (byte >= 0xF8 && byte <= 0xFD) ++longLeads;
        return due > 0;
    }
};

}  // namespace

int ClassifyShiftJisOrUtf8(const uint8_t* bytes, int32_t length) {
    if (bytes == nullptr) return 1;
    ShiftJisReader shiftJis;
    Utf8Reader utf8;
    for (int32_t i = 0; i < length; ++i) {
        if (!shiftJis.Take(bytes[i])) return 2;
        if (!utf8.Take(bytes[i])) return 1;
    }
    return utf8.longLeads < shiftJis.singleByteKana ? 2 : 1;
}

namespace {

int32_t CutShiftJis(const uint8_t* bytes, int32_t length) {
    int32_t leads = 0;
    while (leads < length && IsShiftJisLead(bytes[length - 1 - leads])) ++leads;
    return leads % 2 != 0 ? length - 1 : length;
}

int32_t CutUtf8(const uint8_t* bytes, int32_t length) {
    int32_t start = length - 1;
    while (start >= 0 && bytes[start] >= 0x80 && bytes[start] <= 0xBF) --start;
    if (start < 0) return 0;
    const uint8_t lead = bytes[start];
    if (lead <= 0x7F) return length;
    const int32_t trail = Utf8Trail(lead);
    if (trail == 0) return length;  // not a lead byte: nothing to keep whole
    return length - start > trail ? length : start;
}

int32_t CutUtf16(const uint8_t* bytes, int32_t length, bool bigEndian) {
    const int32_t even = length & ~1;
    if (even < 2) return even;
    const uint8_t* last = bytes + even - 2;
    const uint32_t unit = bigEndian ? (last[0] << 8 | last[1]) : (last[1] << 8 | last[0]);
    return IsHighSurrogate(unit) ? even - 2 : even;
}

}  // namespace

int32_t CutAtCharBoundary(StringEncoding encoding, const uint8_t* bytes, int32_t length) {
    if (bytes == nullptr || length <= 0) return 0;
    switch (encoding) {
        case ShiftJis:
            return CutShiftJis(bytes, length);
        case Utf8:
            return CutUtf8(bytes, length);
        case Utf16BE:
            return CutUtf16(bytes, length, true);
        case Utf16LE:
        case Wide:
            return CutUtf16(bytes, length, false);
        default:
            return 0;
    }
}

int SniffByteOrderMark(const uint8_t* bytes, int32_t length) {
    if (bytes == nullptr || length < 2) return 0;
    if (bytes[0] == 0xFE && bytes[1] == 0xFF) return Utf16BE;
    if (bytes[0] == 0xFF && bytes[1] == 0xFE) return Utf16LE;
    if (length >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) return Utf8;
    return 0;
}

ByteOrderMarkBytes ByteOrderMarkOf(StringEncoding encoding) {
    static const uint8_t kLittle[] = {0xFF, 0xFE};
    static const uint8_t kBig[] = {0xFE, 0xFF};
    static const uint8_t kUtf7[] = {'+', '/', 'v', '8', '-'};
    static const uint8_t kUtf8[] = {0xEF, 0xBB, 0xBF};
    switch (encoding) {
        case Utf16LE:
            return ByteOrderMarkBytes{kLittle, 2};
        case Utf16BE:
            return ByteOrderMarkBytes{kBig, 2};
        case Utf7:
            return ByteOrderMarkBytes{kUtf7, 5};
        case Utf8:
            return ByteOrderMarkBytes{kUtf8, 3};
        default:
            return ByteOrderMarkBytes{nullptr, 0};
    }
}

}  // namespace RawLayer
