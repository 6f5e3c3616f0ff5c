// RawString number text: parsing and decimal digits.
#include <cstdint>
#include <new>

#include "RawLayer/RawString.h"
#include "RawLayer/RawStringBody.h"

namespace RawLayer {

using namespace StringBody;

namespace {

uint32_t DigitValue(uint32_t unit) {
    if (unit >= '0' && unit <= '9') return unit - '0';
    if (unit >= 'A' && unit <= 'Z') return unit - 'A' + 10;
    if (unit >= 'a' && unit <= 'z') return unit - 'a' + 10;
    return 0xFF;
}

}  // namespace

// ---- number text ----

ParsedNumber RawString::ParseNumber(int32_t first, int32_t end) const {
    const Span span = Clip(first, end, Length());
    ParsedNumber result{true, 0, 0};
    int32_t pos = span.first;
    const uint32_t lead = UnitAt(pos);
    if (pos < span.end && (lead == '-' || lead == '+')) {
        result.sign = static_cast<char>(lead);
        ++pos;
    }
    uint32_t base = 10;
    if (pos + 1 < span.end && UnitAt(pos) == '0' && (UnitAt(pos + 1) == 'x' || UnitAt(pos + 1) == 'b')) {
        base = UnitAt(pos + 1) == 'x' ? 16 : 2;
        pos += 2;
    }
    for (; pos < span.end; ++pos) {
        const uint32_t digit = DigitValue(ReadUnit(body_, pos));
        if (digit >= base) {
            result.complete = false;
            break;
        }
        if (result.magnitude > (UINT64_MAX - digit) / base) result.overflowed = true;
        result.magnitude = result.magnitude * base + digit;  // unsigned: wraps past 64 bits
        ++result.digits;
    }
    return result;
}

bool ParsedNumber::Within(int64_t low, int64_t high, int64_t* value) const {
    if (!complete || digits == 0 || overflowed) return false;
    // Compared as magnitudes first: a negative number's magnitude may be 2^63.
    const bool negative = sign == '-' && magnitude != 0;
    if (!negative && magnitude > static_cast<uint64_t>(INT64_MAX)) return false;
    if (negative && magnitude > static_cast<uint64_t>(INT64_MAX) + 1) return false;
    const int64_t number = Signed();
    if (number < low || number > high) return false;
    *value = number;
    return true;
}

void RawString::AppendDecimal(int64_t value) {
    static const char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    ReserveExact(Length() + 67);
    uint64_t magnitude = static_cast<uint64_t>(value);
    if (value < 0) {
        Append('-');
        magnitude = 0 - magnitude;
    }
    char digits[24];
    int count = 0;
    do {
        digits[count++] = kDigits[magnitude % 10];
        magnitude /= 10;
    } while (magnitude != 0);
    while (count > 0) Append(static_cast<uint8_t>(digits[--count]));
}

void RawString::AppendDecimalWidth(uint64_t value, int32_t width) {
    if (width <= 0) return;
    if (static_cast<int64_t>(Length()) + width > kMaxCapacity) throw std::bad_alloc();
    ReserveExact(Length() + width);
    const int32_t start = Length();
    InsertGap(start, width);
    for (int32_t pos = start + width - 1; pos >= start; --pos) {
        WriteUnit(body_, pos, '0' + static_cast<uint32_t>(value % 10));
        value /= 10;
    }
}

RawString RawString::Decimal(int64_t value) {
    RawString text;
    text.AppendDecimal(value);
    return text;
}

}  // namespace RawLayer
