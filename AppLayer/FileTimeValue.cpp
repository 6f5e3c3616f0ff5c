#include "AppLayer/FileTimeValue.h"

#include "RawLayer/RawZoneRules.h"

using RawLayer::LocalToUtc;
using RawLayer::RawString;
using RawLayer::UtcToLocal;

namespace AppLayer {

namespace {

bool IsLeapYear(uint32_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

uint16_t DaysInMonth(uint16_t year, uint16_t month) {
    static const uint8_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// SystemTimeToFileTime that rejects what Windows rejects: some Wine versions roll an
// impossible day (2023-02-29) over into the next month instead.
bool ToFileTime(const SYSTEMTIME& time, FILETIME* fileTime) {
    return IsValidSystemTime(time) && SystemTimeToFileTime(&time, fileTime) != FALSE;
}

// Equal calendar fields, the day of week aside.
bool SameFields(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
           a.wMinute == b.wMinute && a.wSecond == b.wSecond && a.wMilliseconds == b.wMilliseconds;
}

constexpr uint64_t kTicksPerMSec = 10000;

uint64_t Ticks(const FILETIME& time) { return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime; }

uint32_t SubMilliseconds(const FILETIME& time) { return static_cast<uint32_t>(Ticks(time) % kTicksPerMSec); }

// The calendar fields of shown with the parts that flags select taken from parts.
SYSTEMTIME Combined(const SYSTEMTIME& shown, const TimeParts& parts, uint16_t flags) {
    SYSTEMTIME work = shown;
    if (flags & UseDate) {
        work.wYear = parts.year;
        work.wMonth = parts.month;
        work.wDay = parts.day;
    }
    if (flags & UseTime) {
        work.wHour = parts.hour;
        work.wMinute = parts.minute;
        work.wSecond = parts.second;
    }
    if (flags & UseMSec) {
        work.wMilliseconds = parts.milliseconds;
    }
    return work;
}

// MergeParts, where the instant's ticks below a millisecond follow the milliseconds: with
// UseMSec they become subMSec, otherwise the target keeps its own.
bool MergeWithTicks(FileTimeValue& target, const TimeParts& parts, uint16_t flags, uint32_t subMSec) {
    if (!target.ShowIn(flags)) {
        return false;
    }
    const SYSTEMTIME work = Combined(target.brokenDown, parts, flags);
    const uint32_t ticks = (flags & UseMSec) ? subMSec : SubMilliseconds(target.fileTime);
    // Nothing to change: storing again could move a local time inside a repeated hour.
    const bool same = target.zone != ZoneNotSet && SameFields(work, target.brokenDown);
    if (!same && !((flags & ShowUtc) ? target.StoreUtc(work) : target.StoreLocal(work))) {
        return false;
    }
    const uint64_t whole = Ticks(target.fileTime) - SubMilliseconds(target.fileTime) + ticks;
    target.fileTime = FILETIME{static_cast<DWORD>(whole), static_cast<DWORD>(whole >> 32)};
    return true;
}

}  // namespace

bool IsValidSystemTime(const SYSTEMTIME& time) {
    if (time.wYear < kFirstCalendarYear || time.wYear > kLastCalendarYear || time.wMonth < 1 || time.wMonth > 12) {
        return false;
    }
    if (time.wDay < 1 || time.wDay > DaysInMonth(time.wYear, time.wMonth)) {
        return false;
    }
    return time.wHour <= 23 && time.wMinute <= 59 && time.wSecond <= 59 && time.wMilliseconds <= 999;
}

TimeParts PartsOf(const SYSTEMTIME& time) {
    return TimeParts{time.wYear, time.wMonth,  time.wDayOfWeek, time.wDay,
                     time.wHour, time.wMinute, time.wSecond,    time.wMilliseconds};
}

void FileTimeValue::SetFromNow() {
    GetSystemTime(&brokenDown);
    zone = ZoneUtc;
    if (SystemTimeToFileTime(&brokenDown, &fileTime)) {
        FileTimeToSystemTime(&fileTime, &brokenDown);
    }
}

bool FileTimeValue::SetFromFileTime(const FILETIME& time) {
    SYSTEMTIME utc;
    if (!FileTimeToSystemTime(&time, &utc)) {
        return false;
    }
    fileTime = time;
    brokenDown = utc;
    zone = ZoneUtc;
    return true;
}

bool FileTimeValue::ShowAsUtc() {
    SYSTEMTIME utc;
    if (!FileTimeToSystemTime(&fileTime, &utc)) {
        return false;
    }
    brokenDown = utc;
    zone = ZoneUtc;
    return true;
}

bool FileTimeValue::ShowAsLocal() {
    if (zone != ZoneUtc) {
        return true;
    }
    SYSTEMTIME local;
    if (!UtcToLocal(brokenDown, &local)) {
        return false;
    }
    brokenDown = local;
    zone = ZoneLocal;
    return true;
}

bool FileTimeValue::StoreLocal(const SYSTEMTIME& local) {
    // Local to UTC by the rules of the value's own year, the same rules ShowAsLocal uses back,
    // so the round trip is exact outside the skipped and repeated hours of a change.
    SYSTEMTIME utc;
    if (!IsValidSystemTime(local) || !LocalToUtc(local, &utc)) {
        return false;
    }
    FILETIME instant;
    SYSTEMTIME normalUtc;
    SYSTEMTIME shown;
    if (!ToFileTime(utc, &instant) || !FileTimeToSystemTime(&instant, &normalUtc) || !UtcToLocal(normalUtc, &shown)) {
        return false;
    }
    fileTime = instant;
    brokenDown = shown;
    zone = ZoneLocal;
    return true;
}

bool FileTimeValue::StoreUtc(const SYSTEMTIME& utc) {
    FILETIME instant;
    SYSTEMTIME shown;
    if (!ToFileTime(utc, &instant) || !FileTimeToSystemTime(&instant, &shown)) {
        return false;
    }
    fileTime = instant;
    brokenDown = shown;
    zone = ZoneUtc;
    return true;
}

bool FileTimeValue::ShowIn(uint16_t flags) { return (flags & ShowUtc) ? ShowAsUtc() : ShowAsLocal(); }

bool MergeParts(FileTimeValue& target, const TimeParts& parts, uint16_t flags) {
    return MergeWithTicks(target, parts, flags, 0);
}

FILETIME MergeIntoFileTime(const FileTimeValue& chosen, uint16_t flags, const FILETIME& existing) {
    FileTimeValue result;
    FileTimeValue source = chosen;
    if (!result.SetFromFileTime(existing) || !source.ShowIn(flags)) {
        return existing;
    }
    MergeWithTicks(result, PartsOf(source.brokenDown), flags, SubMilliseconds(source.fileTime));
    return result.fileTime;
}

void FileTimeSettings::AssignValue(const FileTimeValue& other, uint16_t partMask) {
    const uint16_t work = WithParts(flags, partMask);
    FileTimeValue source = other;
    if (source.ShowIn(work)) {
        MergeWithTicks(value, PartsOf(source.brokenDown), work, SubMilliseconds(source.fileTime));
    }
}

void FileTimeSettings::ClearMilliseconds() { MergeParts(value, TimeParts{}, WithParts(flags, UseMSec)); }

bool ShiftFileTime(const FILETIME& time, int64_t ticks, FILETIME& shifted) {
    const int64_t count = static_cast<int64_t>((uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    // Counts past 2^63 have no calendar form.
    if (count < 0 || (ticks > 0 && count > INT64_MAX - ticks)) return false;
    const int64_t moved = count + ticks;
    if (moved < 0) return false;
    const FILETIME result{static_cast<DWORD>(uint64_t(moved) & 0xFFFFFFFFu), static_cast<DWORD>(uint64_t(moved) >> 32)};
    FileTimeValue check;
    if (!check.SetFromFileTime(result)) return false;
    shifted = result;
    return true;
}

}  // namespace AppLayer
