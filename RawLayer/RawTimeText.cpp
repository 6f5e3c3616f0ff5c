#include "RawLayer/RawTimeText.h"

namespace RawLayer {

namespace {

// Three two-or-more-digit fields with an optional separator between them.
RawString FormatTriple(uint64_t first, int32_t firstWidth, uint64_t second, uint64_t third, uint32_t separator) {
    RawString text;
    text.AppendDecimalWidth(first, firstWidth);
    if (separator != 0) {
        text.Append(separator);
    }
    text.AppendDecimalWidth(second, 2);
    if (separator != 0) {
        text.Append(separator);
    }
    text.AppendDecimalWidth(third, 2);
    return text;
}

}  // namespace

RawString FormatDate(const SYSTEMTIME& time, uint32_t separator) {
    // A 16-bit year has at most five digits; a fixed width of four would cut years past 9999.
    const int32_t yearWidth = time.wYear >= 10000 ? 5 : 4;
    return FormatTriple(time.wYear, yearWidth, time.wMonth, time.wDay, separator);
}

RawString FormatTime(const SYSTEMTIME& time, uint32_t separator) {
    return FormatTriple(time.wHour, 2, time.wMinute, time.wSecond, separator);
}

RawString FormatMSec(const SYSTEMTIME& time) {
    RawString text;
    text.AppendDecimalWidth(time.wMilliseconds, 3);
    return text;
}

}  // namespace RawLayer
