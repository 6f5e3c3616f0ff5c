// RawTimeText: decimal text forms of a SYSTEMTIME's date, time of day and milliseconds.
// Results are new Utf8 strings owned by the caller.
#pragma once

#include <windows.h>

#include <cstdint>

#include "RawLayer/RawString.h"

namespace RawLayer {

// Year (at least four digits, never cut), month, day; separator 0 writes none ("20240907").
RawString FormatDate(const SYSTEMTIME& time, uint32_t separator);
// Hour, minute, second, two digits each; separator 0 writes none.
RawString FormatTime(const SYSTEMTIME& time, uint32_t separator);
// Milliseconds, three digits.
RawString FormatMSec(const SYSTEMTIME& time);

}  // namespace RawLayer
