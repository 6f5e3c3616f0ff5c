// FileTimeValue: the one chosen date and time, as a UTC file time and as its calendar form in
// UTC or local time; FileTimeSettings adds the selection flags. Plain records: copies are
// independent, nothing is owned.
#pragma once

#include <windows.h>

#include <cstdint>

#include "RawLayer/RawString.h"

namespace AppLayer {

// Selection bits of FileTimeSettings::flags. 0x08 and 0x100 and above are never set.
enum FileTimeFlag : uint16_t {
    UseDate = 0x01,        // year, month, day are applied
    UseTime = 0x02,        // hour, minute, second are applied
    UseMSec = 0x04,        // milliseconds are applied
    ShowUtc = 0x10,        // shown, edited and merged in UTC; local time when clear
    SetCreation = 0x20,    // files' creation times change
    SetLastWrite = 0x40,   // files' last write times change
    SetLastAccess = 0x80,  // files' last access times change
};
constexpr uint16_t kPartMask = UseDate | UseTime | UseMSec;

// flags with its part bits replaced by those of partMask.
inline uint16_t WithParts(uint16_t flags, uint16_t partMask) {
    return static_cast<uint16_t>((flags & ~kPartMask) | (partMask & kPartMask));
}

// The years a calendar time may have.
constexpr uint16_t kFirstCalendarYear = 1601;
constexpr uint16_t kLastCalendarYear = 30827;

// What FileTimeValue::brokenDown expresses.
enum FileTimeZone : uint8_t {
    ZoneNotSet = 0,
    ZoneUtc = 1,
    ZoneLocal = 2,
};

// Parsed parts carried into a merge; shaped like SYSTEMTIME. dayOfWeek is never read.
struct TimeParts {
    uint16_t year;
    uint16_t month;
    uint16_t dayOfWeek;
    uint16_t day;
    uint16_t hour;
    uint16_t minute;
    uint16_t second;
    uint16_t milliseconds;
};

TimeParts PartsOf(const SYSTEMTIME& time);

struct FileTimeValue {
    SYSTEMTIME brokenDown{};  // the instant in the zone `zone` names, day of week filled in
    FILETIME fileTime{};      // the instant, UTC
    uint8_t zone = ZoneNotSet;

    // Current UTC time, zone UTC.
    void SetFromNow();
    // False, nothing changed, for a count past the range of calendar times.
    bool SetFromFileTime(const FILETIME& time);
    // False, nothing changed, when fileTime has no calendar form.
    bool ShowAsUtc();
    // Only from zone UTC (other zones stay as they are): the local form under the zone rules
    // of the value's own year. False, still in UTC, when there is no local form.
    bool ShowAsLocal();
    // Impossible dates and instants outside 1601..30827 UTC fail and change nothing. A local
    // time is read by the zone rules of its own year.
    bool StoreLocal(const SYSTEMTIME& local);
    bool StoreUtc(const SYSTEMTIME& utc);
    // ShowAsUtc or ShowAsLocal by the ShowUtc bit; false when brokenDown could not be put
    // into the wanted zone.
    bool ShowIn(uint16_t flags);
};

// Puts the parts that flags select (UseDate, UseTime, UseMSec) into target, read and stored in
// the zone the ShowUtc bit names. With UseMSec the milliseconds are exact (nothing below them);
// otherwise target keeps its ticks below a millisecond. False, target unchanged in its instant,
// when the result is not a valid time.
bool MergeParts(FileTimeValue& target, const TimeParts& parts, uint16_t flags);

// The file time that `existing` becomes when the parts of `chosen` that flags select replace
// its own (the ticks below a millisecond go with the milliseconds); `existing` itself when
// that fails.
FILETIME MergeIntoFileTime(const FileTimeValue& chosen, uint16_t flags, const FILETIME& existing);

struct FileTimeSettings {
    uint16_t flags = 0;
    FileTimeValue value;
    // -O: each selected time moves by shiftTicks (100 ns) instead of taking the chosen parts.
    bool shift = false;
    int64_t shiftTicks = 0;

    // Takes the parts of other named by partMask (UseDate | UseTime | UseMSec bits).
    void AssignValue(const FileTimeValue& other, uint16_t partMask);
    void ClearMilliseconds();
    // Texts of numbers separated by any non-digits; fields are clamped to their ranges and an
    // empty text changes nothing. A day the month lacks becomes the month's last day.
    void ParseDate(const RawLayer::RawString& text);
    void ParseTime(const RawLayer::RawString& text);
    void ParseMSec(const RawLayer::RawString& text);
};

// "[+|-][Days.]hh:mm:ss[.mmm]" as signed 100-ns ticks: hours of one or two digits below 24,
// minutes and seconds of two digits below 60, milliseconds of three digits. False for any
// other text.
bool ParseOffset(const RawLayer::RawString& text, int64_t& ticks);
// The instant time moved by ticks; false, shifted untouched, when the result lies before
// 1601-01-01 or past the last calendar time.
bool ShiftFileTime(const FILETIME& time, int64_t ticks, FILETIME& shifted);

// True when the fields name a time that exists: years 1601..30827, real days (leap years
// counted), hour, minute, second and milliseconds in range. The day of week is not read.
bool IsValidSystemTime(const SYSTEMTIME& time);

}  // namespace AppLayer
