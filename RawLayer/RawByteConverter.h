// Byte-level helpers of the line files: telling a file's encoding from its content and
// re-encoding runs of bytes through UTF-16. ByteConverter owns only its UTF-16 scratch buffer.
#pragma once

#include <cstdint>
#include <vector>

#include "RawLayer/RawString.h"

namespace RawLayer {

// Detected encoding of content that gives no usable answer: its bytes are kept as they are.
constexpr StringEncoding kUndetermined = static_cast<StringEncoding>(8);

bool IsUtf16(StringEncoding encoding);

// Classifies text without a byte-order mark, one block after another. Examine answers Ansi (0)
// while every byte seen was ASCII (or a stray zero byte), else the encoding decided.
class ContentDetector {
public:
    StringEncoding Examine(const uint8_t* bytes, int32_t length, int64_t fileOffset);

private:
    StringEncoding ExamineZero(const uint8_t* bytes, int32_t length, int64_t zeroOffset);

    bool strayZeros_ = false;  // an 8-bit CR LF came first: zero bytes decide nothing
};

class ByteConverter {
public:
    // Re-encodes length bytes of source text as target, writing at out[*outEnd] and advancing
    // *outEnd; out grows as needed and always keeps two spare bytes past *outEnd. Strict: bytes
    // that do not decode, or characters the target cannot hold exactly, fail the call; otherwise
    // they are replaced as the platform does. Wide counts as UTF-16LE bytes.
    bool Convert(StringEncoding source, StringEncoding target, const uint8_t* bytes, int32_t length, bool strict,
                 std::vector<uint8_t>& out, int32_t* outEnd);
    // True when the bytes decode without error in the encoding.
    bool IsClean(StringEncoding encoding, const uint8_t* bytes, int32_t length);

private:
    bool ToWide(StringEncoding source, const uint8_t* bytes, int32_t length, bool strict, int32_t* units);
    bool FromWide(StringEncoding target, int32_t units, bool strict, std::vector<uint8_t>& out, int32_t* outEnd);

    std::vector<wchar_t> wide_;
};

// Makes room for count more bytes at out[end] plus two spare zero-filled bytes.
void ReserveBytes(std::vector<uint8_t>& out, int32_t end, int32_t count);

}  // namespace RawLayer
