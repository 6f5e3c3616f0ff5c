// What a single code unit says about the character it belongs to, for the encodings the
// program reads: code page 932 lead bytes, UTF-8 lead bytes, UTF-16 surrogates, ASCII letters.
#pragma once

#include <cstdint>

namespace RawLayer {

// Units the text code looks for; the same number in every encoding.
constexpr uint32_t kTab = 9;
constexpr uint32_t kLineFeed = 10;
constexpr uint32_t kReturn = 13;
constexpr uint32_t kSpace = 32;
constexpr uint32_t kBackslash = 92;
constexpr uint32_t kDelete = 127;

// First byte of a code page 932 double-byte character.
inline bool IsShiftJisLead(uint32_t unit) { return (unit >= 0x81 && unit <= 0x9F) || (unit >= 0xE0 && unit <= 0xEF); }

// First unit of a UTF-16 surrogate pair.
inline bool IsHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

// Trail bytes a UTF-8 lead byte announces (the old five- and six-byte forms included); 0 for
// ASCII, trail bytes and bytes that never lead.
inline int32_t Utf8Trail(uint32_t lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 1;
    if (lead >= 0xE0 && lead <= 0xEF) return 2;
    if (lead >= 0xF0 && lead <= 0xF7) return 3;
    if (lead >= 0xF8 && lead <= 0xFB) return 4;
    if (lead >= 0xFC && lead <= 0xFD) return 5;
    return 0;
}

inline bool IsAsciiLetter(uint32_t unit) { return (unit >= 'A' && unit <= 'Z') || (unit >= 'a' && unit <= 'z'); }

// Upper case for a-z only; every other unit unchanged.
inline uint32_t FoldAscii(uint32_t unit) { return unit >= 'a' && unit <= 'z' ? unit - 32 : unit; }

}  // namespace RawLayer
