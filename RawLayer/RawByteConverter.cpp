#include "RawLayer/RawByteConverter.h"

#include <cstring>

namespace RawLayer {

bool IsUtf16(StringEncoding encoding) { return encoding == Utf16LE || encoding == Utf16BE || encoding == Wide; }

void ReserveBytes(std::vector<uint8_t>& out, int32_t end, int32_t count) {
    const size_t needed = static_cast<size_t>(end) + static_cast<size_t>(count) + 2;
    if (out.size() < needed) out.resize(needed + needed / 2);
    out[static_cast<size_t>(end) + count] = 0;
    out[static_cast<size_t>(end) + count + 1] = 0;
}

// ---- content detection ----

StringEncoding ContentDetector::Examine(const uint8_t* bytes, int32_t length, int64_t fileOffset) {
    for (int32_t i = 0; i < length; ++i) {
        const uint8_t byte = bytes[i];
        if (byte >= 0x01 && byte <= 0x7E) continue;
        if (byte >= 0x80 && byte <= 0xC1) return ShiftJis;
        if (byte >= 0xC2 && byte <= 0xEF) return ClassifyShiftJisOrUtf8(bytes + i, length - i) == 1 ? ShiftJis : Utf8;
        if (byte >= 0xF0 && byte <= 0xFD) return Utf8;
        if (byte != 0) return kUndetermined;  // 0x7F, 0xFE, 0xFF
        if (strayZeros_) continue;
        // A zero unit of UTF-16 text (two zero bytes at an even offset) decides nothing.
        if (((fileOffset + i) & 1) == 0 && i + 1 < length && bytes[i + 1] == 0) {
            ++i;
            continue;
        }
        const StringEncoding found = ExamineZero(bytes, length, fileOffset + i);
        if (found != Ansi) return found;
    }
    return Ansi;
}

// A zero byte: the first line end of the block tells stray zeros (8-bit CR LF) from UTF-16,
// whose byte order the zero's offset gives (odd: little-endian).
StringEncoding ContentDetector::ExamineZero(const uint8_t* bytes, int32_t length, int64_t zeroOffset) {
    const bool odd = (zeroOffset & 1) != 0;
    static const uint8_t kLittleEnd[] = {0x0D, 0x00, 0x0A, 0x00};
    static const uint8_t kBigEnd[] = {0x00, 0x0D, 0x00, 0x0A};
    const uint8_t* wideEnd = odd ? kLittleEnd : kBigEnd;
    for (int32_t j = 0; j + 1 < length; ++j) {
        if (bytes[j] == 0x0D && bytes[j + 1] == 0x0A) {
            strayZeros_ = true;
            return Ansi;
        }
        if (j + 3 < length && std::memcmp(bytes + j, wideEnd, 4) == 0) break;
    }
    return odd ? Utf16LE : Utf16BE;
}

// ---- conversion ----

namespace {

bool SameBytes(StringEncoding source, StringEncoding target) {
    if (source == target) return true;
    return (source == Wide && target == Utf16LE) || (source == Utf16LE && target == Wide);
}

void CopyUnits(const uint8_t* from, int32_t bytes, bool swap, uint8_t* to) {
    if (!swap) {
        std::memcpy(to, from, static_cast<size_t>(bytes));
        return;
    }
    for (int32_t i = 0; i + 1 < bytes; i += 2) {
        to[i] = from[i + 1];
        to[i + 1] = from[i];
    }
}

}  // namespace

bool ByteConverter::Convert(StringEncoding source, StringEncoding target, const uint8_t* bytes, int32_t length,
                            bool strict, std::vector<uint8_t>& out, int32_t* outEnd) {
    if (length <= 0) {
        ReserveBytes(out, *outEnd, 0);
        return true;
    }
    if (SameBytes(source, target)) {
        if (strict && !IsClean(source, bytes, length)) return false;
        ReserveBytes(out, *outEnd, length);
        std::memcpy(out.data() + *outEnd, bytes, static_cast<size_t>(length));
        *outEnd += length;
        return true;
    }
    int32_t units = 0;
    return ToWide(source, bytes, length, strict, &units) && FromWide(target, units, strict, out, outEnd);
}

bool ByteConverter::IsClean(StringEncoding encoding, const uint8_t* bytes, int32_t length) {
    if (length <= 0) return true;
    if (IsUtf16(encoding)) return (length & 1) == 0;
    if (encoding == Utf7) return true;  // the platform checks nothing there
    return MultiByteToWideChar(static_cast<UINT>(CodePageOf(encoding)), MB_ERR_INVALID_CHARS,
                               reinterpret_cast<const char*>(bytes), length, nullptr, 0) > 0;
}

bool ByteConverter::ToWide(StringEncoding source, const uint8_t* bytes, int32_t length, bool strict, int32_t* units) {
    // No code page yields more UTF-16 units than it has bytes.
    if (wide_.size() < static_cast<size_t>(length)) wide_.resize(static_cast<size_t>(length));
    if (IsUtf16(source)) {
        if (length & 1) return false;  // half a unit cannot be carried into any text
        CopyUnits(bytes, length, source == Utf16BE, reinterpret_cast<uint8_t*>(wide_.data()));
        *units = length / 2;
        return true;
    }
    const DWORD flags = strict && source != Utf7 ? MB_ERR_INVALID_CHARS : 0;
    *units = MultiByteToWideChar(static_cast<UINT>(CodePageOf(source)), flags, reinterpret_cast<const char*>(bytes),
                                 length, wide_.data(), length);
    return *units > 0;
}

bool ByteConverter::FromWide(StringEncoding target, int32_t units, bool strict, std::vector<uint8_t>& out,
                             int32_t* outEnd) {
    if (IsUtf16(target)) {
        ReserveBytes(out, *outEnd, units * 2);
        CopyUnits(reinterpret_cast<const uint8_t*>(wide_.data()), units * 2, target == Utf16BE, out.data() + *outEnd);
        *outEnd += units * 2;
        return true;
    }
    const UINT codePage = static_cast<UINT>(CodePageOf(target));
    const bool unicode = target == Utf8 || target == Utf7;
    DWORD flags = 0;
    if (strict && target == Utf8) flags = WC_ERR_INVALID_CHARS;
    if (strict && !unicode) flags = WC_NO_BEST_FIT_CHARS;
    const int needed = WideCharToMultiByte(codePage, flags, wide_.data(), units, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return false;
    ReserveBytes(out, *outEnd, needed);
    BOOL usedDefault = FALSE;
    const int made =
        WideCharToMultiByte(codePage, flags, wide_.data(), units, reinterpret_cast<char*>(out.data() + *outEnd), needed,
                            nullptr, strict && !unicode ? &usedDefault : nullptr);
    if (made <= 0 || usedDefault) return false;
    *outEnd += made;
    out[static_cast<size_t>(*outEnd)] = 0;
    out[static_cast<size_t>(*outEnd) + 1] = 0;
    return true;
}

}  // namespace RawLayer
